// One typed question to the library, asked exactly as a post-processing stage asks it
// (Quendel::GetParameter, GetParamInArray, GetValue), and its answer in printable and
// machine-readable form. Numbers are printed in the shortest form that reads back to the same
// value (float as float, double as double).
#ifndef QUENDEL_TOOLS_VALUEQUERY_H
#define QUENDEL_TOOLS_VALUEQUERY_H

#include <quendel/Quendel.h>

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

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
};

// False with a message for a question the library has no form for (--index with float or a
// list type) or a default that does not convert to the type.
bool CheckRequest(const ValueRequest& request, std::string& error);

// Asks the library; false with CheckRequest's message.
bool AskLibrary(Quendel& library, const ValueRequest& request, ValueAnswer& answer,
                std::string& error);

// Shortest decimal text that reads back to exactly the same number.
std::string NumberText(double number);
std::string NumberText(float number);

#endif
