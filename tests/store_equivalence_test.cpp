// The text store over a tree and the binary store over the same tree packed answer every
// lookup alike: for the example tree and a tree of odd spellings, for every selection, built
// afresh and re-selected as the facade does it.
#include <corvel/CorvelControl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "StoreSelection.h"
#include "TestSupport.h"
#include "binstore/binFileMsgImpl.h"
#include "inspect/pack/ResourcePack.h"
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

// A tree with files missing at every level, listed files with gaps, repeats, a directory, a
// missing file, a leading zero and one past the count, and in every layer the same keys in
// another of the format's spellings (entries before any tag, blanks and tabs, CRLF, nested and
// odd tags, a value without its closing bracket). Random trees are the store_diff fuzzer's.
std::string Layer(const std::string& v, size_t spelling) {
    switch (spelling % 4) {
        case 0:
            return "<S0>\nK0<" + v + ">\n<S0:C0>\nK1<" + v + ">\n<:X:Y>\nK2<1, 2, " + v + ">\n";
        case 1:
            return "\tK0 <  " + v + " >  K1<-" + v + ".25>   # note\r\n<S0>\r\nK1<" + v + "\r\n";
        case 2:
            return "< S0 : C0 >\nK0<two  words " + v + ">\n<:X>\nK2<a<b:c[d] " + v +
                   ">\nSpaced K3\n";
        default:
            return "<S0::C1>\nK0<" + v + ">\n<S1>\nFileNumbers<" + v + ">\n<S0:C0:D0>\nK3<" + v +
                   ">\n<S0>\nK1<" + v + ">\n";
    }
}

TEST(StoreEquivalence, OddTree) {
    TempDir dir;
    const char* files[] = {"ImgResBase.pp",         "Clns/ImgResClnBase.pp", "Clns/A0/ImgResCln.pp",
                           "Clns/A1/ImgResCln.pp",  "G0/ImgResGrp.pp",       "G0/P0/ImgResXdr.pp",
                           "G0/P0/A0/ImgResCln.pp", "G0/P1/A1/ImgResCln.pp", "G1/P0/ImgResXdr.pp",
                           "G1/P0/A1/ImgResCln.pp", "Common/L0.pp",          "Common/L1.pp",
                           "Common/L2.pp",          "Common/Unlisted.pp"};
    for (size_t i = 0; i < std::size(files); ++i) {
        dir.Write(std::string("odd/dev/Quendel/") + files[i], Layer(files[i], i));
    }
    dir.Write("odd/dev/Quendel/FileConfig.pp",
              "FileNumbers<5>\nFile0<Common/L1.pp>\nFile2< Common/L2.pp >\nFile3<Common>\n"
              "File01<Common/L0.pp>\nFile4<Common/L9.pp>\nFile6<Common/L1.pp>\n"
              "File5<Common/L0.pp>\n<S0>\nK0<config>\n");
    const Product product(dir.Path() + "/odd");
    for (uint32_t seed = 1; seed <= 4; ++seed) {
        product.ExpectEquivalent(
            AllSelections({"", "G0", "G1", "G9"}, {"", "P0", "P1"}, {"", "A0", "A1"}), seed);
    }
}

}  // namespace
