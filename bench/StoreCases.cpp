// Each store through Quendel, the way a scanner's stages use it: the first Initial,
// re-selections and lookups.
#include <quendel/Quendel.h>
#include <quendel/quendel_c.h>

#include <charconv>
#include <cstdlib>
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

// The tokens of a list written "a, b, c", as the element queries count them.
std::vector<std::string> Tokens(const std::string& text) {
    std::vector<std::string> tokens;
    for (size_t start = 0; start < text.size();) {
        const size_t comma = text.find(", ", start);
        tokens.push_back(text.substr(start, comma == std::string::npos ? comma : comma - start));
        start = comma == std::string::npos ? text.size() : comma + 2;
    }
    return tokens;
}

std::vector<double> Doubles(const std::vector<std::string>& tokens) {
    std::vector<double> values(tokens.size());
    for (size_t i = 0; i < tokens.size(); ++i) {
        std::from_chars(tokens[i].data(), tokens[i].data() + tokens[i].size(), values[i]);
    }
    return values;
}

template <class T>
std::vector<T> CopyAndFree(T* values, int count) {
    std::vector<T> list(values, values + count);
    QUENDEL_Free(values);
    return list;
}

// Element 128 of each list by each element query and C function, each list element by element
// and whole. The C functions go through a handle of their own on the same tree and store kind.
void RegisterElementCases(const BenchData& data, Store store, std::shared_ptr<Quendel> quendel) {
    const Selection start = reftree::StartSelection();
    std::shared_ptr<void> handle(QUENDEL_Create(), QUENDEL_Delete);
    QUENDEL_Initial(handle.get(), start.f.c_str(), start.p.c_str(), start.a.c_str());
    const std::string s = data.section;
    const std::string list = data.listKey;
    const std::string ints = data.intListKey;
    const std::string bools = data.boolListKey;
    const std::vector<std::string> tokens = Tokens(data.listText);
    const std::vector<double> doubles = Doubles(tokens);
    const std::vector<float>& floats = data.expectedList;
    const uint64_t i = kElementIndex;
    const auto elements = static_cast<int64_t>(reftree::kListLength);
    const int n = reftree::kListLength;

    RegisterLookup(ElementCase(store, "int").c_str(), data.expectedInts[i],
                   [=](int& v) { v = quendel->GetParamInArray(s, ints, i, 0); });
    RegisterLookup(ElementCase(store, "long").c_str(), long{data.expectedInts[i]},
                   [=](long& v) { v = quendel->GetParamInArray(s, ints, i, 0L); });
    RegisterLookup(ElementCase(store, "bool").c_str(), bool{data.expectedBools[i]},
                   [=](bool& v) { v = quendel->GetParamInArray(s, bools, i, false); });
    RegisterLookup(ElementCase(store, "string").c_str(), tokens[i], [=](std::string& v) {
        v = quendel->GetParamInArray(s, list, i, std::string());
    });
    RegisterLookup(ElementCase(store, "C_double").c_str(), static_cast<double>(floats[i]),
                   [=](double& v) {
                       v = static_cast<float>(QUENDEL_GetDoubleParamInArray(
                           handle.get(), s.c_str(), list.c_str(), static_cast<int>(i), 0.0));
                   });
    RegisterLookup(ElementCase(store, "C_int").c_str(), data.expectedInts[i], [=](int& v) {
        v = QUENDEL_GetIntParamInArray(handle.get(), s.c_str(), ints.c_str(), static_cast<int>(i),
                                       0);
    });
    RegisterLookup(ElementCase(store, "C_bool").c_str(), int{data.expectedBools[i]}, [=](int& v) {
        v = QUENDEL_GetBoolParamInArray(handle.get(), s.c_str(), bools.c_str(), static_cast<int>(i),
                                        0);
    });
    RegisterLookup(CIntCase(store).c_str(), data.expectedInt, [=, key = data.intKey](int& v) {
        QUENDEL_GetIntParam(handle.get(), s.c_str(), key.c_str(), 0, &v);
    });

    RegisterLookup(
        EachCase(store, "double").c_str(), floats,
        [=](std::vector<float>& v) {
            v.resize(n);
            for (int e = 0; e < n; ++e) {
                v[e] = static_cast<float>(quendel->GetParamInArray(s, list, e, 0.0));
            }
        },
        elements);
    RegisterLookup(
        EachCase(store, "int").c_str(), data.expectedInts,
        [=](std::vector<int>& v) {
            v.resize(n);
            for (int e = 0; e < n; ++e) {
                v[e] = quendel->GetParamInArray(s, ints, e, 0);
            }
        },
        elements);
    RegisterLookup(
        EachCase(store, "bool").c_str(), data.expectedBools,
        [=](std::vector<bool>& v) {
            v.resize(n);
            for (int e = 0; e < n; ++e) {
                v[e] = quendel->GetParamInArray(s, bools, e, false);
            }
        },
        elements);
    RegisterLookup(
        EachCase(store, "string").c_str(), tokens,
        [=](std::vector<std::string>& v) {
            v.resize(n);
            for (int e = 0; e < n; ++e) {
                v[e] = quendel->GetParamInArray(s, list, e, std::string());
            }
        },
        elements);
    RegisterLookup(
        EachCase(store, "C_double").c_str(), floats,
        [=](std::vector<float>& v) {
            v.resize(n);
            for (int e = 0; e < n; ++e) {
                v[e] = static_cast<float>(
                    QUENDEL_GetDoubleParamInArray(handle.get(), s.c_str(), list.c_str(), e, 0.0));
            }
        },
        elements);
    RegisterLookup(
        EachCase(store, "C_int").c_str(), data.expectedInts,
        [=](std::vector<int>& v) {
            v.resize(n);
            for (int e = 0; e < n; ++e) {
                v[e] = QUENDEL_GetIntParamInArray(handle.get(), s.c_str(), ints.c_str(), e, 0);
            }
        },
        elements);

    RegisterLookup(
        ListCase(store, "double").c_str(), doubles,
        [=](std::vector<double>& v) { quendel->GetParameter(s, list, v, std::vector<double>()); },
        elements);
    RegisterLookup(
        ListCase(store, "int").c_str(), data.expectedInts,
        [=](std::vector<int>& v) { quendel->GetParameter(s, ints, v, std::vector<int>()); },
        elements);
    RegisterLookup(
        ListCase(store, "bool").c_str(), data.expectedBools,
        [=](std::vector<bool>& v) { quendel->GetParameter(s, bools, v, std::vector<bool>()); },
        elements);
    RegisterLookup(
        ListCase(store, "string").c_str(), tokens,
        [=](std::vector<std::string>& v) {
            quendel->GetParameter(s, list, v, std::vector<std::string>());
        },
        elements);
    RegisterLookup(
        ListCase(store, "C_double").c_str(), doubles,
        [=](std::vector<double>& v) {
            double* values = nullptr;
            int count = 0;
            QUENDEL_GetDoubleColl(handle.get(), s.c_str(), list.c_str(), &values, &count);
            v = CopyAndFree(values, count);
        },
        elements);
    RegisterLookup(
        ListCase(store, "C_int").c_str(), data.expectedInts,
        [=](std::vector<int>& v) {
            int* values = nullptr;
            int count = 0;
            QUENDEL_GetIntColl(handle.get(), s.c_str(), ints.c_str(), &values, &count);
            v = CopyAndFree(values, count);
        },
        elements);
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
    if (kind == StoreKind::Binary) {
        RegisterMapAndHash(PackedFile(data.tree));
    }
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
    RegisterElementCases(data, kind == StoreKind::Text ? Store::kText : Store::kBinary, quendel);
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
