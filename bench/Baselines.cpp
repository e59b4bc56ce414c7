// What a lookup, a list conversion and an open of the resource file cost at the least: bare
// container finds, the C++ and C number readers on the list the lookups ask for, and the file
// mapped and hashed as a whole.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <xxhash.h>

#include <charconv>
#include <cstdlib>
#include <unordered_map>

#include "BenchCases.h"
#include "CaseRegistry.h"
#include "HostSetup.h"

namespace bench {
namespace {

bool IsListSeparator(char c) {
    return c == ',' || c == ' ';
}

template <class ReadOne>
bool ReadFloats(const std::string& text, std::vector<float>& out, ReadOne readOne) {
    out.clear();
    const char* p = text.c_str();
    const char* const end = p + text.size();
    for (;;) {
        while (p != end && IsListSeparator(*p)) {
            ++p;
        }
        if (p == end) {
            return true;
        }
        float value;
        const char* next = readOne(p, end, value);
        if (next == p) {
            return false;
        }
        out.push_back(value);
        p = next;
    }
}

}  // namespace

bool FloatsFromChars(const std::string& text, std::vector<float>& out) {
    return ReadFloats(text, out, [](const char* p, const char* end, float& value) {
        const auto result = std::from_chars(p, end, value);
        return result.ec == std::errc() ? result.ptr : p;
    });
}

bool FloatsStrtof(const std::string& text, std::vector<float>& out) {
    return ReadFloats(text, out, [](const char* p, const char*, float& value) {
        char* next = nullptr;
        value = std::strtof(p, &next);
        return static_cast<const char*>(next);
    });
}

// The resource file mapped read-only with its pages populated, and its XXH3-64; unmapping is
// not timed, as the binary store's destruction is not timed in its first Initial.
void RegisterMapAndHash(const std::string& path) {
    benchmark::RegisterBenchmark(name::kMapAndHash, [path](benchmark::State& state) {
        for (auto _ : state) {
            const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
            struct stat info {};
            void* bytes = fd < 0 || ::fstat(fd, &info) != 0
                              ? MAP_FAILED
                              : mmap(nullptr, static_cast<size_t>(info.st_size), PROT_READ,
                                     MAP_PRIVATE | MAP_POPULATE, fd, 0);
            if (bytes == MAP_FAILED) {
                state.SkipWithError("cannot map the resource file");
                if (fd >= 0) {
                    ::close(fd);
                }
                break;
            }
            benchmark::DoNotOptimize(XXH3_64bits(bytes, static_cast<size_t>(info.st_size)));
            state.PauseTiming();
            munmap(bytes, static_cast<size_t>(info.st_size));
            ::close(fd);
            state.ResumeTiming();
        }
    })->Unit(benchmark::kMillisecond);
}

void RegisterBaselineCases(const BenchData& data) {
    static std::unordered_map<std::string, std::string> flat;
    static std::map<std::string, std::map<std::string, std::string>> twoLevel;
    IniMap map;
    ParseIniMap(data.ini, map);
    for (const auto& [joined, value] : map) {
        const size_t split = joined.find('=');
        flat.emplace(joined, value);
        twoLevel[joined.substr(0, split)][joined.substr(split + 1)] = value;
    }
    // Finds only: the key is ready and the text is not converted.
    RegisterLookup(name::kIntUnorderedMap, std::to_string(data.expectedInt),
                   [key = data.section + "=" + data.intKey](std::string& value) {
                       const auto it = flat.find(key);
                       value = it == flat.end() ? std::string() : it->second;
                   });
    RegisterLookup(name::kIntTwoLevelMap, std::to_string(data.expectedInt),
                   [section = data.section, key = data.intKey](std::string& value) {
                       const auto group = twoLevel.find(section);
                       if (group == twoLevel.end()) {
                           value.clear();
                           return;
                       }
                       const auto it = group->second.find(key);
                       value = it == group->second.end() ? std::string() : it->second;
                   });

    const auto elements = static_cast<int64_t>(data.expectedList.size());
    RegisterLookup(
        name::kListFromChars, data.expectedList,
        [text = data.listText](std::vector<float>& value) { FloatsFromChars(text, value); },
        elements);
    RegisterLookup(
        name::kListStrtof, data.expectedList,
        [text = data.listText](std::vector<float>& value) { FloatsStrtof(text, value); }, elements);
}

}  // namespace bench
