// quendel_lookup_calls --reftree=DIR FORM N: one query form repeated N times on the start
// selection of the reference tree, for instruction counts under callgrind, which are stable
// where wall-clock times are not. Only RunForm is meant to be counted
// (--collect-atstart=no --toggle-collect=RunForm*); scripts/lookup-counts runs every form.
// "list" names the forms. The answer is printed, and must not change when the query is asked
// once more after the counted run.
#include <fcntl.h>
#include <quendel/Quendel.h>
#include <quendel/quendel_c.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <xxhash.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "HostSetup.h"
#include "RefTree.h"
#include "api/IdKeyTable.h"
#include "fendrel/ResourceWriter.h"
#include "textstore/ParamFile.h"

namespace {

using bench::StoreKind;
using reftree::kLookupSection;

constexpr uint64_t kElementIndex = 128;

struct Context {
    std::string tree;
    std::unique_ptr<Quendel> quendel;
    void* handle = nullptr;
    std::unordered_map<std::string, std::string> flat;  // the selection, for the bare find
};

// One query; returns a number that depends on the answer, so that nothing is optimised away
// and the answer can be checked.
using Query = std::function<double(Context&)>;

struct Form {
    std::string name;
    enum Needs { kText, kBinary, kNone } needs;  // the store the query asks, if any
    Query query;
};

Quendel::HashedKey Hashed(const std::string& name) {
    const fendrel::KeyWords words = fendrel::TextKey(name);
    return Quendel::HashedKey(words.begin(), words.end());
}

// Depends on the whole list without costing as much as a look at every element.
template <class T>
double Ends(const std::vector<T>& list) {
    return list.empty() ? 0.0
                        : static_cast<double>(list.size()) + static_cast<double>(list.front()) +
                              static_cast<double>(list.back());
}

double OpenBinary(Context& context) {
    bench::ConfigureHost(context.tree, StoreKind::Binary);
    Quendel fresh;
    const reftree::Selection s = reftree::StartSelection();
    fresh.Initial(s.f, s.p, s.a);
    int value = 0;
    return fresh.GetParameter(kLookupSection, reftree::kIntKey, value, 0) ? 1 : 0;
}

double MapAndHash(Context& context) {
    const std::string path = bench::PackedFile(context.tree);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0) {
        return 0;
    }
    const auto size = static_cast<size_t>(info.st_size);
    void* bytes = mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
    ::close(fd);
    if (bytes == MAP_FAILED) {
        return 0;
    }
    const uint64_t sum = XXH3_64bits(bytes, size);
    munmap(bytes, size);
    return sum != 0 ? 1 : 0;
}

std::vector<Form> Forms() {
    const std::string s = kLookupSection;
    const std::string intKey = reftree::kIntKey;
    const std::string wordKey = reftree::kWordKey;
    const std::string list = reftree::kListKey;
    const std::string ints = reftree::kIntListKey;
    const std::string bools = reftree::kBoolListKey;
    const IdEnum id = static_cast<IdEnum>(reftree::kLookupId);
    const Quendel::HashedKey hashedSection = IdHashedKey(reftree::kLookupId);
    const Quendel::HashedKey hashedInt = Hashed(intKey);
    // Asked of each store.
    const std::vector<std::pair<std::string, Query>> shared = {
        {"int_name",
         [=](Context& c) {
             int v = 0;
             c.quendel->GetParameter(s, intKey, v, 0);
             return double(v);
         }},
        {"string_name",
         [=](Context& c) {
             std::string v;
             c.quendel->GetParameter(s, wordKey, v, std::string());
             return double(v.size());
         }},
        {"float_list",
         [=](Context& c) {
             static std::vector<float> v;
             c.quendel->GetParameter(s, list, v, std::vector<float>());
             return Ends(v);
         }},
        {"double_list",
         [=](Context& c) {
             static std::vector<double> v;
             c.quendel->GetParameter(s, list, v, std::vector<double>());
             return Ends(v);
         }},
        {"int_list",
         [=](Context& c) {
             static std::vector<int> v;
             c.quendel->GetParameter(s, ints, v, std::vector<int>());
             return Ends(v);
         }},
        {"bool_list",
         [=](Context& c) {
             static std::vector<bool> v;
             c.quendel->GetParameter(s, bools, v, std::vector<bool>());
             return Ends(v);
         }},
        {"string_list",
         [=](Context& c) {
             static std::vector<std::string> v;
             c.quendel->GetParameter(s, list, v, std::vector<std::string>());
             return double(v.size());
         }},
        {"double_element",
         [=](Context& c) { return c.quendel->GetParamInArray(s, list, kElementIndex, 0.0); }},
        {"int_element",
         [=](Context& c) { return double(c.quendel->GetParamInArray(s, ints, kElementIndex, 0)); }},
        {"long_element",
         [=](Context& c) {
             return double(c.quendel->GetParamInArray(s, ints, kElementIndex, 0L));
         }},
        {"bool_element",
         [=](Context& c) {
             return double(c.quendel->GetParamInArray(s, bools, kElementIndex, false));
         }},
        {"string_element",
         [=](Context& c) {
             return double(
                 c.quendel->GetParamInArray(s, list, kElementIndex, std::string()).size());
         }},
        {"c_int_name",
         [=](Context& c) {
             int v = 0;
             QUENDEL_GetIntParam(c.handle, s.c_str(), intKey.c_str(), 0, &v);
             return double(v);
         }},
        {"c_double_element",
         [=](Context& c) {
             return QUENDEL_GetDoubleParamInArray(c.handle, s.c_str(), list.c_str(), kElementIndex,
                                                  0.0);
         }},
        {"c_int_element",
         [=](Context& c) {
             return double(
                 QUENDEL_GetIntParamInArray(c.handle, s.c_str(), ints.c_str(), kElementIndex, 0));
         }},
        {"c_bool_element",
         [=](Context& c) {
             return double(
                 QUENDEL_GetBoolParamInArray(c.handle, s.c_str(), bools.c_str(), kElementIndex, 0));
         }},
    };
    std::vector<Form> all;
    for (const auto& [name, query] : shared) {
        all.push_back({"text_" + name, Form::kText, query});
        all.push_back({"binary_" + name, Form::kBinary, query});
    }
    const std::vector<Form> others = {
        {"binary_int_idenum", Form::kBinary,
         [=](Context& c) {
             int v = 0;
             c.quendel->GetParameter(id, intKey, v, 0);
             return double(v);
         }},
        {"binary_int_hashed", Form::kBinary,
         [=](Context& c) {
             int v = 0;
             c.quendel->GetParameter(hashedSection, hashedInt, v, 0);
             return double(v);
         }},
        {"binary_float_list_idenum", Form::kBinary,
         [=](Context& c) {
             static std::vector<float> v;
             c.quendel->GetParameter(id, list, v, std::vector<float>());
             return Ends(v);
         }},
        {"baseline_unordered_map_find", Form::kNone,
         [key = s + "=" + intKey](Context& c) {
             static std::string v;
             const auto it = c.flat.find(key);
             v = it == c.flat.end() ? std::string() : it->second;
             return double(v.size());
         }},
        {"binary_first_initial", Form::kNone, OpenBinary},
        {"baseline_map_and_xxh3", Form::kNone, MapAndHash},
    };
    all.insert(all.end(), others.begin(), others.end());
    return all;
}

// The counted loop; kept out of line so that callgrind can count it alone.
[[gnu::noinline]] double RunForm(const Query& query, Context& context, long n) {
    double last = 0;
    for (long i = 0; i < n; ++i) {
        last = query(context);
    }
    return last;
}

}  // namespace

int main(int argc, char** argv) {
    std::string tree;
    if (argc > 1 && std::strncmp(argv[1], "--reftree=", 10) == 0) {
        tree = argv[1] + 10;
    }
    const std::vector<Form> forms = Forms();
    if (argc == 3 && std::strcmp(argv[2], "list") == 0) {
        for (const Form& form : forms) {
            std::printf("%s\n", form.name.c_str());
        }
        return 0;
    }
    const Form* form = nullptr;
    for (const Form& f : forms) {
        form = argc == 4 && f.name == argv[2] ? &f : form;
    }
    const long n = argc == 4 ? std::atol(argv[3]) : 0;
    if (tree.empty() || form == nullptr || n < 1) {
        std::fprintf(stderr, "usage: %s --reftree=DIR FORM|list N\n", argv[0]);
        return 2;
    }
    Context context;
    context.tree = tree;
    const reftree::Selection start = reftree::StartSelection();
    if (form->needs != Form::kNone) {
        bench::ConfigureHost(tree,
                             form->needs == Form::kText ? StoreKind::Text : StoreKind::Binary);
        context.quendel = std::make_unique<Quendel>();
        context.quendel->Initial(start.f, start.p, start.a);
        context.handle = QUENDEL_Create();
        QUENDEL_Initial(context.handle, start.f.c_str(), start.p.c_str(), start.a.c_str());
    } else {
        bench::ConfigureHost(tree, StoreKind::Binary);
        ParamFile file(reftree::PeerFile(tree, reftree::kPeerPp));
        file.Parse("");
        file.ForEachList([&](const std::string& section, const BlockList& list) {
            for (const auto& [key, value] : list.m_values) {
                context.flat.emplace(section + "=" + key, value.m_text);
            }
        });
    }
    const double counted = RunForm(form->query, context, n);
    const double again = form->query(context);
    if (counted != again) {
        std::fprintf(stderr, "%s: %s answers %g, then %g\n", argv[0], form->name.c_str(), counted,
                     again);
        return 1;
    }
    std::printf("%s %.17g\n", form->name.c_str(), counted);
    if (context.handle != nullptr) {
        QUENDEL_Delete(context.handle);
    }
    return 0;
}
