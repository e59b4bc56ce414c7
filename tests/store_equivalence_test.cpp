// The text store over a tree and the binary store over the same tree packed answer every
// lookup alike: for the example tree and for generated trees, for every selection, built
// afresh and re-selected as the facade does it.
#include <corvel/CorvelControl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "ResourcePack.h"
#include "StoreSelection.h"
#include "TestSupport.h"
#include "binstore/binFileMsgImpl.h"
#include "quendel/Quendel.h"
#include "textstore/ResourceMsgImp.h"

namespace fs = std::filesystem;

namespace {

struct Selection {
    std::string f, p, a;
    std::string Text() const { return "(" + f + ", " + p + ", " + a + ")"; }
};

struct Names {
    std::vector<std::string> sections;
    std::vector<std::string> keys;
    size_t baseEntries = 0;  // distinct entries of the base file, found by every selection
};

// Every section path and key of every file of the tree (dir is the resource root), a few of
// them with blanks that lookups ignore, and names no file holds.
Names CollectNames(const std::string& dir) {
    std::set<std::string> sections = {"NoSuchSection", "GlobalParameters"};
    std::set<std::string> keys = {"NoSuchKey", "FileNumbers", "File0"};
    Names names;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
        if (entry.path().extension() != ".pp") {
            continue;
        }
        ParamFile file(entry.path().string());
        EXPECT_TRUE(file.Parse(""));
        const fendrel::FileSections flat = FlattenParamFile(file);
        for (const auto& [section, entries] : flat) {
            sections.insert(section);
            for (const auto& e : entries) {
                keys.insert(e.first);
            }
        }
        if (entry.path().filename() == "ImgResBase.pp" &&
            entry.path().parent_path() == fs::path(dir)) {
            names.baseEntries = CountEntries(flat);
        }
    }
    names.sections.assign(sections.begin(), sections.end());
    names.keys.assign(keys.begin(), keys.end());
    for (size_t i = 0; i < 3 && i < names.sections.size(); ++i) {
        names.sections.push_back(" " + names.sections[i] + "\t");
        names.keys.push_back("\t" + names.keys[i] + " ");
    }
    return names;
}

// A tree of parameter files and its packed resource file, with the host settings each store
// reads at construction.
class Product {
  public:
    // shipped: the directory holding dev/Quendel/.
    explicit Product(const std::string& shipped) : m_shipped(shipped) {
        corvel::ClearSettings();
        corvel::SetSetting("Path", "SystemHQUserDefinedRoot", m_packed.Path() + "/no-user-files");
        fs::create_directories(m_packed.Path() + "/dev");
        PackOptions options;
        options.m_dir = shipped + "/dev/Quendel";
        options.m_output = m_packed.Path() + "/dev/Quendel.bin";
        PackResult result;
        std::string error;
        EXPECT_TRUE(PackTree(options, result, error)) << error;
        m_names = CollectNames(options.m_dir);
    }
    ~Product() { corvel::ClearSettings(); }

    std::unique_ptr<ResourceMsgImp> Text(const Selection& s) const {
        corvel::SetSetting("Path", "ShippedRoot", m_shipped);
        auto store = std::make_unique<ResourceMsgImp>(s.f, s.p, s.a);
        store->Refresh();
        return store;
    }
    std::unique_ptr<binFileMsgImpl> Binary(const Selection& s) const {
        corvel::SetSetting("Path", "ShippedRoot", m_packed.Path());
        auto store = std::make_unique<binFileMsgImpl>(s.f, s.p, s.a);
        std::string reason;
        EXPECT_TRUE(store->IsOpen(reason)) << reason;
        store->Refresh();
        return store;
    }

    // Every lookup by names (blanks included) answers alike in both stores; for a selection
    // that keeps a base entry of the tree, at least all those are found.
    void ExpectSame(IResourceMsg& text, IResourceMsg& binary, const std::string& what) const {
        std::vector<std::string> differences;
        size_t found = 0;
        for (const std::string& section : m_names.sections) {
            for (const std::string& key : m_names.keys) {
                std::string textValue = "<none>";
                std::string binaryValue = "<none>";
                const bool inText = text.GetRawValue(section, key, textValue);
                const bool inBinary = binary.GetRawValue(section, key, binaryValue);
                if (inText != inBinary || textValue != binaryValue) {
                    differences.push_back("[" + section + "] " + key + ": text " + textValue +
                                          ", binary " + binaryValue);
                }
                found += inText && inBinary ? 1 : 0;
            }
        }
        EXPECT_TRUE(differences.empty())
            << what << " " << differences.size() << " differences, first: " << differences.front();
        EXPECT_GE(found, m_names.baseEntries) << what;
    }

    // Every selection built afresh, then all of them re-selected one after another in a shuffled
    // order: the binary store compared with a new text store of the selection it then holds,
    // and, where both stores hold the same selection, with the re-selected text store.
    void ExpectEquivalent(std::vector<Selection> selections, uint32_t seed) const {
        LogCapture quiet;
        for (const Selection& s : selections) {
            ExpectSame(*Text(s), *Binary(s), s.Text());
            quiet.Clear();
        }
        std::shuffle(selections.begin(), selections.end(), std::mt19937(seed));
        auto text = Text(selections.front());
        auto binary = Binary(selections.front());
        Selection held = selections.front();
        for (const Selection& s : selections) {
            Reselect(*text, s.f, s.p, s.a);
            Reselect(*binary, s.f, s.p, s.a);
            held = BinaryHeldAfter(held, s);
            ExpectSame(*Text(held), *binary, "re-selected " + s.Text());
            if (!s.f.empty() && !s.p.empty() && !s.a.empty()) {
                ExpectSame(*text, *binary, "both re-selected " + s.Text());
            }
            quiet.Clear();
        }
    }

    // Points the host settings at one of the two forms, for a Quendel built next.
    void Use(bool text) const {
        corvel::SetSetting("Path", "ShippedRoot", text ? m_shipped : m_packed.Path());
        corvel::SetSetting("PostProcessing", "UseTxtQuendel", text ? "true" : "false");
    }

  private:
    std::string m_shipped;
    TempDir m_packed;
    Names m_names;
};

std::vector<Selection> AllSelections(const std::vector<std::string>& groups,
                                     const std::vector<std::string>& probes,
                                     const std::vector<std::string>& clinicals) {
    std::vector<Selection> selections;
    for (const std::string& f : groups) {
        for (const std::string& p : probes) {
            for (const std::string& a : clinicals) {
                selections.push_back({f, p, a});
            }
        }
    }
    return selections;
}

const std::string kExampleShipped = std::string(QUENDEL_SOURCE_DIR) + "/examples/shipped";

TEST(StoreEquivalence, ExampleTree) {
    const Product product(kExampleShipped);
    product.ExpectEquivalent(
        AllSelections({"", "Convex", "Linear", "Nowhere"}, {"", "CX5", "CX9", "LN12", "LN18"},
                      {"", "Abdomen", "Cardiac", "Vascular"}),
        1);
}

// Through Quendel, as a host switches the clinical setting alone: the binary store answers for
// the group and transducer it holds with the new clinical setting; the text store for the new
// clinical setting over the base.
TEST(StoreEquivalence, ClinicalSwitchAloneKeepsTheBinaryStoresGroup) {
    const Product product(kExampleShipped);
    LogCapture quiet;
    for (const bool text : {false, true}) {
        SCOPED_TRACE(text ? "text store" : "binary store");
        product.Use(text);
        Quendel q;
        q.Initial("Convex", "CX5", "Abdomen");
        q.Initial("", "", "Cardiac");
        int pivot = 0;
        int kernel = 0;
        EXPECT_TRUE(q.GetParameter("DynamicControl", "DycDesiredPivotValue", pivot, 0));
        EXPECT_TRUE(q.GetParameter("SpeckleReduction:Filter:Kernel", "Size", kernel, 0));
        EXPECT_EQ(pivot, 96);             // Clns/Cardiac
        EXPECT_EQ(kernel, text ? 5 : 7);  // base, or the CX5 transducer file still held
    }
}

// A random tree: groups, probes and clinical settings with some of their files missing,
// listed files with gaps and repeats, nested sections, values of every kind written in the
// format's many spellings, and the same keys in many layers.
class TreeGenerator {
  public:
    explicit TreeGenerator(uint32_t seed) : m_rng(seed) {}

    void Write(const TempDir& dir) {
        const std::string root = "gen/dev/Quendel/";
        const auto maybe = [&](double chance, const std::string& file) {
            if (std::bernoulli_distribution(chance)(m_rng)) {
                dir.Write(root + file, File());
            }
        };
        dir.Write(root + "ImgResBase.pp", File());
        maybe(0.8, "Clns/ImgResClnBase.pp");
        for (const char* a : {"A0", "A1", "A2"}) {
            maybe(0.7, "Clns/" + std::string(a) + "/ImgResCln.pp");
        }
        for (const std::string f : {"G0", "G1", "G2"}) {
            maybe(0.8, f + "/ImgResGrp.pp");
            for (const std::string p : {"P0", "P1", "P2"}) {
                maybe(0.6, f + "/" + p + "/ImgResXdr.pp");
                for (const char* a : {"A0", "A1", "A2"}) {
                    maybe(0.4, f + "/" + p + "/" + a + "/ImgResCln.pp");
                }
            }
        }
        for (int i = 0; i < 4; ++i) {
            maybe(0.8, "Common/L" + std::to_string(i) + ".pp");
        }
        dir.Write(root + "Common/Unlisted.pp", File());
        dir.Write(root + "FileConfig.pp", FileConfig());
    }

  private:
    size_t Pick(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(m_rng); }

    std::string FileConfig() {
        const int count = static_cast<int>(Pick(6));
        std::string text = "# listed files\nFileNumbers<" + std::to_string(count) + ">\n";
        const char* listed[] = {"Common/L0.pp", "Common/L1.pp",  "Common/L2.pp", "Common/L3.pp",
                                "Common/L9.pp", "ImgResBase.pp", "Common",       " Common/L1.pp "};
        for (int i = 0; i <= count; ++i) {  // File<count> lies beyond the count
            if (std::bernoulli_distribution(0.75)(m_rng)) {
                text += "File" + std::to_string(i) + "<" + listed[Pick(std::size(listed))] + ">\n";
            }
        }
        return text + Section() + Entry() + "\n";
    }

    std::string Value() {
        const std::string n = std::to_string(Pick(2001));
        const std::string values[] = {n,  "-" + n + ".25", "1, 2, " + n, "true", "two  words " + n,
                                      "", "a<b:c[d] " + n};
        return values[Pick(std::size(values))];
    }

    std::string Entry() {
        const char* keys[] = {"K0", "K1", "K2", "K3", "K4", "Gain", "File0", "FileNumbers"};
        const std::string key = keys[Pick(std::size(keys))];
        switch (Pick(4)) {
            case 0:
                return key + "<" + Value() + ">";
            case 1:
                return "\t" + key + " <  " + Value() + "  >  K" + std::to_string(Pick(5)) + "<" +
                       Value() + ">   # note";
            case 2:
                return "Spaced " + key;  // a key with an empty value that no lookup names
            default:
                return key + "<" + Value();  // no closing bracket
        }
    }

    std::string Section() {
        const char* tags[] = {"<S0>",       "<S1>",    "< S0 : C0 >", "<S0::C1>",
                              "<S0:C0:D0>", "<S1:C0>", "<:X>",        "<:X:Y>"};
        return std::string(tags[Pick(std::size(tags))]) + "\n";
    }

    std::string File() {
        const std::string end = Pick(4) == 0 ? "\r\n" : "\n";
        std::string text = "# generated" + end;
        for (size_t i = Pick(3); i > 0; --i) {  // entries before any tag
            text += Entry() + end;
        }
        for (size_t s = 1 + Pick(4); s > 0; --s) {
            text += Section();
            for (size_t e = 1 + Pick(5); e > 0; --e) {
                text += Entry() + end;
            }
        }
        return text;
    }

    std::mt19937 m_rng;
};

TEST(StoreEquivalence, GeneratedTrees) {
    const std::vector<Selection> selections =
        AllSelections({"", "G9", "G0", "G1", "G2"}, {"", "P0", "P1", "P2"}, {"", "A0", "A1", "A2"});
    for (uint32_t seed = 1; seed <= 12; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        TempDir dir;
        TreeGenerator(seed).Write(dir);
        const Product product(dir.Path() + "/gen");
        product.ExpectEquivalent(selections, seed);
    }
}

}  // namespace
