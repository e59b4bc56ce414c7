// Our side of every measure.
#include <stdexcept>

#include "BenchCases.h"
#include "CaseRegistry.h"
#include "textstore/ParamFile.h"

namespace bench {
namespace {

// The parse must give exactly the entries inih gives for the same content, or its speed
// means nothing.
void CheckParse(const BenchData& data) {
    ParamFile file(data.pp);
    IniMap expected;
    if (!file.Parse("") || !ParseIniMap(data.ini, expected)) {
        throw std::runtime_error("cannot read " + data.pp + " or " + data.ini);
    }
    size_t entries = 0;
    file.ForEachList([&](const std::string& section, const BlockList& list) {
        for (const auto& [key, value] : list.m_values) {
            const auto it = expected.find(section + "=" + key);
            if (it == expected.end() || it->second != value.m_text) {
                throw std::runtime_error("ParamFile reads " + section + " " + key + " of " +
                                         data.pp + " differently from inih");
            }
            ++entries;
        }
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
