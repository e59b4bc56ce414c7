// Each store through Quendel, the way a scanner's stages use it: the first Initial,
// re-selections and lookups.
#include <quendel/Quendel.h>

#include <filesystem>
#include <memory>
#include <stdexcept>

#include "BenchCases.h"
#include "CaseRegistry.h"
#include "HostSetup.h"
#include "RefTree.h"
#include "api/IdKeyTable.h"
#include "fendrel/ResourceWriter.h"
#include "textstore/ParamFile.h"

namespace bench {
namespace {

using reftree::Selection;

constexpr uint64_t kElementIndex = 128;

// The user-defined file of the start selection, which only the text store reads.
std::unique_ptr<ParamFile> UserDefinedFile(const BenchData& data) {
    const std::vector<std::string> files =
        reftree::SelectionFiles(data.tree, reftree::StartSelection());
    auto file = std::make_unique<ParamFile>(files.back());
    if (!file->Parse("")) {
        throw std::runtime_error("cannot read " + file->Path());
    }
    return file;
}

// A store must answer every entry of the selection as the peers read it; the binary store
// reads no user-defined file, so the entries that file sets are not asked of it.
void CheckStore(Quendel& quendel, const BenchData& data, StoreKind kind, const char* what) {
    const auto user = UserDefinedFile(data);
    ForEachSelectionEntry(
        data, [&](const std::string& section, const std::string& key, const std::string& expected) {
            const BlockList* list = user->FindList(section);
            if (kind == StoreKind::Binary && list != nullptr && list->m_values.count(key) > 0) {
                return;
            }
            std::string value;
            if (!quendel.GetParameter(section, key, value, std::string()) || value != expected) {
                throw std::runtime_error(std::string("the ") + what + " answers " + section + " " +
                                         key + " differently from the peers");
            }
        });
}

bool Select(Quendel& quendel, const Selection& s) {
    return quendel.Initial(s.f, s.p, s.a);
}

struct StoreNames {
    const char* what;
    const char* initial;
    const char* clinical;
    const char* probe;
    const char* group;
    const char* intByName;
    const char* word;
    const char* list;
    const char* element;
};

const StoreNames kTextNames = {"text store",        name::kInitialText,  name::kClinicalText,
                               name::kProbeText,    name::kGroupText,    name::kIntOursText,
                               name::kWordOursText, name::kListOursText, name::kElementOursText};
const StoreNames kBinaryNames = {
    "binary store",        name::kInitialBinary,  name::kClinicalBinary,
    name::kProbeBinary,    name::kGroupBinary,    name::kIntOursBinary,
    name::kWordOursBinary, name::kListOursBinary, name::kElementOursBinary};

// A switch alternates between the start selection and one a level away, so every iteration
// is one switch of that level. Afterwards the start selection must answer as before.
void RegisterSwitch(const char* name, const BenchData& data, StoreKind kind,
                    const Selection& other) {
    benchmark::RegisterBenchmark(name, [tree = data.tree, section = data.section, key = data.intKey,
                                        expected = data.expectedInt, kind,
                                        other](benchmark::State& state) {
        ConfigureHost(tree, kind);
        const Selection start = reftree::StartSelection();
        Quendel quendel;
        Select(quendel, start);
        bool atStart = true;
        for (auto _ : state) {
            Select(quendel, atStart ? other : start);
            atStart = !atStart;
        }
        Select(quendel, start);
        int value = 0;
        quendel.GetParameter(section, key, value, 0);
        if (value != expected) {
            state.SkipWithError("wrong answer after the switches");
        }
    })->Unit(benchmark::kMicrosecond);
}

// Registers the cases both stores share; returns the initialised Quendel they query.
std::shared_ptr<Quendel> RegisterStoreCases(const BenchData& data, StoreKind kind,
                                            const StoreNames& names) {
    ConfigureHost(data.tree, kind);
    const Selection start = reftree::StartSelection();
    auto quendel = std::make_shared<Quendel>();
    Select(*quendel, start);
    CheckStore(*quendel, data, kind, names.what);

    // The text store is rated by the bytes of the files it reads.
    const uint64_t bytesRead = kind == StoreKind::Text
                                   ? reftree::TotalBytes(reftree::SelectionFiles(data.tree, start))
                                   : 0;
    benchmark::RegisterBenchmark(names.initial, [tree = data.tree, kind, start,
                                                 bytesRead](benchmark::State& state) {
        ConfigureHost(tree, kind);
        for (auto _ : state) {
            auto fresh = std::make_unique<Quendel>();
            Select(*fresh, start);
            state.PauseTiming();
            fresh.reset();
            state.ResumeTiming();
        }
        state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytesRead));
    })->Unit(benchmark::kMicrosecond);
    RegisterSwitch(names.clinical, data, kind, reftree::ClinicalSwitch());
    RegisterSwitch(names.probe, data, kind, reftree::ProbeSwitch());
    RegisterSwitch(names.group, data, kind, reftree::GroupSwitch());

    RegisterLookup(names.intByName, data.expectedInt,
                   [quendel, section = data.section, key = data.intKey](int& value) {
                       quendel->GetParameter(section, key, value, 0);
                   });
    RegisterLookup(names.word, data.expectedWord,
                   [quendel, section = data.section, key = data.wordKey](std::string& value) {
                       quendel->GetParameter(section, key, value, std::string());
                   });
    RegisterLookup(
        names.list, data.expectedList,
        [quendel, section = data.section, key = data.listKey](std::vector<float>& value) {
            static const std::vector<float> kNone;
            quendel->GetParameter(section, key, value, kNone);
        },
        static_cast<int64_t>(data.expectedList.size()));
    RegisterLookup(
        names.element, static_cast<double>(data.expectedList[kElementIndex]),
        [quendel, section = data.section, key = data.listKey](double& value) {
            // Read as a double; the float narrowing makes it comparable.
            value = static_cast<float>(quendel->GetParamInArray(section, key, kElementIndex, 0.0));
        });
    return quendel;
}

Quendel::HashedKey Hashed(const std::string& name) {
    const fendrel::KeyWords words = fendrel::TextKey(name);
    return Quendel::HashedKey(words.begin(), words.end());
}

}  // namespace

void RegisterStoreCases(const BenchData& data) {
    RegisterStoreCases(data, StoreKind::Text, kTextNames);
    if (!std::filesystem::exists(PackedFile(data.tree))) {
        throw std::runtime_error("no packed tree " + PackedFile(data.tree) +
                                 ": run quendel pack on the tree's dev/Quendel");
    }
    const auto quendel = RegisterStoreCases(data, StoreKind::Binary, kBinaryNames);
    // The section is the IdEnum group kLookupId (named so when the tree was packed).
    RegisterLookup(
        name::kIntIdEnumBinary, data.expectedInt, [quendel, key = data.intKey](int& value) {
            quendel->GetParameter(static_cast<IdEnum>(reftree::kLookupId), key, value, 0);
        });
    // Both names hashed: the group's identifier for the section, the hash of the key's text.
    RegisterLookup(name::kIntHashedBinary, data.expectedInt,
                   [quendel, section = IdHashedKey(reftree::kLookupId), key = Hashed(data.intKey)](
                       int& value) { quendel->GetParameter(section, key, value, 0); });
}

}  // namespace bench
