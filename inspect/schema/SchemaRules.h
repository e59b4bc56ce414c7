// The kinds of finding of the schema checks, each with a line that says what it finds. Lint's
// rule table, --disable and the SARIF rule list take them from here.
#ifndef QUENDEL_INSPECT_SCHEMA_SCHEMARULES_H
#define QUENDEL_INSPECT_SCHEMA_SCHEMARULES_H

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace schema_rule {
inline constexpr char kType[] = "schema-type";
inline constexpr char kRange[] = "schema-range";
inline constexpr char kEnum[] = "schema-enum";
inline constexpr char kLength[] = "schema-length";
inline constexpr char kRequired[] = "schema-required";
inline constexpr char kLayer[] = "schema-layer";
inline constexpr char kUnknownKey[] = "schema-unknown-key";
}  // namespace schema_rule

// {id, description} of every rule, in the order above.
const std::vector<std::pair<std::string_view, std::string_view>>& SchemaRules();
// Whether a finding of the rule is about a value a selection holds (every rule but the layer
// rule, which is about the file that sets it): what a JSON Schema validator of the typed view
// can see.
bool IsValueRule(std::string_view rule);

struct SchemaFinding {
    std::string m_file;
    size_t m_line = 0;    // 0 when not known
    size_t m_column = 0;  // 0 when not known
    const char* m_rule = nullptr;
    std::string m_message;
};

#endif
