// Our parse of one ".pp" file, beside the peers' parses of the same content.
#include <stdexcept>

#include "BenchCases.h"
#include "CaseRegistry.h"
#include "textstore/ParamFile.h"

namespace bench {
namespace {

// The parse must give exactly the entries inih gives for the same content, or its speed
// means nothing.
void CheckParse(const BenchData& data) {
    IniMap expected;
    if (!ParseIniMap(data.ini, expected)) {
        throw std::runtime_error("cannot read " + data.ini);
    }
    size_t entries = 0;
    ForEachSelectionEntry(
        data, [&](const std::string& section, const std::string& key, const std::string& value) {
            const auto it = expected.find(section + "=" + key);
            if (it == expected.end() || it->second != value) {
                throw std::runtime_error("ParamFile reads " + section + " " + key + " of " +
                                         data.pp + " differently from inih");
            }
            ++entries;
        });
    if (entries != expected.size()) {
        throw std::runtime_error("ParamFile and inih read different numbers of entries");
    }
}

}  // namespace

void RegisterOurCases(const BenchData& data) {
    CheckParse(data);
    RegisterParse(name::kParseOurs, data.contentBytes, [path = data.pp] {
        ParamFile file(path);
        return file.Parse("");
    });
}

}  // namespace bench
