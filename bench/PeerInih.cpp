// inih, as Debian packages it. Its line buffer holds 200 bytes by default and splits longer
// lines silently; the packaged library takes its limits at run time, so the buffer is moved
// to the heap and made large enough for the longest list before any parse.
#include <ini.h>

#include "BenchCases.h"
#include "CaseRegistry.h"

namespace bench {
namespace {

constexpr int kLineBuffer = 1 << 16;  // the longest line of the reference tree is about 2 kB

void ConfigureInih() {
    ini_use_stack = false;
    ini_initial_alloc = kLineBuffer;
    ini_max_line = kLineBuffer;
}

int MapHandler(void* user, const char* section, const char* name, const char* value) {
    std::string key = section;
    key += '=';
    key += name;
    (*static_cast<IniMap*>(user))[std::move(key)] = value;
    return 1;
}

int NoopHandler(void*, const char*, const char*, const char*) {
    return 1;
}

}  // namespace

bool ParseIniMap(const std::string& path, IniMap& map) {
    ConfigureInih();
    return ini_parse(path.c_str(), MapHandler, &map) == 0;
}

void RegisterInihCases(const BenchData& data) {
    ConfigureInih();
    RegisterParse(name::kParseInihMap, data.contentBytes, [path = data.ini] {
        IniMap map;
        return ini_parse(path.c_str(), MapHandler, &map) == 0;
    });
    RegisterParse(name::kParseInihNoop, data.contentBytes,
                  [path = data.ini] { return ini_parse(path.c_str(), NoopHandler, nullptr) == 0; });

    static IniMap map;
    ParseIniMap(data.ini, map);
    // The key is built per query, as INIReader builds it.
    RegisterLookup(name::kIntInih, data.expectedInt,
                   [section = data.section, key = data.intKey](int& value) {
                       const auto it = map.find(section + "=" + key);
                       value = it == map.end() ? 0 : std::stoi(it->second);
                   });
    RegisterLookup(name::kWordInih, data.expectedWord,
                   [section = data.section, key = data.wordKey](std::string& value) {
                       const auto it = map.find(section + "=" + key);
                       value = it == map.end() ? std::string() : it->second;
                   });
    RegisterLookup(
        name::kListInih, data.expectedList,
        [section = data.section, key = data.listKey](std::vector<float>& value) {
            const auto it = map.find(section + "=" + key);
            if (it == map.end() || !FloatsFromChars(it->second, value)) {
                value.clear();
            }
        },
        static_cast<int64_t>(data.expectedList.size()));
}

}  // namespace bench
