// One typed question to the library, asked exactly as a post-processing stage asks it
// (Quendel::GetParameter, GetParamInArray, GetValue), and its answer in printable and
// machine-readable form. Numbers are printed in the shortest form that reads back to the same
// value (float as float, double as double).
#ifndef QUENDEL_INSPECT_REPORT_VALUEQUERY_H
#define QUENDEL_INSPECT_REPORT_VALUEQUERY_H

#include <quendel/Quendel.h>

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "inspect/report/StdoutCapture.h"

enum class ValueType {
    kString,
    kInt,
    kLong,
    kDouble,
    kFloat,
    kBool,
    kStringList,
    kIntList,
    kDoubleList,
    kFloatList,
    kBoolList
};

// "string", "int", "long", "double", "float", "bool", "string-list", "int-list",
// "double-list", "float-list", "bool-list".
const std::vector<std::string>& ValueTypeNames();
bool ParseValueType(const std::string& name, ValueType& type);
const std::string& ValueTypeName(ValueType type);

template <class T>
struct TypeTag {
    using Type = T;
};

// Calls visit(TypeTag<T>()) with the C++ type the library reads for a value type.
template <class Visit>
auto WithType(ValueType type, Visit&& visit) {
    switch (type) {
        case ValueType::kString:
            return visit(TypeTag<std::string>());
        case ValueType::kInt:
            return visit(TypeTag<int>());
        case ValueType::kLong:
            return visit(TypeTag<long>());
        case ValueType::kDouble:
            return visit(TypeTag<double>());
        case ValueType::kFloat:
            return visit(TypeTag<float>());
        case ValueType::kBool:
            return visit(TypeTag<bool>());
        case ValueType::kStringList:
            return visit(TypeTag<std::vector<std::string>>());
        case ValueType::kIntList:
            return visit(TypeTag<std::vector<int>>());
        case ValueType::kDoubleList:
            return visit(TypeTag<std::vector<double>>());
        case ValueType::kFloatList:
            return visit(TypeTag<std::vector<float>>());
        case ValueType::kBoolList:
            break;
    }
    return visit(TypeTag<std::vector<bool>>());
}

// Quendel::GetParameter(section, key, value, fallback): the entry's whole text as T. The lines
// the library writes to standard output meanwhile (its int-cast warning) go to warnings.
template <class T>
bool AskWhole(Quendel& library, const std::string& section, const std::string& key,
              const T& fallback, T& value, std::vector<std::string>& warnings) {
    StdoutCapture capture;
    const bool found = library.GetParameter(section, key, value, fallback);
    warnings = capture.Lines();
    return found;
}

// A value different from value, for telling the default apart from an answer.
template <class T>
T OtherThan(const T& value) {
    if constexpr (std::is_same_v<T, std::string>) {
        return value + "?";
    } else if constexpr (std::is_same_v<T, bool>) {
        return !value;
    } else {
        return value == T() ? T(1) : T();
    }
}

// GetParamInArray(section, key, index, fallback), or GetValue without an index: one element of
// the entry's list as T (std::string, bool, int, long, double). These forms return the default
// for a miss (no entry, no such element, text that does not convert); a second question with
// another default tells a miss (false) from an answer that equals the default.
template <class T>
bool AskElement(Quendel& library, const std::string& section, const std::string& key,
                std::optional<uint64_t> index, const T& fallback, T& value,
                std::vector<std::string>& warnings) {
    {
        StdoutCapture capture;
        value = index ? library.GetParamInArray(section, key, *index, fallback)
                      : library.GetValue(section, key, fallback);
        warnings = capture.Lines();
    }
    const T other = OtherThan(fallback);
    StdoutCapture discard;
    return !(value == fallback &&
             library.GetParamInArray(section, key, index.value_or(0), other) == other);
}

struct ValueRequest {
    std::string m_section;
    std::string m_key;
    ValueType m_type = ValueType::kString;
    std::optional<uint64_t> m_index;       // element of a list-valued entry
    std::optional<std::string> m_default;  // converted to the type as the library converts
};

struct ValueAnswer {
    bool m_found = false;           // the entry exists and converts
    bool m_hasValue = false;        // found, or a default was given
    std::string m_text;             // the value as printed
    nlohmann::ordered_json m_json;  // the value, null when there is none
    bool m_stored = false;          // the entry exists (whatever its text converts to)
    std::string m_storedText;       // its whole stored text
    size_t m_elements = 0;          // how many list elements the stored text holds
    // Lines the library wrote to standard output while answering (the int-cast warning).
    std::vector<std::string> m_warnings;
    // For an int or long found: how its text reads other than written ("4.5" reads as 4, a
    // number beyond the range as atoi makes it), the value text first; empty when it reads as
    // written.
    std::string m_misfit;
};

// False with a message for a question the library has no form for (--index with float or a
// list type) or a default that does not convert to the type.
bool CheckRequest(const ValueRequest& request, std::string& error);

// Asks the library; false with CheckRequest's message.
bool AskLibrary(Quendel& library, const ValueRequest& request, ValueAnswer& answer,
                std::string& error);

// For an int (or long) query that found its value: how the entry's text (element index of it,
// or the whole text) reads other than written, the text first; empty when it reads as written.
std::string NumberMisfitOf(Quendel& library, const std::string& section, const std::string& key,
                           std::optional<uint64_t> index, bool asLong);

// Shortest decimal text that reads back to exactly the same number.
std::string NumberText(double number);
std::string NumberText(float number);

#endif
