#include "inspect/schema/SchemaValue.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "inspect/schema/SchemaRules.h"
#include "inspect/schema/SchemaText.h"
#include "resource/StringOps.h"
#include "resource/ValueText.h"

namespace {

constexpr std::string_view kListDelimiters = ", ";
// An int has at most ten digits; a text of fewer always fits.
constexpr size_t kDigitsThatFit = 9;

// What a query of the value (or a list query, for an element) is called in a reason; only a
// value that does not read needs one.
std::string Query(bool element, const char* scalarQuery) {
    return element ? "a list query" : scalarQuery;
}

// The conversions take a std::string: the text is copied into one the caller keeps, so that
// the many elements of lists reuse it.
const std::string& Text(std::string_view text, std::string& scratch) {
    scratch.assign(text);
    return scratch;
}

bool ReadInteger(std::string_view text, bool element, SchemaScalar& scalar, std::string& why,
                 std::string& scratch) {
    const char* const query = "an int query";
    if (text.empty()) {
        why = "is empty: " + Query(element, query) + " reads it as 0";
        return false;
    }
    long value = 0;
    if (!ToLong(Text(text, scratch), value)) {
        why = "does not read as an integer: " + Query(element, query) + " gets its default";
        return false;
    }
    if (text.find('.') != std::string_view::npos) {
        why = "is not a whole number: " + Query(element, query) + " reads it as " +
              std::to_string(value) + ", cutting the fraction";
        return false;
    }
    const size_t digits = text.size() - (text[0] == '+' || text[0] == '-' ? 1 : 0);
    double exact = 0.0;
    if (digits > kDigitsThatFit && ToDouble(Text(text, scratch), exact) &&
        (exact < INT_MIN || exact > INT_MAX)) {
        why = "does not fit an int: " + Query(element, query) + " reads it as " +
              std::to_string(value);
        return false;
    }
    scalar.m_kind = SchemaScalar::Kind::kNumber;
    scalar.m_integer = true;
    scalar.m_number = static_cast<double>(value);
    return true;
}

bool ReadNumber(std::string_view text, bool element, SchemaScalar& scalar, std::string& why,
                std::string& scratch) {
    const char* const query = "a query for a number";
    if (text.empty()) {
        why = "is empty: " + Query(element, query) + " reads it as 0";
        return false;
    }
    double value = 0.0;
    if (!ToDouble(Text(text, scratch), value)) {
        why = "does not read as a number: " + Query(element, query) + " gets its default";
        return false;
    }
    const float narrow = NarrowToFloat(value);
    if (!std::isfinite(narrow)) {
        why = std::string("does not fit a float: a float query reads it as ") +
              (narrow < 0 ? "-inf" : "inf");
        return false;
    }
    scalar.m_kind = SchemaScalar::Kind::kNumber;
    scalar.m_integer = false;
    scalar.m_number = value;
    return true;
}

// A number reads as a bool too (not 0 is true), but the schema's booleans are the words. ToBool
// is not asked about a number: with a point it would print the int-cast warning.
bool ReadBoolean(std::string_view text, bool element, SchemaScalar& scalar, std::string& why,
                 std::string& scratch) {
    const char* const query = "a bool query";
    if (IsNumber(text)) {
        long number = 0;
        ToLong(Text(text, scratch), number);
        why = "is a number, not true or false: " + Query(element, query) + " reads it as " +
              (number != 0 ? "true" : "false");
        return false;
    }
    bool value = false;
    if (!ToBool(Text(text, scratch), value)) {
        why = "is not true or false: " + Query(element, query) + " gets its default";
        return false;
    }
    scalar.m_kind = SchemaScalar::Kind::kBoolean;
    scalar.m_boolean = value;
    return true;
}

bool ReadAs(SchemaType type, std::string_view text, bool element, SchemaScalar& scalar,
            std::string& why, std::string& scratch) {
    scalar = SchemaScalar();
    scalar.m_text = text;
    switch (type) {
        case SchemaType::kInteger:
            return ReadInteger(text, element, scalar, why, scratch);
        case SchemaType::kNumber:
            return ReadNumber(text, element, scalar, why, scratch);
        case SchemaType::kBoolean:
            return ReadBoolean(text, element, scalar, why, scratch);
        case SchemaType::kString:
        case SchemaType::kArray:
        case SchemaType::kAny:
            break;
    }
    return true;
}

std::string ScalarText(const SchemaScalar& scalar, const std::string& unit) {
    switch (scalar.m_kind) {
        case SchemaScalar::Kind::kNumber:
            return WithUnit(DecimalText(scalar.m_number), unit);
        case SchemaScalar::Kind::kBoolean:
            return scalar.m_boolean ? "true" : "false";
        case SchemaScalar::Kind::kText:
            break;
    }
    return QuotedText(scalar.m_text);
}

// What JSON Schema's "type" accepts: an integer is a number without a fraction.
bool TypeAccepts(SchemaType type, const SchemaScalar& scalar) {
    switch (type) {
        case SchemaType::kAny:
            return true;
        case SchemaType::kInteger:
            return scalar.m_kind == SchemaScalar::Kind::kNumber &&
                   std::floor(scalar.m_number) == scalar.m_number;
        case SchemaType::kNumber:
            return scalar.m_kind == SchemaScalar::Kind::kNumber;
        case SchemaType::kBoolean:
            return scalar.m_kind == SchemaScalar::Kind::kBoolean;
        case SchemaType::kString:
            return scalar.m_kind == SchemaScalar::Kind::kText;
        case SchemaType::kArray:
            break;
    }
    return false;
}

const char* KindText(const SchemaScalar& scalar) {
    switch (scalar.m_kind) {
        case SchemaScalar::Kind::kNumber:
            return scalar.m_integer ? "an integer" : "a number";
        case SchemaScalar::Kind::kBoolean:
            return "a boolean";
        case SchemaScalar::Kind::kText:
            break;
    }
    return "a text";
}

bool EnumHolds(const ValueRules& rules, const SchemaScalar& scalar) {
    switch (scalar.m_kind) {
        case SchemaScalar::Kind::kNumber:
            return std::find(rules.m_enumNumbers.begin(), rules.m_enumNumbers.end(),
                             scalar.m_number) != rules.m_enumNumbers.end();
        case SchemaScalar::Kind::kBoolean:
            return std::find(rules.m_enumBooleans.begin(), rules.m_enumBooleans.end(),
                             scalar.m_boolean) != rules.m_enumBooleans.end();
        case SchemaScalar::Kind::kText:
            break;
    }
    return std::find(rules.m_enumTexts.begin(), rules.m_enumTexts.end(), scalar.m_text) !=
           rules.m_enumTexts.end();
}

std::string ItemsText(size_t count) {
    return std::to_string(count) + (count == 1 ? " element" : " elements");
}

}  // namespace

void ReadValue(const std::vector<const KeySchema*>& schemas, std::string_view text,
               SchemaReading& reading) {
    reading.m_read = true;
    reading.m_array = false;
    reading.m_elements.clear();
    reading.m_why.clear();
    const KeySchema* declared = nullptr;
    for (const KeySchema* schema : schemas) {
        if (schema->m_value.m_type != SchemaType::kAny) {
            declared = schema;
            break;
        }
    }
    const SchemaType type = declared == nullptr ? SchemaType::kAny : declared->m_value.m_type;
    if (type != SchemaType::kArray) {
        reading.m_read =
            ReadAs(type, text, false, reading.m_scalar, reading.m_why, reading.m_scratch);
        return;
    }
    reading.m_array = true;
    SchemaType items = SchemaType::kAny;
    for (const KeySchema* schema : schemas) {
        if (schema->m_value.m_type == SchemaType::kArray &&
            schema->m_items.m_type != SchemaType::kAny) {
            items = schema->m_items.m_type;
            break;
        }
    }
    // A list of numbers is read by the library's own list conversion, in one pass; only a list
    // it refuses, or that holds a number past float's range, is read token by token to say
    // which element does not read and why.
    if (items == SchemaType::kNumber &&
        ToDoubleVector(Text(text, reading.m_scratch), reading.m_numbers) &&
        std::all_of(reading.m_numbers.begin(), reading.m_numbers.end(),
                    [](double number) { return std::isfinite(NarrowToFloat(number)); })) {
        for (const double number : reading.m_numbers) {
            SchemaScalar scalar;
            scalar.m_kind = SchemaScalar::Kind::kNumber;
            scalar.m_number = number;
            reading.m_elements.push_back(scalar);
        }
        return;
    }
    const auto element = [&](std::string_view token) {
        SchemaScalar scalar;
        if (!ReadAs(items, token, true, scalar, reading.m_why, reading.m_scratch)) {
            reading.m_read = false;
            reading.m_element = reading.m_elements.size();
            reading.m_scalar.m_text = token;
            return false;
        }
        reading.m_elements.push_back(scalar);
        return true;
    };
    if (text.find('\t') == std::string_view::npos) {
        detail::ForEachTokenNoTabs(text, kListDelimiters, element);
        return;
    }
    // The tokenizer reads a tab as a space; the elements' views then point into the copy.
    reading.m_storage.assign(text);
    std::replace(reading.m_storage.begin(), reading.m_storage.end(), '\t', ' ');
    detail::ForEachTokenNoTabs(reading.m_storage, kListDelimiters, element);
}

bool ReadsAs(SchemaType type, std::string_view text, SchemaScalar& scalar, std::string& scratch) {
    std::string why;
    return ReadAs(type, text, false, scalar, why, scratch);
}

void CheckScalar(const ValueRules& rules, const SchemaScalar& scalar, std::string_view label,
                 size_t element, std::string_view name, const std::string& unit,
                 const NameHint& hint, const RuleReport& report) {
    const auto subject = [&] {
        return std::string(label) + (element == kNoElement ? "" : " " + std::to_string(element)) +
               " " + ScalarText(scalar, unit) + " of " + std::string(name);
    };
    if (!TypeAccepts(rules.m_type, scalar)) {
        report(schema_rule::kType, subject() + " is " + KindText(scalar) + ", where " +
                                       rules.m_where + " declares " + TypeName(rules.m_type));
        return;
    }
    if (scalar.m_kind == SchemaScalar::Kind::kNumber) {
        const double v = scalar.m_number;
        const auto bound = [&](double limit) { return WithUnit(DecimalText(limit), unit); };
        if (rules.m_minimum && v < *rules.m_minimum) {
            report(schema_rule::kRange,
                   subject() + " is below its minimum " + bound(*rules.m_minimum));
        }
        if (rules.m_exclusiveMinimum && v <= *rules.m_exclusiveMinimum) {
            report(schema_rule::kRange, subject() + " is not above its exclusive minimum " +
                                            bound(*rules.m_exclusiveMinimum));
        }
        if (rules.m_maximum && v > *rules.m_maximum) {
            report(schema_rule::kRange,
                   subject() + " is above its maximum " + bound(*rules.m_maximum));
        }
        if (rules.m_exclusiveMaximum && v >= *rules.m_exclusiveMaximum) {
            report(schema_rule::kRange, subject() + " is not below its exclusive maximum " +
                                            bound(*rules.m_exclusiveMaximum));
        }
    }
    if (rules.m_hasEnum && !EnumHolds(rules, scalar)) {
        std::string nearest;
        if (hint && scalar.m_kind == SchemaScalar::Kind::kText) {
            nearest = hint(rules.m_enumTexts, scalar.m_text);
        }
        report(schema_rule::kEnum,
               subject() + " is not one of " + ConstantsText(rules.m_enum) +
                   (nearest.empty() ? "" : " (did you mean " + QuotedText(nearest) + "?)"));
    }
    if (rules.m_pattern && scalar.m_kind == SchemaScalar::Kind::kText) {
        if (scalar.m_text.size() > SchemaPattern::kMaxText) {
            report(schema_rule::kEnum, subject() + " is " + std::to_string(scalar.m_text.size()) +
                                           " bytes long: a pattern is checked against at most " +
                                           std::to_string(SchemaPattern::kMaxText));
        } else if (!rules.m_pattern->Search(scalar.m_text)) {
            report(schema_rule::kEnum, subject() + " does not match the pattern " +
                                           QuotedText(rules.m_pattern->Source()));
        }
    }
}

void CheckReading(const std::vector<const KeySchema*>& schemas, const SchemaReading& reading,
                  std::string_view name, const NameHint& hint, const RuleReport& report) {
    const auto key = [name] { return std::string(name); };
    if (!reading.m_read) {
        const std::string label =
            reading.m_array ? "element " + std::to_string(reading.m_element) : "value";
        report(schema_rule::kType, label + " " + QuotedText(reading.m_scalar.m_text) + " of " +
                                       key() + " " + reading.m_why);
        return;
    }
    for (const KeySchema* schema : schemas) {
        const ValueRules& rules = schema->m_value;
        if (!reading.m_array) {
            if (rules.m_type == SchemaType::kArray) {
                report(schema_rule::kType, "value " + ScalarText(reading.m_scalar, schema->m_unit) +
                                               " of " + key() + " is " +
                                               KindText(reading.m_scalar) + ", where " +
                                               rules.m_where + " declares an array");
            } else {
                CheckScalar(rules, reading.m_scalar, "value", kNoElement, name, schema->m_unit,
                            hint, report);
            }
            continue;
        }
        if (rules.m_type == SchemaType::kAny) {
            if (rules.m_hasEnum) {
                report(schema_rule::kEnum, "value of " + key() + " is a list, not one of " +
                                               ConstantsText(rules.m_enum));
            }
            continue;
        }
        if (rules.m_type != SchemaType::kArray) {
            report(schema_rule::kType, "value of " + key() + " is a list, where " + rules.m_where +
                                           " declares " + TypeName(rules.m_type));
            continue;
        }
        const size_t count = reading.m_elements.size();
        const bool few = schema->m_minItems && count < *schema->m_minItems;
        const bool many = schema->m_maxItems && count > *schema->m_maxItems;
        if (few || many) {
            const size_t least = schema->m_minItems.value_or(0);
            std::string wanted;
            if (schema->m_minItems && schema->m_maxItems) {
                wanted = least == *schema->m_maxItems
                             ? "exactly " + std::to_string(least)
                             : std::to_string(least) + " to " + std::to_string(*schema->m_maxItems);
            } else {
                wanted = few ? "at least " + std::to_string(least)
                             : "at most " + std::to_string(*schema->m_maxItems);
            }
            report(schema_rule::kLength, "list of " + ItemsText(count) + " for " + key() +
                                             ", where the schema asks for " + wanted);
        }
        for (size_t i = 0; i < count; ++i) {
            CheckScalar(schema->m_items, reading.m_elements[i], "element", i, name, schema->m_unit,
                        hint, report);
        }
    }
}

nlohmann::ordered_json ReadingJson(const SchemaReading& reading, std::string_view text) {
    const auto scalarJson = [](const SchemaScalar& scalar) -> nlohmann::ordered_json {
        switch (scalar.m_kind) {
            case SchemaScalar::Kind::kNumber:
                if (scalar.m_integer) {
                    return static_cast<int64_t>(scalar.m_number);
                }
                return scalar.m_number;
            case SchemaScalar::Kind::kBoolean:
                return scalar.m_boolean;
            case SchemaScalar::Kind::kText:
                break;
        }
        return std::string(scalar.m_text);
    };
    if (!reading.m_read) {
        return std::string(text);
    }
    if (!reading.m_array) {
        return scalarJson(reading.m_scalar);
    }
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const SchemaScalar& element : reading.m_elements) {
        list.push_back(scalarJson(element));
    }
    return list;
}

bool ScalarOfJson(const nlohmann::json& constant, SchemaScalar& scalar) {
    scalar = SchemaScalar();
    if (constant.is_number()) {
        scalar.m_kind = SchemaScalar::Kind::kNumber;
        scalar.m_integer = constant.is_number_integer();
        scalar.m_number = constant.get<double>();
    } else if (constant.is_boolean()) {
        scalar.m_kind = SchemaScalar::Kind::kBoolean;
        scalar.m_boolean = constant.get<bool>();
    } else if (constant.is_string()) {
        scalar.m_text = constant.get_ref<const std::string&>();
    } else {
        return false;
    }
    return true;
}
