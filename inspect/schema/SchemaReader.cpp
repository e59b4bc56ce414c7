#include "inspect/schema/SchemaReader.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <set>
#include <string_view>
#include <utility>

#include "inspect/schema/SchemaText.h"
#include "inspect/schema/SchemaValue.h"
#include "textstore/FileBytes.h"

namespace {

using Json = nlohmann::json;

enum class Level { kTop, kSection, kKey, kItems };

const std::vector<std::string>& KeywordsOf(Level level) {
    static const std::vector<std::string> annotations = {"$comment", "title", "description",
                                                         "examples", "deprecated"};
    const auto with = [](std::vector<std::string> words) {
        words.insert(words.end(), annotations.begin(), annotations.end());
        return words;
    };
    static const std::vector<std::string> top =
        with({"$schema", "$id", "type", "properties", "patternProperties", "additionalProperties",
              "required"});
    static const std::vector<std::string> section =
        with({"type", "properties", "patternProperties", "additionalProperties", "required"});
    static const std::vector<std::string> key =
        with({"type", "minimum", "maximum", "exclusiveMinimum", "exclusiveMaximum", "enum",
              "pattern", "items", "minItems", "maxItems", "default", "x-unit", "x-layers"});
    static const std::vector<std::string> items = with(
        {"type", "minimum", "maximum", "exclusiveMinimum", "exclusiveMaximum", "enum", "pattern"});
    switch (level) {
        case Level::kTop:
            return top;
        case Level::kSection:
            return section;
        case Level::kKey:
            return key;
        case Level::kItems:
            break;
    }
    return items;
}

const char* LevelName(Level level) {
    switch (level) {
        case Level::kTop:
            return "the schema's top level";
        case Level::kSection:
            return "a section";
        case Level::kKey:
            return "a key";
        case Level::kItems:
            break;
    }
    return "\"items\"";
}

// Keywords of draft 2020-12 that these schemas do not read.
bool IsUnsupportedStandard(std::string_view word) {
    static const std::set<std::string_view> words = {"$ref",
                                                     "$defs",
                                                     "$anchor",
                                                     "$dynamicRef",
                                                     "$dynamicAnchor",
                                                     "$vocabulary",
                                                     "allOf",
                                                     "anyOf",
                                                     "oneOf",
                                                     "not",
                                                     "if",
                                                     "then",
                                                     "else",
                                                     "dependentSchemas",
                                                     "prefixItems",
                                                     "contains",
                                                     "propertyNames",
                                                     "unevaluatedItems",
                                                     "unevaluatedProperties",
                                                     "const",
                                                     "multipleOf",
                                                     "maxLength",
                                                     "minLength",
                                                     "maxContains",
                                                     "minContains",
                                                     "uniqueItems",
                                                     "maxProperties",
                                                     "minProperties",
                                                     "dependentRequired",
                                                     "format",
                                                     "contentEncoding",
                                                     "contentMediaType",
                                                     "contentSchema",
                                                     "readOnly",
                                                     "writeOnly",
                                                     "definitions",
                                                     "dependencies"};
    return words.count(word) != 0;
}

std::string PointerToken(const std::string& token) {
    std::string escaped;
    for (const char c : token) {
        escaped += c == '~' ? "~0" : c == '/' ? "~1" : std::string(1, c);
    }
    return escaped;
}

std::string Child(const std::string& where, const std::string& token) {
    return where + "/" + PointerToken(token);
}

// The pointer of the schema itself is "" in JSON Pointer; messages name it "/".
std::string Shown(const std::string& where) {
    return where.empty() ? "/" : where;
}

class Reader {
  public:
    Reader(std::vector<std::string>& errors, const NameHint& hint)
        : m_errors(errors), m_hint(hint) {}

    void ReadTop(const Json& top, Schema& schema) {
        if (!top.is_object()) {
            Error("", "a schema is a JSON object");
            return;
        }
        CheckKeywords(top, "", Level::kTop);
        if (top.contains("$schema") && top["$schema"] != kSchemaDialect) {
            Error("/$schema", std::string("only \"") + kSchemaDialect + "\" is read");
        }
        Text(top, "$id", "");
        ObjectType(top, "");
        schema.m_title = Text(top, "title", "");
        schema.m_description = Text(top, "description", "");
        schema.m_closed = Closed(top, "");
        schema.m_required = Names(top, "required", "");
        ForEachMember(top, "properties", "",
                      [&](const std::string& name, const Json& value, const std::string& where) {
                          ReadSection(value, where, schema.m_sections[name]);
                      });
        ForEachMember(top, "patternProperties", "",
                      [&](const std::string& name, const Json& value, const std::string& where) {
                          SchemaPattern pattern;
                          std::string error;
                          if (!pattern.Compile(name, error)) {
                              Error(where, error);
                              return;
                          }
                          schema.m_families.emplace_back(std::move(pattern), SectionSchema());
                          ReadSection(value, where, schema.m_families.back().second);
                      });
    }

  private:
    void Error(const std::string& where, const std::string& what) {
        m_errors.push_back(Shown(where) + ": " + what);
    }

    // Every member of object is a keyword of level.
    void CheckKeywords(const Json& object, const std::string& where, Level level) {
        const std::vector<std::string>& known = KeywordsOf(level);
        for (auto it = object.begin(); it != object.end(); ++it) {
            const std::string& word = it.key();
            if (std::find(known.begin(), known.end(), word) != known.end()) {
                continue;
            }
            std::string elsewhere;
            for (const Level other : {Level::kTop, Level::kSection, Level::kKey, Level::kItems}) {
                const std::vector<std::string>& words = KeywordsOf(other);
                if (elsewhere.empty() &&
                    std::find(words.begin(), words.end(), word) != words.end()) {
                    elsewhere = LevelName(other);
                }
            }
            if (!elsewhere.empty()) {
                Error(where, "keyword " + QuotedText(word) + " does not apply to " +
                                 LevelName(level) + " (it belongs to " + elsewhere + ")");
            } else if (IsUnsupportedStandard(word)) {
                Error(where, "keyword " + QuotedText(word) + " is not supported");
            } else {
                const std::string nearest = m_hint ? m_hint(known, word) : std::string();
                Error(where,
                      "unknown keyword " + QuotedText(word) +
                          (nearest.empty() ? "" : " (did you mean " + QuotedText(nearest) + "?)"));
            }
        }
    }

    std::string Text(const Json& object, const char* keyword, const std::string& where) {
        const auto it = object.find(keyword);
        if (it == object.end()) {
            return {};
        }
        if (!it->is_string()) {
            Error(Child(where, keyword), "must be a string");
            return {};
        }
        return it->get<std::string>();
    }

    void ObjectType(const Json& object, const std::string& where) {
        const auto it = object.find("type");
        if (it != object.end() && *it != "object") {
            Error(Child(where, "type"),
                  "must be \"object\": the parameter view is an object of "
                  "sections, each an object of keys");
        }
    }

    bool Closed(const Json& object, const std::string& where) {
        const auto it = object.find("additionalProperties");
        if (it == object.end()) {
            return false;
        }
        if (!it->is_boolean()) {
            Error(Child(where, "additionalProperties"), "only true or false is supported");
            return false;
        }
        return !it->get<bool>();
    }

    std::vector<std::string> Names(const Json& object, const char* keyword,
                                   const std::string& where) {
        std::vector<std::string> names;
        const auto it = object.find(keyword);
        if (it == object.end()) {
            return names;
        }
        std::set<std::string> seen;
        if (!it->is_array() || !std::all_of(it->begin(), it->end(), [&](const Json& name) {
                return name.is_string() && seen.insert(name.get<std::string>()).second;
            })) {
            Error(Child(where, keyword), "must be an array of different strings");
            return names;
        }
        return it->get<std::vector<std::string>>();
    }

    template <class Visit>
    void ForEachMember(const Json& object, const char* keyword, const std::string& where,
                       Visit&& visit) {
        const auto it = object.find(keyword);
        if (it == object.end()) {
            return;
        }
        const std::string at = Child(where, keyword);
        if (!it->is_object()) {
            Error(at, "must be an object");
            return;
        }
        for (auto member = it->begin(); member != it->end(); ++member) {
            const std::string memberWhere = Child(at, member.key());
            if (!member->is_object()) {
                Error(memberWhere, "must be an object ({} accepts anything)");
                continue;
            }
            visit(member.key(), *member, memberWhere);
        }
    }

    void ReadSection(const Json& object, const std::string& where, SectionSchema& section) {
        section.m_where = Shown(where);
        CheckKeywords(object, where, Level::kSection);
        ObjectType(object, where);
        section.m_title = Text(object, "title", where);
        section.m_description = Text(object, "description", where);
        section.m_closed = Closed(object, where);
        section.m_required = Names(object, "required", where);
        ForEachMember(object, "properties", where,
                      [&](const std::string& name, const Json& value, const std::string& at) {
                          ReadKey(value, at, section.m_keys[name]);
                      });
        ForEachMember(object, "patternProperties", where,
                      [&](const std::string& name, const Json& value, const std::string& at) {
                          SchemaPattern pattern;
                          std::string error;
                          if (!pattern.Compile(name, error)) {
                              Error(at, error);
                              return;
                          }
                          section.m_keyFamilies.emplace_back(std::move(pattern), KeySchema());
                          ReadKey(value, at, section.m_keyFamilies.back().second);
                      });
    }

    void ReadKey(const Json& object, const std::string& where, KeySchema& key) {
        CheckKeywords(object, where, Level::kKey);
        ReadRules(object, where, key.m_value, false);
        key.m_title = Text(object, "title", where);
        key.m_description = Text(object, "description", where);
        key.m_unit = Text(object, "x-unit", where);
        const bool array = key.m_value.m_type == SchemaType::kArray;
        for (const char* keyword : {"items", "minItems", "maxItems"}) {
            if (!array && object.contains(keyword)) {
                Error(Child(where, keyword), "applies to \"type\": \"array\" only");
            }
        }
        if (array) {
            key.m_items.m_where = Shown(Child(where, "items"));
            const auto items = object.find("items");
            if (items != object.end() && !items->is_object()) {
                Error(key.m_items.m_where, "must be an object");
            } else if (items != object.end()) {
                CheckKeywords(*items, Child(where, "items"), Level::kItems);
                ReadRules(*items, Child(where, "items"), key.m_items, true);
            }
            key.m_minItems = Count(object, "minItems", where);
            key.m_maxItems = Count(object, "maxItems", where);
            if (key.m_minItems && key.m_maxItems && *key.m_minItems > *key.m_maxItems) {
                Error(where, "minItems is above maxItems: no list can pass");
            }
        }
        ReadLayers(object, where, key);
        const auto fallback = object.find("default");
        if (fallback != object.end()) {
            key.m_default = *fallback;
            CheckDefault(*fallback, Child(where, "default"), key);
        }
    }

    void ReadRules(const Json& object, const std::string& where, ValueRules& rules, bool items) {
        rules.m_where = Shown(where);
        const auto type = object.find("type");
        if (type != object.end()) {
            const std::string name = type->is_string() ? type->get<std::string>() : std::string();
            const std::pair<const char*, SchemaType> types[] = {{"integer", SchemaType::kInteger},
                                                                {"number", SchemaType::kNumber},
                                                                {"boolean", SchemaType::kBoolean},
                                                                {"string", SchemaType::kString},
                                                                {"array", SchemaType::kArray}};
            for (const auto& [word, value] : types) {
                if (name == word && (value != SchemaType::kArray || !items)) {
                    rules.m_type = value;
                }
            }
            if (rules.m_type == SchemaType::kAny) {
                Error(Child(where, "type"),
                      items ? "must be \"integer\", \"number\", \"boolean\" or \"string\""
                            : "must be \"integer\", \"number\", \"boolean\", \"string\" or "
                              "\"array\" (a section path such as \"A:B\" names one section, "
                              "so a key never holds an object)");
            }
        }
        const bool numeric =
            rules.m_type == SchemaType::kInteger || rules.m_type == SchemaType::kNumber;
        const std::pair<const char*, std::optional<double>*> bounds[] = {
            {"minimum", &rules.m_minimum},
            {"maximum", &rules.m_maximum},
            {"exclusiveMinimum", &rules.m_exclusiveMinimum},
            {"exclusiveMaximum", &rules.m_exclusiveMaximum}};
        for (const auto& [keyword, bound] : bounds) {
            const auto it = object.find(keyword);
            if (it == object.end()) {
                continue;
            }
            if (!numeric) {
                Error(Child(where, keyword),
                      rules.m_type == SchemaType::kArray
                          ? "applies to the elements: put it in \"items\""
                          : "applies to \"type\": \"integer\" or \"number\" only");
            } else if (!it->is_number()) {
                Error(Child(where, keyword), "must be a number");
            } else {
                *bound = it->get<double>();
            }
        }
        // Every value fails when the bounds leave nothing between them.
        const double low = std::max(rules.m_minimum.value_or(-HUGE_VAL),
                                    rules.m_exclusiveMinimum.value_or(-HUGE_VAL));
        const double high = std::min(rules.m_maximum.value_or(HUGE_VAL),
                                     rules.m_exclusiveMaximum.value_or(HUGE_VAL));
        const bool exclusiveEdge = (rules.m_exclusiveMinimum && *rules.m_exclusiveMinimum == low) ||
                                   (rules.m_exclusiveMaximum && *rules.m_exclusiveMaximum == high);
        if (low > high || (low == high && exclusiveEdge)) {
            Error(where, "the minimum is above the maximum: no value can pass");
        }
        const auto pattern = object.find("pattern");
        if (pattern != object.end()) {
            std::string error;
            if (rules.m_type != SchemaType::kAny && rules.m_type != SchemaType::kString) {
                Error(Child(where, "pattern"), "applies to \"type\": \"string\" only");
            } else if (!pattern->is_string()) {
                Error(Child(where, "pattern"), "must be a string");
            } else if (!rules.m_pattern.emplace().Compile(pattern->get<std::string>(), error)) {
                rules.m_pattern.reset();
                Error(Child(where, "pattern"), error);
            }
        }
        ReadEnum(object, where, rules);
    }

    void ReadEnum(const Json& object, const std::string& where, ValueRules& rules) {
        const auto it = object.find("enum");
        if (it == object.end()) {
            return;
        }
        const std::string at = Child(where, "enum");
        if (rules.m_type == SchemaType::kArray) {
            Error(at, "applies to the elements: put it in \"items\"");
            return;
        }
        if (!it->is_array() || it->empty()) {
            Error(at, "must be an array of at least one value");
            return;
        }
        rules.m_hasEnum = true;
        rules.m_enum = *it;
        for (const Json& constant : *it) {
            bool fits = false;
            switch (rules.m_type) {
                case SchemaType::kInteger:
                    fits = constant.is_number() &&
                           std::floor(constant.get<double>()) == constant.get<double>();
                    break;
                case SchemaType::kNumber:
                    fits = constant.is_number();
                    break;
                case SchemaType::kBoolean:
                    fits = constant.is_boolean();
                    break;
                case SchemaType::kString:
                case SchemaType::kAny:
                case SchemaType::kArray:
                    fits = constant.is_string();
                    break;
            }
            if (!fits) {
                Error(at, "holds " + constant.dump(-1, ' ', false, Json::error_handler_t::replace) +
                              ", which is not " +
                              (rules.m_type == SchemaType::kAny
                                   ? "a string (a value without a "
                                     "type is its text)"
                                   : std::string("of type ") + TypeName(rules.m_type)));
            } else if (constant.is_number()) {
                rules.m_enumNumbers.push_back(constant.get<double>());
            } else if (constant.is_boolean()) {
                rules.m_enumBooleans.push_back(constant.get<bool>());
            } else {
                rules.m_enumTexts.push_back(constant.get<std::string>());
            }
        }
    }

    std::optional<size_t> Count(const Json& object, const char* keyword, const std::string& where) {
        const auto it = object.find(keyword);
        if (it == object.end()) {
            return std::nullopt;
        }
        if (!it->is_number() || it->get<double>() < 0 ||
            std::floor(it->get<double>()) != it->get<double>() || it->get<double>() > 1e15) {
            Error(Child(where, keyword), "must be a whole number, 0 or more");
            return std::nullopt;
        }
        return static_cast<size_t>(it->get<double>());
    }

    void ReadLayers(const Json& object, const std::string& where, KeySchema& key) {
        const auto it = object.find("x-layers");
        if (it == object.end()) {
            return;
        }
        std::set<std::string> seen;
        const bool valid =
            it->is_array() && !it->empty() &&
            std::all_of(it->begin(), it->end(), [&](const Json& name) {
                return name.is_string() &&
                       name.get<std::string>() == LayerName(LayerOf(name.get<std::string>())) &&
                       seen.insert(name.get<std::string>()).second;
            });
        if (!valid) {
            std::string names;
            for (int i = 0; i < static_cast<int>(SchemaLayer::kUnknown); ++i) {
                names += (names.empty() ? "\"" : ", \"") +
                         std::string(LayerName(static_cast<SchemaLayer>(i))) + "\"";
            }
            Error(Child(where, "x-layers"), "must be an array of different layer names: " + names);
            return;
        }
        for (const Json& name : *it) {
            key.m_layers.push_back(LayerOf(name.get<std::string>()));
        }
    }

    // A default is a value like any other: of the key's type, within its rules.
    void CheckDefault(const Json& fallback, const std::string& where, const KeySchema& key) {
        const RuleReport report = [&](const char*, std::string message) {
            Error(where, "breaks the key's own rules: " + message);
        };
        SchemaScalar scalar;
        if (key.m_value.m_type != SchemaType::kArray) {
            if (!ScalarOfJson(fallback, scalar)) {
                Error(where, "must be a number, a boolean or a string");
            } else {
                CheckScalar(key.m_value, scalar, "default", kNoElement, "the key", key.m_unit,
                            nullptr, report);
            }
            return;
        }
        if (!fallback.is_array()) {
            Error(where, "must be an array, as the key is");
            return;
        }
        const size_t count = fallback.size();
        if ((key.m_minItems && count < *key.m_minItems) ||
            (key.m_maxItems && count > *key.m_maxItems)) {
            Error(where, "has " + std::to_string(count) +
                             " elements, more or fewer than minItems and maxItems allow");
        }
        for (size_t i = 0; i < count; ++i) {
            if (!ScalarOfJson(fallback[i], scalar)) {
                Error(where,
                      "element " + std::to_string(i) + " must be a number, a boolean or a string");
            } else {
                CheckScalar(key.m_items, scalar, "element", i, "the default", key.m_unit, nullptr,
                            report);
            }
        }
    }

    std::vector<std::string>& m_errors;
    const NameHint& m_hint;
};

// Members of one object may not repeat: the JSON parser would keep the last and drop the
// others without a word. Called by the parser for each event, with the depth of nesting.
class DuplicateCheck {
  public:
    explicit DuplicateCheck(std::vector<std::string>& errors) : m_errors(errors) {}

    bool operator()(int, Json::parse_event_t event, Json& parsed) {
        switch (event) {
            case Json::parse_event_t::object_start:
            case Json::parse_event_t::array_start:
                Element();
                m_frames.push_back({event == Json::parse_event_t::object_start, {}, {}, 0});
                break;
            case Json::parse_event_t::object_end:
            case Json::parse_event_t::array_end:
                m_frames.pop_back();
                break;
            case Json::parse_event_t::key: {
                Frame& frame = m_frames.back();
                frame.m_token = parsed.get<std::string>();
                if (!frame.m_keys.insert(frame.m_token).second) {
                    std::string where;
                    for (size_t i = 0; i + 1 < m_frames.size(); ++i) {
                        where += "/" + PointerToken(m_frames[i].m_token);
                    }
                    m_errors.push_back(Shown(where) + ": member " + QuotedText(frame.m_token) +
                                       " appears twice");
                }
                break;
            }
            case Json::parse_event_t::value:
                Element();
                break;
        }
        return true;
    }

  private:
    struct Frame {
        bool m_object;
        std::set<std::string> m_keys;
        std::string m_token;  // the member or the index being read
        size_t m_next;
    };

    void Element() {
        if (!m_frames.empty() && !m_frames.back().m_object) {
            m_frames.back().m_token = std::to_string(m_frames.back().m_next++);
        }
    }

    std::vector<std::string>& m_errors;
    std::vector<Frame> m_frames;
};

}  // namespace

bool ReadSchema(const std::string& text, Schema& schema, std::vector<std::string>& errors,
                const NameHint& hint) {
    schema = Schema();
    const size_t before = errors.size();
    Json top;
    try {
        top = Json::parse(text, DuplicateCheck(errors));
    } catch (const Json::exception& e) {
        // "[json.exception.parse_error.101] parse error at line 3, column 5: ..."
        const std::string what = e.what();
        const size_t at = what.find("] ");
        errors.push_back("not JSON: " + (at == std::string::npos ? what : what.substr(at + 2)));
        return false;
    }
    Reader(errors, hint).ReadTop(top, schema);
    return errors.size() == before;
}

bool ReadSchemaFile(const std::string& path, Schema& schema, std::vector<std::string>& errors,
                    const NameHint& hint) {
    std::string text;
    if (!ReadFileBytes(path, text)) {
        errors.push_back(path + ": cannot read the schema file");
        return false;
    }
    std::vector<std::string> found;
    const bool read = ReadSchema(text, schema, found, hint);
    for (const std::string& error : found) {
        errors.push_back(path + ": " + error);
    }
    return read;
}
