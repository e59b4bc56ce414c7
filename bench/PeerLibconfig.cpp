// libconfig++: section paths are nested groups, number lists are arrays.
#include <libconfig.h++>

#include <algorithm>

#include "BenchCases.h"
#include "CaseRegistry.h"

namespace bench {
namespace {

std::string DottedPath(const std::string& section, const std::string& key) {
    std::string path = section + "." + key;
    std::replace(path.begin(), path.end(), ':', '.');
    return path;
}

bool ParseLibconfig(const std::string& path, libconfig::Config& config) {
    try {
        config.readFile(path.c_str());
        return true;
    } catch (const libconfig::ConfigException&) {
        return false;
    }
}

}  // namespace

void RegisterLibconfigCases(const BenchData& data) {
    RegisterParse(name::kParseLibconfig, data.contentBytes, [path = data.cfg] {
        libconfig::Config config;
        return ParseLibconfig(path, config);
    });

    static libconfig::Config config;
    ParseLibconfig(data.cfg, config);
    RegisterLookup(name::kIntLibconfig, data.expectedInt,
                   [path = DottedPath(data.section, data.intKey)](int& value) {
                       if (!config.lookupValue(path, value)) {
                           value = 0;
                       }
                   });
    RegisterLookup(name::kWordLibconfig, data.expectedWord,
                   [path = DottedPath(data.section, data.wordKey)](std::string& value) {
                       if (!config.lookupValue(path, value)) {
                           value.clear();
                       }
                   });
    RegisterLookup(
        name::kListLibconfig, data.expectedList,
        [path = DottedPath(data.section, data.listKey)](std::vector<float>& value) {
            value.clear();
            if (!config.exists(path)) {
                return;
            }
            const libconfig::Setting& list = config.lookup(path);
            for (int i = 0; i < list.getLength(); ++i) {
                value.push_back(static_cast<float>(static_cast<double>(list[i])));
            }
        },
        static_cast<int64_t>(data.expectedList.size()));
}

}  // namespace bench
