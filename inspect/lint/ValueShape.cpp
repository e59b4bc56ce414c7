#include "inspect/lint/ValueShape.h"

#include <string_view>

#include "resource/StringOps.h"
#include "resource/ValueText.h"

namespace {

constexpr std::string_view kListDelimiters = ", ";

bool IsInt(std::string_view text) {
    return !text.empty() && IsNumber(text) && text.find('.') == std::string_view::npos;
}

// ToBool without its numeric case, which prints the library's int-cast warning.
bool IsBoolWord(const std::string& text) {
    bool value = false;
    return !IsNumber(text) && ToBool(text, value);
}

bool ReadsAsBool(const std::string& text) {
    bool value = false;
    return IsNumber(text) || ToBool(text, value);
}

}  // namespace

ValueShape ShapeOf(const std::string& text) {
    size_t tokens = 0;
    bool ints = true;
    bool numbers = true;
    bool bools = true;
    ForEachToken(text, kListDelimiters, [&](std::string_view token) {
        ++tokens;
        ints = ints && IsInt(token);
        numbers = numbers && !token.empty() && IsNumber(token);
        bools = bools && IsBoolWord(std::string(token));
        return ints || numbers || bools;
    });
    if (tokens == 0) {
        return {};
    }
    if (tokens == 1) {
        if (IsInt(text)) {
            return {ValueKind::kInt, 1};
        }
        if (!text.empty() && IsNumber(text)) {
            return {ValueKind::kDecimal, 1};
        }
        return {IsBoolWord(text) ? ValueKind::kBool : ValueKind::kOther, 1};
    }
    if (ints) {
        return {ValueKind::kIntList, tokens};
    }
    if (numbers) {
        return {ValueKind::kDecimalList, tokens};
    }
    return {bools ? ValueKind::kBoolList : ValueKind::kOther, tokens};
}

bool ReadsAs(ValueKind kind, const std::string& text, size_t& count) {
    count = 0;
    switch (kind) {
        case ValueKind::kOther:
            return true;
        case ValueKind::kInt:
        case ValueKind::kDecimal:
            return IsNumber(text);
        case ValueKind::kBool:
            return ReadsAsBool(text);
        case ValueKind::kIntList:
        case ValueKind::kDecimalList:
        case ValueKind::kBoolList:
            break;
    }
    const bool bools = kind == ValueKind::kBoolList;
    return ForEachToken(text, kListDelimiters, [&](std::string_view token) {
        ++count;
        return bools ? ReadsAsBool(std::string(token)) : IsNumber(token);
    });
}

bool IsList(ValueKind kind) {
    return kind == ValueKind::kIntList || kind == ValueKind::kDecimalList ||
           kind == ValueKind::kBoolList;
}

const char* KindName(ValueKind kind) {
    switch (kind) {
        case ValueKind::kInt:
            return "an int";
        case ValueKind::kDecimal:
            return "a decimal";
        case ValueKind::kBool:
            return "a bool";
        case ValueKind::kIntList:
            return "a list of ints";
        case ValueKind::kDecimalList:
            return "a list of decimals";
        case ValueKind::kBoolList:
            return "a list of bools";
        case ValueKind::kOther:
            break;
    }
    return "a text";
}
