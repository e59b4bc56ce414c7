// How a value's text reads as the type its schema declares, by the library's own conversions,
// and which of the schema's rules the value then breaks. "integer" is what ToInt and ToLong
// read without the int-cast warning and within int's range (a fraction or a number past the
// range is reported with what a query gets); "number" what ToDouble reads within float's range
// (the stages read most numbers as floats); "boolean" the words true and false as ToBool reads
// them; an array's elements are the tokens the list conversions read. A value that reads is
// checked as JSON Schema checks the same value written in the typed view.
#ifndef QUENDEL_INSPECT_SCHEMA_SCHEMAVALUE_H
#define QUENDEL_INSPECT_SCHEMA_SCHEMAVALUE_H

#include <cstdint>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "inspect/schema/Schema.h"

// One value, or one element of a list, read as a type: a number (an integer exactly), a
// boolean, or a text.
struct SchemaScalar {
    enum class Kind { kNumber, kBoolean, kText };
    Kind m_kind = Kind::kText;
    bool m_integer = false;  // read as an integer, written without a point
    double m_number = 0.0;
    bool m_boolean = false;
    std::string_view m_text;  // as written; empty for an element of a list of numbers
};

// A value read as the schemas of its key read it: the type of the first schema that declares
// one (an array's elements as the first array schema's items), or its text.
struct SchemaReading {
    bool m_read = false;  // false: the text does not read as the declared type; m_why says so
    bool m_array = false;
    SchemaScalar m_scalar;
    std::vector<SchemaScalar> m_elements;
    std::string m_why;              // "does not read as an integer: an int query gets its default"
    size_t m_element = 0;           // the element that does not read, in an array
    std::string m_storage;          // a list's text with spaces for tabs, when it holds a tab
    std::string m_scratch;          // the text of one value or element, as the conversions take it
    std::vector<double> m_numbers;  // a list of numbers as the list conversion reads it
};

// Reads text, which must outlive the reading: the elements' views point into it.
void ReadValue(const std::vector<const KeySchema*>& schemas, std::string_view text,
               SchemaReading& reading);

// Calls report(rule, message) for every rule of schemas that a value read by ReadValue breaks;
// name is the key, for messages ("value 300 dB of MasterGain is above its maximum 60 dB").
using RuleReport = std::function<void(const char* rule, std::string message)>;
void CheckReading(const std::vector<const KeySchema*>& schemas, const SchemaReading& reading,
                  std::string_view name, const NameHint& hint, const RuleReport& report);

// The value as the typed view writes it: a number, a boolean, an array of them, or the text
// when it does not read as its declared type.
nlohmann::ordered_json ReadingJson(const SchemaReading& reading, std::string_view text);

// Whether text reads as type (integer, number or boolean; any text is a string), as ReadValue
// reads one value or one element; scratch is a buffer the caller keeps for the text.
bool ReadsAs(SchemaType type, std::string_view text, SchemaScalar& scalar, std::string& scratch);

// A constant of the schema file (a "default", an "enum" entry) as a scalar; false when it is
// not a number, a boolean or a string.
bool ScalarOfJson(const nlohmann::json& constant, SchemaScalar& scalar);
// Calls report(rule, message) for each rule of rules that scalar breaks. label, element (when
// not kNoElement) and name say what the scalar is: "value" of MasterGain, "element" 3 of
// TgcCurve.
inline constexpr size_t kNoElement = SIZE_MAX;
void CheckScalar(const ValueRules& rules, const SchemaScalar& scalar, std::string_view label,
                 size_t element, std::string_view name, const std::string& unit,
                 const NameHint& hint, const RuleReport& report);

#endif
