// The two stores against each other: a small tree of parameter files decoded from the input
// (groups, probes, clinical settings, listed files, nested sections, values), packed into a
// resource file; for a few selections, built afresh and re-selected as the facade does it, the
// text store and the binary store must give the same answer for every section and key present.
// Each store's lists and list tokens, answered from the forms it keeps once converted, must be
// the conversions of the text it answers, however the selections changed before.
// Lookups where the stores differ by design are left out: empty section names, a user-defined
// layer (none is written), and a re-selection that leaves a level empty, which the binary store
// keeps and the text store releases (api/StoreReselection.h).
#include <corvel/CorvelControl.h>
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <unistd.h>

#include "../tests/StoreSelection.h"
#include "FuzzCheck.h"
#include "binstore/binFileMsgImpl.h"
#include "inspect/pack/ResourcePack.h"
#include "resource/IStoredValues.h"
#include "resource/StringOps.h"
#include "resource/ValueText.h"
#include "textstore/ParamFile.h"
#include "textstore/ResourceMsgImp.h"

namespace {

namespace fs = std::filesystem;
using fuzzcheck::Fail;

const char* const kGroups[] = {"", "G0", "G1"};
const char* const kProbes[] = {"", "P0", "P1"};
const char* const kClinicals[] = {"", "A0", "A1"};
const char* const kTags[] = {"<S0>", "<S1>", "< S0 : C0 >", "<S0::C1>", "<S0:C0:D0>", "<S1:C0>"};
const char* const kKeys[] = {"K0", "K1", "K2", "Gain", "File0"};
const char* const kListed[] = {"Common/L0.pp", "Common/L1.pp", "Common/L2.pp", "Common/L9.pp",
                               "ImgResBase.pp"};

struct Selection {
    std::string f, p, a;
};

class Case {
  public:
    explicit Case(FuzzedDataProvider& in) : m_in(in) {}

    // Writes the tree below root/dev/Quendel and packs it into packed/dev/Quendel.bin.
    void Write(const fs::path& root, const fs::path& packed) {
        const fs::path q = root / "dev/Quendel";
        Maybe(q / "ImgResBase.pp", true);
        Maybe(q / "Clns/ImgResClnBase.pp");
        for (const char* a : kClinicals) {
            Maybe(q / "Clns" / a / "ImgResCln.pp", *a != '\0');
        }
        for (const char* f : kGroups) {
            if (*f == '\0') {
                continue;
            }
            Maybe(q / f / "ImgResGrp.pp");
            for (const char* p : kProbes) {
                if (*p == '\0') {
                    continue;
                }
                Maybe(q / f / p / "ImgResXdr.pp");
                for (const char* a : kClinicals) {
                    Maybe(q / f / p / a / "ImgResCln.pp", *a != '\0');
                }
            }
        }
        for (int i = 0; i < 3; ++i) {
            Maybe(q / ("Common/L" + std::to_string(i) + ".pp"));
        }
        const int count = m_in.ConsumeIntegralInRange(0, 4);
        std::string config = "FileNumbers<" + std::to_string(count) + ">\n";
        for (int i = 0; i <= count; ++i) {
            if (m_in.ConsumeBool()) {
                config += "File" + std::to_string(i) + "<" + Pick(kListed) + ">\n";
            }
        }
        Put(q / "FileConfig.pp", config + Body());

        fs::create_directories(packed / "dev");
        PackOptions options;
        options.m_dir = q.string();
        options.m_output = (packed / "dev/Quendel.bin").string();
        PackResult result;
        std::string error;
        if (!PackTree(options, result, error)) {
            Fail("packing failed: " + error);
        }
    }

    std::vector<Selection> Selections() {
        std::vector<Selection> selections;
        for (int i = m_in.ConsumeIntegralInRange(1, 4); i > 0; --i) {
            selections.push_back({Pick(kGroups), Pick(kProbes), Pick(kClinicals)});
        }
        return selections;
    }

    const std::set<std::pair<std::string, std::string>>& Names() const { return m_names; }

  private:
    template <size_t N>
    const char* Pick(const char* const (&names)[N]) {
        return names[m_in.ConsumeIntegralInRange<size_t>(0, N - 1)];
    }

    std::string Value() {
        static const char kChars[] = "0123456789 ,.-+eaTRUEfalse\t";
        std::string value;
        for (size_t n = m_in.ConsumeIntegralInRange(0, 8); n > 0; --n) {
            value += kChars[m_in.ConsumeIntegralInRange<size_t>(0, sizeof kChars - 2)];
        }
        return value;
    }

    std::string Body() {
        std::string text;
        for (int s = m_in.ConsumeIntegralInRange(0, 3); s > 0; --s) {
            text += std::string(Pick(kTags)) + "\n";
            for (int e = m_in.ConsumeIntegralInRange(0, 3); e > 0; --e) {
                text += std::string(Pick(kKeys)) + "<" + Value() + ">\n";
            }
        }
        return text;
    }

    void Put(const fs::path& path, const std::string& text) {
        fs::create_directories(path.parent_path());
        std::ofstream(path) << text;
        ParamFile file(path.string());
        if (file.Parse("")) {
            for (const auto& [section, entries] : FlattenParamFile(file)) {
                for (const auto& entry : entries) {
                    m_names.emplace(section, entry.first);
                }
            }
        }
    }

    void Maybe(const fs::path& path, bool allowed = true) {
        if (allowed && m_in.ConsumeBool()) {
            Put(path, Body());
        }
    }

    FuzzedDataProvider& m_in;
    std::set<std::pair<std::string, std::string>> m_names;
};

// A list asked of the store (twice: made, then kept) against the conversion of its text.
template <class T, class Ask, class Convert>
void CheckList(const std::string& where, const std::string& raw, Ask ask, Convert convert) {
    std::vector<T> expected;
    const bool converts = convert(raw, expected);
    for (int query = 0; query < 2; ++query) {
        std::vector<T> answer;
        if (ask(answer) != converts || (converts && answer != expected)) {
            Fail(where + ": a kept list differs from the conversion of '" + raw + "'");
        }
    }
}

void CheckConverted(IResourceMsg& store, const std::string& section, const std::string& key,
                    const std::string& where) {
    std::string raw;
    if (!store.GetRawValue(section, key, raw)) {
        return;
    }
    IStoredValues* stored = StoredValuesOf(store);
    ConvertedValue* value = stored != nullptr ? stored->FindConverted(section, key) : nullptr;
    if (value == nullptr || value->Text() != raw) {
        Fail(where + ": no kept value, or another text, for '" + raw + "'");
    }
    const auto strict = [&](auto& list) { return store.GetParameter(section, key, list, {}); };
    const auto stream = [&](auto& list) { return value->ReadList(NumberRule::kStream, list); };
    CheckList<int>(where, raw, strict, [](auto& t, auto& l) { return ToIntVector(t, l); });
    CheckList<long>(where, raw, strict, [](auto& t, auto& l) { return ToLongVector(t, l); });
    CheckList<float>(where, raw, strict, [](auto& t, auto& l) { return ToFloatVector(t, l); });
    CheckList<double>(where, raw, strict, [](auto& t, auto& l) { return ToDoubleVector(t, l); });
    CheckList<bool>(where, raw, strict, [](auto& t, auto& l) { return ToBoolVector(t, l); });
    CheckList<std::string>(where, raw, strict,
                           [](auto& t, auto& l) { return ToStringVector(t, l); });
    CheckList<int>(where, raw, stream, [](auto& t, auto& l) { return StreamToIntVector(t, l); });
    CheckList<float>(where, raw, stream,
                     [](auto& t, auto& l) { return StreamToFloatVector(t, l); });
    CheckList<double>(where, raw, stream,
                      [](auto& t, auto& l) { return StreamToDoubleVector(t, l); });
    const std::vector<std::string> tokens = Tokenize(raw, ", ");
    std::string_view token;
    for (size_t i = 0; i <= tokens.size(); ++i) {
        if (value->Token(i, token) != (i < tokens.size()) ||
            (i < tokens.size() && token != tokens[i])) {
            Fail(where + ": token " + std::to_string(i) + " of '" + raw + "'");
        }
    }
}

void Compare(IResourceMsg& text, IResourceMsg& binary, const Case& tree, const Selection& s,
             const char* how) {
    for (const auto& [section, key] : tree.Names()) {
        std::string inText = "<none>";
        std::string inBinary = "<none>";
        const bool foundText = text.GetRawValue(section, key, inText);
        const bool foundBinary = binary.GetRawValue(section, key, inBinary);
        const std::string where =
            std::string(how) + " (" + s.f + ", " + s.p + ", " + s.a + ") [" + section + "] " + key;
        if (foundText != foundBinary || inText != inBinary) {
            Fail(where + ": text " + inText + ", binary " + inBinary);
        }
        CheckConverted(text, section, key, where + ", text store");
        CheckConverted(binary, section, key, where + ", binary store");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const struct Dirs {
        fs::path root = "/dev/shm/quendel_store_diff_" + std::to_string(getpid());
        fs::path text = root / "text";
        fs::path packed = root / "packed";
        Dirs() {
            corvel::SetLogSink([](const std::string&) {});
            // The int-cast warnings of the conversions are not what is compared here.
            std::cout.setstate(std::ios::badbit);
        }
        ~Dirs() {
            std::error_code ignored;
            fs::remove_all(root, ignored);
        }
    } dirs;
    fs::remove_all(dirs.root);
    corvel::ClearSettings();
    corvel::SetSetting("Path", "SystemHQUserDefinedRoot", (dirs.root / "no-user-files").string());

    FuzzedDataProvider in(data, size);
    Case tree(in);
    tree.Write(dirs.text, dirs.packed);
    const std::vector<Selection> selections = tree.Selections();

    const auto text = [&](const Selection& s) {
        corvel::SetSetting("Path", "ShippedRoot", dirs.text.string());
        auto store = std::make_unique<ResourceMsgImp>(s.f, s.p, s.a);
        store->Refresh();
        return store;
    };
    corvel::SetSetting("Path", "ShippedRoot", dirs.packed.string());
    auto binary =
        std::make_unique<binFileMsgImpl>(selections[0].f, selections[0].p, selections[0].a);
    binary->Refresh();
    auto reselected = text(selections[0]);
    Compare(*reselected, *binary, tree, selections[0], "built");
    Selection held = selections[0];
    for (const Selection& s : selections) {
        Reselect(*reselected, s.f, s.p, s.a);
        Reselect(*binary, s.f, s.p, s.a);
        held = BinaryHeldAfter(held, s);
        Compare(*text(held), *binary, tree, held, "re-selected binary");
        if (!s.f.empty() && !s.p.empty() && !s.a.empty()) {
            Compare(*reselected, *binary, tree, s, "both re-selected");
        }
    }
    return 0;
}
