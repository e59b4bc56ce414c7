#include "inspect/schema/SchemaText.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace {
constexpr size_t kQuoteLength = 40;
}  // namespace

std::string QuotedText(std::string_view text) {
    size_t length = std::min(text.size(), kQuoteLength);
    while (length > 0 && length < text.size() &&
           (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) {
        --length;
    }
    std::string quoted = nlohmann::json(std::string(text.substr(0, length)))
                             .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    if (length < text.size()) {
        quoted.insert(quoted.size() - 1, "...");
    }
    return quoted;
}

std::string DecimalText(double number) {
    if (!std::isfinite(number)) {
        return std::isnan(number) ? "nan" : number < 0 ? "-inf" : "inf";
    }
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, number);
    return std::string(buffer, result.ptr);
}

std::string ConstantsText(const nlohmann::json& constants) {
    std::string text;
    for (const nlohmann::json& constant : constants) {
        text += text.empty() ? "" : ", ";
        if (constant.is_string()) {
            text += QuotedText(constant.get_ref<const std::string&>());
        } else if (constant.is_number()) {
            text += DecimalText(constant.get<double>());
        } else {
            text += constant.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
        }
    }
    return text;
}

std::string WithUnit(const std::string& number, const std::string& unit) {
    return unit.empty() ? number : number + " " + unit;
}
