#include "inspect/report/ValueQuery.h"

#include <charconv>
#include <cmath>
#include <type_traits>
#include <utility>

#include "inspect/report/NumberFit.h"
#include "inspect/report/StdoutCapture.h"
#include "resource/ValueText.h"

namespace {

template <class T, class... Ts>
constexpr bool kOneOf = (std::is_same_v<T, Ts> || ...);

// Quendel reads these whole (GetParameter) and these per element (GetParamInArray); long only
// per element.
template <class T>
constexpr bool kWholeForm = !std::is_same_v<T, long>;
template <class T>
constexpr bool kElementForm = kOneOf<T, std::string, bool, int, long, double>;

// The library's own conversions, for the default given as text.
bool Convert(const std::string& text, std::string& value) {
    value = text;
    return true;
}
bool Convert(const std::string& text, int& value) {
    return ToInt(text, value);
}
bool Convert(const std::string& text, long& value) {
    return ToLong(text, value);
}
bool Convert(const std::string& text, double& value) {
    return ToDouble(text, value);
}
bool Convert(const std::string& text, float& value) {
    return ToFloat(text, value);
}
bool Convert(const std::string& text, bool& value) {
    return ToBool(text, value);
}
bool Convert(const std::string& text, std::vector<std::string>& value) {
    return ToStringVector(text, value);
}
bool Convert(const std::string& text, std::vector<int>& value) {
    return ToIntVector(text, value);
}
bool Convert(const std::string& text, std::vector<double>& value) {
    return ToDoubleVector(text, value);
}
bool Convert(const std::string& text, std::vector<float>& value) {
    return ToFloatVector(text, value);
}
bool Convert(const std::string& text, std::vector<bool>& value) {
    return ToBoolVector(text, value);
}

std::string Text(const std::string& value) {
    return value;
}
std::string Text(bool value) {
    return value ? "true" : "false";
}
std::string Text(int value) {
    return std::to_string(value);
}
std::string Text(long value) {
    return std::to_string(value);
}
std::string Text(double value) {
    return NumberText(value);
}
std::string Text(float value) {
    return NumberText(value);
}
template <class T>
std::string Text(const std::vector<T>& list) {
    std::string text;
    for (size_t i = 0; i < list.size(); ++i) {
        text += (i == 0 ? "" : ", ") + Text(static_cast<T>(list[i]));
    }
    return text;
}

// JSON has no infinities: they are written as the strings "inf" and "-inf". JSON numbers are
// doubles: a float is stored as the double its shortest text reads as, so that it is written
// as that text (0.6, not the widened 0.6000000238418579).
template <class T>
nlohmann::ordered_json Json(T value) {
    if constexpr (std::is_floating_point_v<T>) {
        if (!std::isfinite(value)) {
            return Text(value);
        }
        double number = value;
        if constexpr (std::is_same_v<T, float>) {
            const std::string text = Text(value);
            std::from_chars(text.data(), text.data() + text.size(), number);
        }
        return number;
    } else {
        return value;
    }
}
nlohmann::ordered_json Json(const std::string& value) {
    return value;
}
template <class T>
nlohmann::ordered_json Json(const std::vector<T>& list) {
    nlohmann::ordered_json array = nlohmann::ordered_json::array();
    for (size_t i = 0; i < list.size(); ++i) {
        array.push_back(Json(static_cast<T>(list[i])));
    }
    return array;
}

// The default as the type, converted as the library converts; false with a message for a
// question the library has no form for or a default that does not convert.
template <class T>
bool Prepare(const ValueRequest& request, T& fallback, std::string& error) {
    const std::string& typeName = ValueTypeName(request.m_type);
    if (request.m_index && !kElementForm<T>) {
        error = "--index needs one of string, int, long, double, bool (not " + typeName + ")";
        return false;
    }
    if (request.m_default) {
        StdoutCapture quiet;  // a default like 2.5 for an int converts as the library does
        if (!Convert(*request.m_default, fallback)) {
            error = "--default \"" + *request.m_default + "\" is not a valid " + typeName;
            return false;
        }
    }
    return true;
}

template <class T>
bool Ask(Quendel& library, const ValueRequest& request, ValueAnswer& answer, std::string& error) {
    T fallback{};
    if (!Prepare(request, fallback, error)) {
        return false;
    }
    const bool byElement = request.m_index.has_value() || !kWholeForm<T>;
    T value{};
    if constexpr (kElementForm<T>) {
        if (byElement) {
            answer.m_found = AskElement(library, request.m_section, request.m_key, request.m_index,
                                        fallback, value, answer.m_warnings);
        }
    }
    if constexpr (kWholeForm<T>) {
        if (!byElement) {
            answer.m_found = AskWhole(library, request.m_section, request.m_key, fallback, value,
                                      answer.m_warnings);
        }
    }
    std::vector<std::string> elements;
    answer.m_stored =
        library.GetParameter(request.m_section, request.m_key, answer.m_storedText, std::string());
    library.GetParameter(request.m_section, request.m_key, elements, {});
    answer.m_elements = elements.size();
    if constexpr (kOneOf<T, int, long>) {
        if (answer.m_found) {
            answer.m_misfit =
                NumberMisfitOf(library, request.m_section, request.m_key,
                               byElement ? request.m_index.value_or(0) : std::optional<uint64_t>(),
                               std::is_same_v<T, long>);
        }
    }
    answer.m_hasValue = answer.m_found || request.m_default.has_value();
    if (answer.m_hasValue) {
        answer.m_text = Text(value);
        answer.m_json = Json(value);
    }
    return true;
}

}  // namespace

const std::vector<std::string>& ValueTypeNames() {
    static const std::vector<std::string> names = {
        "string",      "int",      "long",        "double",     "float",    "bool",
        "string-list", "int-list", "double-list", "float-list", "bool-list"};
    return names;
}

bool ParseValueType(const std::string& name, ValueType& type) {
    const std::vector<std::string>& names = ValueTypeNames();
    for (size_t i = 0; i < names.size(); ++i) {
        if (names[i] == name) {
            type = static_cast<ValueType>(i);
            return true;
        }
    }
    return false;
}

const std::string& ValueTypeName(ValueType type) {
    return ValueTypeNames()[static_cast<size_t>(type)];
}

bool CheckRequest(const ValueRequest& request, std::string& error) {
    return WithType(request.m_type, [&](auto tag) {
        typename decltype(tag)::Type fallback{};
        return Prepare(request, fallback, error);
    });
}

bool AskLibrary(Quendel& library, const ValueRequest& request, ValueAnswer& answer,
                std::string& error) {
    answer = ValueAnswer();
    return WithType(request.m_type, [&](auto tag) {
        return Ask<typename decltype(tag)::Type>(library, request, answer, error);
    });
}

std::string NumberMisfitOf(Quendel& library, const std::string& section, const std::string& key,
                           std::optional<uint64_t> index, bool asLong) {
    std::string text;
    if (index) {
        text = library.GetParamInArray(section, key, *index, std::string());
    } else {
        library.GetParameter(section, key, text, std::string());
    }
    const NumberFit fit = FitNumber(asLong ? NumberQuery::kLong : NumberQuery::kInt, text);
    return fit.m_misfit == NumberMisfit::kNone ? std::string()
                                               : "\"" + text + "\" " + fit.m_message;
}

std::string NumberText(double number) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, number);
    return std::string(buffer, result.ptr);
}

std::string NumberText(float number) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, number);
    return std::string(buffer, result.ptr);
}
