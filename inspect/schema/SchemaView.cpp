#include "inspect/schema/SchemaView.h"

#include <cmath>
#include <cstdint>

#include "inspect/schema/SchemaText.h"
#include "inspect/schema/SchemaValue.h"

namespace {

using Json = nlohmann::ordered_json;

void RulesJson(const ValueRules& rules, Json& json) {
    if (rules.m_type != SchemaType::kAny) {
        json["type"] = TypeName(rules.m_type);
    }
    const std::pair<const char*, const std::optional<double>*> bounds[] = {
        {"minimum", &rules.m_minimum},
        {"maximum", &rules.m_maximum},
        {"exclusiveMinimum", &rules.m_exclusiveMinimum},
        {"exclusiveMaximum", &rules.m_exclusiveMaximum}};
    for (const auto& [name, bound] : bounds) {
        if (*bound) {
            // A whole bound is written as the schema file most likely has it.
            const double value = **bound;
            json[name] = std::floor(value) == value && std::fabs(value) < 0x1p53
                             ? Json(static_cast<int64_t>(value))
                             : Json(value);
        }
    }
    if (rules.m_hasEnum) {
        json["enum"] = rules.m_enum;
    }
    if (rules.m_pattern) {
        json["pattern"] = rules.m_pattern->Source();
    }
}

// "from -20 to 60", "above 0", "at most 1": the bounds of rules, empty without any.
std::string RangeText(const ValueRules& rules, const std::string& unit) {
    std::string low;
    std::string high;
    if (rules.m_exclusiveMinimum) {
        low = "above " + DecimalText(*rules.m_exclusiveMinimum);
    } else if (rules.m_minimum) {
        low = "from " + DecimalText(*rules.m_minimum);
    }
    if (rules.m_exclusiveMaximum) {
        high = "below " + DecimalText(*rules.m_exclusiveMaximum);
    } else if (rules.m_maximum) {
        high = (low.empty() ? "at most " : "to ") + DecimalText(*rules.m_maximum);
    }
    if (!low.empty() && high.empty() && rules.m_minimum && !rules.m_exclusiveMinimum) {
        low = "at least " + DecimalText(*rules.m_minimum);
    }
    const std::string range = low + (low.empty() || high.empty() ? "" : " ") + high;
    return range.empty() ? range : WithUnit(range, unit);
}

std::string RulesText(const ValueRules& rules, const std::string& unit) {
    std::string text = RangeText(rules, unit);
    if (rules.m_hasEnum) {
        text += (text.empty() ? "" : ", ") + std::string("one of ") + ConstantsText(rules.m_enum);
    }
    if (rules.m_pattern) {
        text += (text.empty() ? "" : ", ") + std::string("matching ") +
                QuotedText(rules.m_pattern->Source());
    }
    return text;
}

}  // namespace

Json TypedView(const Schema& schema, const EntryTable& entries) {
    Json view = Json::object();
    SchemaReading reading;
    const std::string* current = nullptr;
    std::vector<const SectionSchema*> sections;
    Json* section = nullptr;
    for (const StoreEntry& entry : entries.m_entries) {
        if (current == nullptr || *current != *entry.m_section) {
            current = entry.m_section.get();
            bool tooLong = false;
            sections = schema.SectionsOf(*current, tooLong);
            section = &view[*current];
            *section = Json::object();
        }
        bool tooLong = false;
        const KeySchemas schemas = KeySchemasOf(sections, entry.m_key, tooLong);
        const std::string& text = entry.m_origin.m_value;
        ReadValue(schemas.m_schemas, text, reading);
        (*section)[entry.m_key] = ReadingJson(reading, text);
    }
    return view;
}

const KeySchema* KeySchemaOf(const Schema& schema, const std::string& section,
                             const std::string& key) {
    bool tooLong = false;
    const KeySchemas schemas = KeySchemasOf(schema.SectionsOf(section, tooLong), key, tooLong);
    return schemas.m_schemas.empty() ? nullptr : schemas.m_schemas.front();
}

Json KeyFactsJson(const KeySchema& key) {
    Json json = Json::object();
    RulesJson(key.m_value, json);
    if (!key.m_unit.empty()) {
        json["unit"] = key.m_unit;
    }
    if (key.m_value.m_type == SchemaType::kArray) {
        Json items = Json::object();
        RulesJson(key.m_items, items);
        json["items"] = std::move(items);
        if (key.m_minItems) {
            json["minItems"] = *key.m_minItems;
        }
        if (key.m_maxItems) {
            json["maxItems"] = *key.m_maxItems;
        }
    }
    if (key.m_default) {
        json["default"] = *key.m_default;
    }
    if (!key.m_layers.empty()) {
        Json layers = Json::array();
        for (const SchemaLayer layer : key.m_layers) {
            layers.push_back(LayerName(layer));
        }
        json["layers"] = std::move(layers);
    }
    if (!key.m_title.empty()) {
        json["title"] = key.m_title;
    }
    if (!key.m_description.empty()) {
        json["description"] = key.m_description;
    }
    json["where"] = key.m_value.m_where;
    return json;
}

std::string KeyRulesText(const KeySchema& key) {
    const ValueRules& value = key.m_value;
    std::string text = TypeName(value.m_type);
    if (value.m_type == SchemaType::kArray) {
        std::string count;
        if (key.m_minItems && key.m_maxItems) {
            count = *key.m_minItems == *key.m_maxItems ? std::to_string(*key.m_minItems)
                                                       : std::to_string(*key.m_minItems) + " to " +
                                                             std::to_string(*key.m_maxItems);
        } else if (key.m_minItems || key.m_maxItems) {
            count = key.m_minItems ? "at least " + std::to_string(*key.m_minItems)
                                   : "at most " + std::to_string(*key.m_maxItems);
        }
        text = "list of " + (count.empty() ? std::string() : count + " ") +
               TypeName(key.m_items.m_type) + (count == "1" ? "" : "s");
        const std::string rules = RulesText(key.m_items, key.m_unit);
        text += rules.empty() ? (key.m_unit.empty() ? "" : " in " + key.m_unit) : ", each " + rules;
    } else {
        const std::string rules = RulesText(value, key.m_unit);
        text += rules.empty() ? (key.m_unit.empty() ? "" : " in " + key.m_unit) : " " + rules;
    }
    if (key.m_default) {
        text += ", default " + ConstantsText(nlohmann::json::array({*key.m_default}));
    }
    if (!key.m_layers.empty()) {
        std::string layers;
        for (size_t i = 0; i < key.m_layers.size(); ++i) {
            layers += (i == 0                         ? ""
                       : i + 1 == key.m_layers.size() ? " and "
                                                      : ", ") +
                      std::string(LayerName(key.m_layers[i]));
        }
        text += "; set by " + layers + " files only";
    }
    return text;
}

std::string KeyFactsText(const KeySchema& key) {
    const std::string text = KeyRulesText(key);
    const std::string& about = key.m_description.empty() ? key.m_title : key.m_description;
    return about.empty() ? text : text + ": " + about;
}

std::string ValueWithUnit(const std::string& value, const KeySchema* key) {
    return key == nullptr ? value : WithUnit(value, key->m_unit);
}
