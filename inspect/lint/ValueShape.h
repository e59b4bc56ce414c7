// The type a value's text has when read by the library's strict conversions, so that an
// override can be checked against the base-level value it replaces: an int query of "1O" or a
// bool query of "ture" gets its default.
#ifndef QUENDEL_INSPECT_LINT_VALUESHAPE_H
#define QUENDEL_INSPECT_LINT_VALUESHAPE_H

#include <cstddef>
#include <string>

enum class ValueKind { kOther, kInt, kDecimal, kBool, kIntList, kDecimalList, kBoolList };

struct ValueShape {
    ValueKind m_kind = ValueKind::kOther;
    size_t m_count = 0;  // elements of a list
};

// An int or a decimal is a text IsNumber accepts (with or without a point), a bool "true" or
// "false" as ToBool reads them; a list has two or more tokens that are all one of these (ints
// and decimals mixed make decimals). Anything else, the empty text included, is kOther.
ValueShape ShapeOf(const std::string& text);
// Whether the strict conversion of kind reads text; for a list, count is set to its tokens.
bool ReadsAs(ValueKind kind, const std::string& text, size_t& count);
bool IsList(ValueKind kind);
// "an int", "a list of decimals", ...
const char* KindName(ValueKind kind);

#endif
