// Boost.PropertyTree's INI reader: one tree level per section, "." separates section and key.
// It has no list type, so lists are read as text and converted with std::from_chars.
#include <boost/property_tree/ini_parser.hpp>
#include <boost/property_tree/ptree.hpp>

#include "BenchCases.h"
#include "CaseRegistry.h"

namespace bench {
namespace {

namespace pt = boost::property_tree;

bool ParseBoost(const std::string& path, pt::ptree& tree) {
    try {
        pt::read_ini(path, tree);
        return true;
    } catch (const pt::ini_parser_error&) {
        return false;
    }
}

}  // namespace

void RegisterBoostCases(const BenchData& data) {
    RegisterParse(name::kParseBoost, data.contentBytes, [path = data.ini] {
        pt::ptree tree;
        return ParseBoost(path, tree);
    });

    static pt::ptree tree;
    ParseBoost(data.ini, tree);
    RegisterLookup(
        name::kIntBoost, data.expectedInt,
        [path = data.section + "." + data.intKey](int& value) { value = tree.get<int>(path, 0); });
    RegisterLookup(name::kWordBoost, data.expectedWord,
                   [path = data.section + "." + data.wordKey](std::string& value) {
                       value = tree.get<std::string>(path, std::string());
                   });
    RegisterLookup(
        name::kListBoost, data.expectedList,
        [path = data.section + "." + data.listKey](std::vector<float>& value) {
            const auto text = tree.get_optional<std::string>(path);
            if (!text || !FloatsFromChars(*text, value)) {
                value.clear();
            }
        },
        static_cast<int64_t>(data.expectedList.size()));
}

}  // namespace bench
