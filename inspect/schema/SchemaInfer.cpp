#include "inspect/schema/SchemaInfer.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <map>
#include <set>
#include <unordered_map>
#include <utility>

#include "inspect/schema/Schema.h"
#include "inspect/schema/SchemaPattern.h"
#include "inspect/schema/SchemaReader.h"
#include "inspect/schema/SchemaText.h"
#include "inspect/schema/SchemaValue.h"
#include "resource/StringOps.h"
#include "resource/ValueText.h"

namespace {

using Json = nlohmann::ordered_json;
constexpr std::string_view kListDelimiters = ", ";
constexpr size_t kMaxWordLength = 64;

// What every value of one key read as so far.
struct KeyStats {
    size_t m_values = 0;
    // Each value as one text.
    bool m_integers = true;
    bool m_numbers = true;
    bool m_booleans = true;
    double m_min = HUGE_VAL;
    double m_max = -HUGE_VAL;
    // Each element, as the list conversions split a value.
    bool m_list = false;  // some value has two elements or more
    bool m_itemIntegers = true;
    bool m_itemNumbers = true;
    bool m_itemBooleans = true;
    double m_itemMin = HUGE_VAL;
    double m_itemMax = -HUGE_VAL;
    size_t m_minCount = SIZE_MAX;
    size_t m_maxCount = 0;
    bool m_wordsOnly = true;  // and at most kMaxWords of them
    std::set<std::string> m_words;
    bool m_base = false;  // a base-level file sets it

    void Merge(const KeyStats& other) {
        m_values += other.m_values;
        m_integers = m_integers && other.m_integers;
        m_numbers = m_numbers && other.m_numbers;
        m_booleans = m_booleans && other.m_booleans;
        m_min = std::min(m_min, other.m_min);
        m_max = std::max(m_max, other.m_max);
        m_list = m_list || other.m_list;
        m_itemIntegers = m_itemIntegers && other.m_itemIntegers;
        m_itemNumbers = m_itemNumbers && other.m_itemNumbers;
        m_itemBooleans = m_itemBooleans && other.m_itemBooleans;
        m_itemMin = std::min(m_itemMin, other.m_itemMin);
        m_itemMax = std::max(m_itemMax, other.m_itemMax);
        m_minCount = std::min(m_minCount, other.m_minCount);
        m_maxCount = std::max(m_maxCount, other.m_maxCount);
        m_wordsOnly = m_wordsOnly && other.m_wordsOnly;
        m_words.insert(other.m_words.begin(), other.m_words.end());
        m_wordsOnly = m_wordsOnly && m_words.size() <= SchemaInference::kMaxWords;
    }
};

struct SectionStats {
    std::unordered_map<std::string, KeyStats> m_keys;
    bool m_base = false;  // a base-level file sets it
};

// One value as one text, or one element: narrows what all of them read as.
void Narrow(std::string_view text, bool& integers, bool& numbers, bool& booleans, double& min,
            double& max, std::string& scratch) {
    SchemaScalar scalar;
    if (numbers) {
        if (ReadsAs(SchemaType::kNumber, text, scalar, scratch)) {
            min = std::min(min, scalar.m_number);
            max = std::max(max, scalar.m_number);
            integers = integers && ReadsAs(SchemaType::kInteger, text, scalar, scratch);
        } else {
            numbers = integers = false;
        }
    }
    booleans = booleans && ReadsAs(SchemaType::kBoolean, text, scalar, scratch);
}

bool IsWord(std::string_view text) {
    if (text.empty() || text.size() > kMaxWordLength ||
        !(std::isalpha(static_cast<unsigned char>(text[0])) != 0 || text[0] == '_')) {
        return false;
    }
    return std::all_of(text.begin(), text.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_' || c == '-' || c == '.';
    });
}

bool IsUtf8(const std::string& text) {
    try {
        (void)Json(text).dump();
        return true;
    } catch (const Json::exception&) {
        return false;
    }
}

// The type the stats allow: a scalar, or the elements' type of a list; kString for text.
std::pair<SchemaType, SchemaType> TypeOf(const KeyStats& stats) {
    if (!stats.m_list) {
        const SchemaType type = stats.m_booleans   ? SchemaType::kBoolean
                                : stats.m_integers ? SchemaType::kInteger
                                : stats.m_numbers  ? SchemaType::kNumber
                                                   : SchemaType::kString;
        return {type, SchemaType::kAny};
    }
    const SchemaType items = stats.m_itemBooleans   ? SchemaType::kBoolean
                             : stats.m_itemIntegers ? SchemaType::kInteger
                             : stats.m_itemNumbers  ? SchemaType::kNumber
                                                    : SchemaType::kAny;
    if (items == SchemaType::kAny) {
        return {SchemaType::kString, SchemaType::kAny};
    }
    return {SchemaType::kArray, items};
}

Json Bound(double value, SchemaType type) {
    return type == SchemaType::kInteger ? Json(static_cast<int64_t>(value)) : Json(value);
}

Json KeyJson(const KeyStats& stats) {
    const auto [type, items] = TypeOf(stats);
    Json key = {{"type", TypeName(type)}};
    if (type == SchemaType::kInteger || type == SchemaType::kNumber) {
        key["minimum"] = Bound(stats.m_min, type);
        key["maximum"] = Bound(stats.m_max, type);
    } else if (type == SchemaType::kString && stats.m_wordsOnly && !stats.m_words.empty() &&
               stats.m_words.size() <= SchemaInference::kMaxWords) {
        key["enum"] = stats.m_words;
    } else if (type == SchemaType::kArray) {
        Json element = {{"type", TypeName(items)}};
        if (items != SchemaType::kBoolean && stats.m_itemMin <= stats.m_itemMax) {
            element["minimum"] = Bound(stats.m_itemMin, items);
            element["maximum"] = Bound(stats.m_itemMax, items);
        }
        key["items"] = std::move(element);
        if (stats.m_minCount == stats.m_maxCount) {
            key["minItems"] = stats.m_minCount;
            key["maxItems"] = stats.m_maxCount;
        }
    }
    return key;
}

// A section of keys, in name order; open when a key cannot be written.
template <class Keys>
Json SectionJson(const std::string& where, const Keys& unordered,
                 std::vector<std::string>& warnings) {
    const std::map<std::string, KeyStats> keys(unordered.begin(), unordered.end());
    Json properties = Json::object();
    Json required = Json::array();
    bool closed = true;
    for (const auto& [name, stats] : keys) {
        if (!IsUtf8(name)) {
            warnings.push_back(where + ": key " + QuotedText(name) +
                               " is not UTF-8: left out, and the section left open");
            closed = false;
            continue;
        }
        properties[name] = KeyJson(stats);
        if (stats.m_base) {
            required.push_back(name);
        }
    }
    Json section = {{"type", "object"}, {"properties", std::move(properties)}};
    if (!required.empty()) {
        section["required"] = std::move(required);
    }
    section["additionalProperties"] = !closed;
    return section;
}

// The path with each run of digits as one mark: the shape sections of one family share.
std::string ShapeOf(const std::string& path) {
    std::string shape;
    for (size_t i = 0; i < path.size(); ++i) {
        if (std::isdigit(static_cast<unsigned char>(path[i])) != 0) {
            if (shape.empty() || shape.back() != '\x01') {
                shape += '\x01';
            }
        } else {
            shape += path[i];
        }
    }
    return shape;
}

std::string PatternOf(const std::string& shape) {
    std::string pattern = "^";
    for (const char c : shape) {
        if (c == '\x01') {
            pattern += "[0-9]+";
        } else {
            if (std::string_view("\\^$.|?*+()[]{}/").find(c) != std::string_view::npos) {
                pattern += '\\';
            }
            pattern += c;
        }
    }
    return pattern + "$";
}

}  // namespace

struct SchemaInference::State {
    SchemaFile m_file;
    std::map<std::string, SectionStats> m_sections;
    SectionStats* m_last = nullptr;
    std::string m_lastName;
    std::string m_scratch;
    std::string m_convert;          // a value's text as the conversions take it
    std::vector<double> m_numbers;  // a list of numbers as the list conversion reads it

    void AddValue(KeyStats& stats, std::string_view text) {
        ++stats.m_values;
        stats.m_base = stats.m_base || IsBaseLevel(m_file.m_layer);
        Narrow(text, stats.m_integers, stats.m_numbers, stats.m_booleans, stats.m_min, stats.m_max,
               m_convert);
        if (stats.m_wordsOnly) {
            if (IsWord(text) && stats.m_words.size() <= kMaxWords) {
                stats.m_words.emplace(text);
            }
            stats.m_wordsOnly = IsWord(text) && stats.m_words.size() <= kMaxWords;
        }
        size_t count = 0;
        const auto element = [&](std::string_view token) {
            ++count;
            if (stats.m_itemNumbers || stats.m_itemBooleans) {
                Narrow(token, stats.m_itemIntegers, stats.m_itemNumbers, stats.m_itemBooleans,
                       stats.m_itemMin, stats.m_itemMax, m_convert);
            }
            return true;
        };
        // A list that can only be numbers any more is read by the library's list conversion in
        // one pass; any other, or one it refuses, token by token.
        if (stats.m_itemNumbers && !stats.m_itemIntegers && !stats.m_itemBooleans &&
            ToDoubleVector(m_convert.assign(text), m_numbers) &&
            std::all_of(m_numbers.begin(), m_numbers.end(),
                        [](double number) { return std::isfinite(NarrowToFloat(number)); })) {
            count = m_numbers.size();
            for (const double number : m_numbers) {
                stats.m_itemMin = std::min(stats.m_itemMin, number);
                stats.m_itemMax = std::max(stats.m_itemMax, number);
            }
        } else if (text.find_first_of(", \t\"") == std::string_view::npos) {
            // A text without delimiters, quotes or tabs is its only element.
            if (!text.empty()) {
                element(text);
            }
        } else {
            m_scratch.assign(text);
            ForEachToken(m_scratch, kListDelimiters, element);
        }
        stats.m_list = stats.m_list || count > 1;
        stats.m_minCount = std::min(stats.m_minCount, count);
        stats.m_maxCount = std::max(stats.m_maxCount, count);
    }
};

SchemaInference::SchemaInference() : m_state(std::make_unique<State>()) {}
SchemaInference::~SchemaInference() = default;

void SchemaInference::BeginFile(const SchemaFile& file) {
    m_state->m_file = file;
}

void SchemaInference::Add(const SchemaRecord& record) {
    State& state = *m_state;
    if (state.m_last == nullptr || state.m_lastName != record.m_section) {
        state.m_lastName.assign(record.m_section);
        state.m_last = &state.m_sections[state.m_lastName];
    }
    SectionStats& section = *state.m_last;
    section.m_base = section.m_base || IsBaseLevel(state.m_file.m_layer);
    state.m_scratch.assign(record.m_key);
    state.AddValue(section.m_keys[state.m_scratch], record.m_value);
}

Json SchemaInference::Finish(const std::string& title, std::vector<std::string>& warnings) {
    const State& state = *m_state;
    // Sections of one shape, when there are enough of them and they agree on their keys' types
    // (an integer key of one and a number key of another make a number key).
    std::map<std::string, std::vector<const std::string*>> shapes;
    for (const auto& [path, section] : state.m_sections) {
        shapes[ShapeOf(path)].push_back(&path);
    }
    Json properties = Json::object();
    Json families = Json::object();
    Json required = Json::array();
    bool closed = true;
    std::set<const std::string*> inFamily;
    for (const auto& [shape, members] : shapes) {
        const std::string pattern = PatternOf(shape);
        SchemaPattern compiled;
        std::string error;
        if (members.size() < kMinFamily || !IsUtf8(pattern) || !compiled.Compile(pattern, error)) {
            continue;
        }
        std::map<std::string, KeyStats> merged;
        for (const std::string* member : members) {
            for (const auto& [key, stats] : state.m_sections.at(*member).m_keys) {
                const auto [it, added] = merged.try_emplace(key, stats);
                if (!added) {
                    it->second.Merge(stats);
                }
            }
        }
        // A key that a base-level file sets in every member is required of the family.
        for (auto& named : merged) {
            const std::string& key = named.first;
            named.second.m_base =
                std::all_of(members.begin(), members.end(), [&](const std::string* m) {
                    const auto& keys = state.m_sections.at(*m).m_keys;
                    const auto it = keys.find(key);
                    return it != keys.end() && it->second.m_base;
                });
        }
        const bool agree = std::all_of(members.begin(), members.end(), [&](const std::string* m) {
            const auto& keys = state.m_sections.at(*m).m_keys;
            return std::all_of(keys.begin(), keys.end(), [&](const auto& key) {
                return TypeOf(merged.at(key.first)).first != SchemaType::kString ||
                       TypeOf(key.second).first == SchemaType::kString;
            });
        });
        if (agree) {
            families[pattern] = SectionJson("/patternProperties/" + pattern, merged, warnings);
            inFamily.insert(members.begin(), members.end());
        }
    }
    for (const auto& [path, section] : state.m_sections) {
        if (inFamily.count(&path) != 0) {
            continue;
        }
        if (!IsUtf8(path)) {
            warnings.push_back("section " + QuotedText(path) +
                               " is not UTF-8: left out, and the schema left open");
            closed = false;
            continue;
        }
        properties[path] = SectionJson("/properties/" + path, section.m_keys, warnings);
        if (section.m_base) {
            required.push_back(path);
        }
    }
    Json schema = {{"$schema", kSchemaDialect},
                   {"title", title},
                   {"description",
                    "Inferred by quendel schema infer: the narrowest type each key's values read "
                    "as, the range they span, list lengths that agree and the words of word "
                    "keys. Edit it to say what is valid."},
                   {"type", "object"},
                   {"properties", std::move(properties)}};
    if (!families.empty()) {
        schema["patternProperties"] = std::move(families);
    }
    if (!required.empty()) {
        schema["required"] = std::move(required);
    }
    schema["additionalProperties"] = !closed;
    return schema;
}
