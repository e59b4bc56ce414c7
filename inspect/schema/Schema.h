// A parameter schema, compiled: what each section and key of the merged parameter view may
// hold. The file is a JSON Schema (draft 2020-12) of the view that `quendel dump --json
// --schema` writes, an object of sections, each an object of keys; SchemaReader.h reads it.
// Every rule a value must keep is here; how a value's text reads as the declared type is
// SchemaValue.h.
#ifndef QUENDEL_INSPECT_SCHEMA_SCHEMA_H
#define QUENDEL_INSPECT_SCHEMA_SCHEMA_H

#include <cstddef>
#include <functional>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "inspect/schema/SchemaPattern.h"
#include "inspect/schema/SchemaRecord.h"

// "integer", "number", "boolean", "string", "array"; kAny when the schema declares none, and the
// value is then its text.
enum class SchemaType { kAny, kInteger, kNumber, kBoolean, kString, kArray };
const char* TypeName(SchemaType type);

// "Did you mean": the known name a slip away from name, or empty. The front-end that shows the
// findings gives it; without one no finding suggests anything.
using NameHint =
    std::function<std::string(const std::vector<std::string>& known, std::string_view name)>;

// The rules of a value, or of each element of a list.
struct ValueRules {
    std::string m_where;  // JSON pointer of these rules in the schema file
    SchemaType m_type = SchemaType::kAny;
    std::optional<double> m_minimum;
    std::optional<double> m_maximum;
    std::optional<double> m_exclusiveMinimum;
    std::optional<double> m_exclusiveMaximum;
    bool m_hasEnum = false;
    nlohmann::json m_enum;  // the constants as written, for messages
    std::vector<double> m_enumNumbers;
    std::vector<std::string> m_enumTexts;
    std::vector<bool> m_enumBooleans;
    std::optional<SchemaPattern> m_pattern;
};

struct KeySchema {
    ValueRules m_value;  // its m_where is the key's schema
    ValueRules m_items;  // the elements of an array
    std::optional<size_t> m_minItems;
    std::optional<size_t> m_maxItems;
    std::string m_unit;  // "x-unit"
    std::string m_title;
    std::string m_description;
    std::optional<nlohmann::json> m_default;
    std::vector<SchemaLayer> m_layers;  // "x-layers"; empty: any layer may set the key
};

struct SectionSchema {
    std::string m_where;
    std::string m_title;
    std::string m_description;
    std::map<std::string, KeySchema, std::less<>> m_keys;            // "properties"
    std::vector<std::pair<SchemaPattern, KeySchema>> m_keyFamilies;  // "patternProperties"
    std::vector<std::string> m_required;
    bool m_closed = false;  // "additionalProperties": false
};

// The schemas that apply to one key of one section, as JSON Schema applies them: the key's own
// in each section schema that applies, and each key pattern it matches;
// closedWithout holds the closed section schemas that declare the key nowhere.
struct KeySchemas {
    std::vector<const KeySchema*> m_schemas;
    std::vector<const SectionSchema*> m_closedWithout;
};

class Schema {
  public:
    std::string m_title;
    std::string m_description;
    std::map<std::string, SectionSchema, std::less<>> m_sections;     // "properties"
    std::vector<std::pair<SchemaPattern, SectionSchema>> m_families;  // "patternProperties"
    std::vector<std::string> m_required;
    bool m_closed = false;

    // The section schemas that apply to a section path: its own, then each family it matches.
    // tooLong is set when the path is longer than a pattern is matched against (then no family
    // applies).
    std::vector<const SectionSchema*> SectionsOf(std::string_view section, bool& tooLong) const;
    // Whether no section schema applies and the schema is closed: the section is unknown.
    bool Refuses(const std::vector<const SectionSchema*>& sections) const {
        return m_closed && sections.empty();
    }
    // The section names a closed schema declares, for suggestions.
    std::vector<std::string> SectionNames() const;
};

KeySchemas KeySchemasOf(const std::vector<const SectionSchema*>& sections, std::string_view key,
                        bool& tooLong);

#endif
