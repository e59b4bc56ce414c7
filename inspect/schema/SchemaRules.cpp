#include "inspect/schema/SchemaRules.h"

const std::vector<std::pair<std::string_view, std::string_view>>& SchemaRules() {
    static const std::vector<std::pair<std::string_view, std::string_view>> rules = {
        {schema_rule::kType, "a value that does not read as the type its schema declares"},
        {schema_rule::kRange, "a number outside the minimum and maximum its schema declares"},
        {schema_rule::kEnum, "a word that is not one of its schema's words, or not its pattern"},
        {schema_rule::kLength, "a list with fewer or more elements than its schema allows"},
        {schema_rule::kRequired, "a selection that lacks a key or section the schema requires"},
        {schema_rule::kLayer, "a key set in a layer its schema does not let set it"},
        {schema_rule::kUnknownKey, "a key or section that a closed section or schema declares not"},
    };
    return rules;
}

bool IsValueRule(std::string_view rule) {
    return rule != schema_rule::kLayer;
}
