// toml++ (header only, so it is kept to this one file): section paths are nested tables.
#include <toml++/toml.h>

#include "BenchCases.h"
#include "CaseRegistry.h"

namespace bench {
namespace {

std::string DottedPath(const std::string& section, const std::string& key) {
    std::string path = section + "." + key;
    std::replace(path.begin(), path.end(), ':', '.');
    return path;
}

bool ParseToml(const std::string& path, toml::table& table) {
    try {
        table = toml::parse_file(path);
        return true;
    } catch (const toml::parse_error&) {
        return false;
    }
}

}  // namespace

void RegisterTomlCases(const BenchData& data) {
    RegisterParse(name::kParseToml, data.contentBytes, [path = data.toml] {
        toml::table table;
        return ParseToml(path, table);
    });

    static toml::table table;
    ParseToml(data.toml, table);
    RegisterLookup(name::kIntToml, data.expectedInt,
                   [path = DottedPath(data.section, data.intKey)](int& value) {
                       value = table.at_path(path).value_or(0);
                   });
    RegisterLookup(name::kWordToml, data.expectedWord,
                   [path = DottedPath(data.section, data.wordKey)](std::string& value) {
                       value = table.at_path(path).value_or(std::string());
                   });
    RegisterLookup(
        name::kListToml, data.expectedList,
        [path = DottedPath(data.section, data.listKey)](std::vector<float>& value) {
            value.clear();
            if (const toml::array* array = table.at_path(path).as_array()) {
                for (const toml::node& element : *array) {
                    value.push_back(static_cast<float>(element.value_or(0.0)));
                }
            }
        },
        static_cast<int64_t>(data.expectedList.size()));
}

}  // namespace bench
