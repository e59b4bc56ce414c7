#include "inspect/output/JsonText.h"

#include <charconv>
#include <cmath>

namespace {

using Json = nlohmann::ordered_json;
constexpr int kIndent = 2;

// A whole number keeps ".0", so that it still reads as a decimal rather than an integer.
void AppendDecimal(double number, std::string& out) {
    if (!std::isfinite(number)) {
        out += "null";  // what the JSON library writes too
        return;
    }
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, number);
    const std::string_view text(buffer, static_cast<size_t>(result.ptr - buffer));
    out += text;
    if (text.find_first_of(".e") == std::string_view::npos) {
        out += ".0";
    }
}

void AppendText(const std::string& text, std::string& out) {
    out += Json(text).dump(-1, ' ', false, Json::error_handler_t::replace);
}

// Documents are a few levels deep by their fixed shape, whatever the parameters hold.
void Append(const Json& json, int depth, std::string& out) {
    const bool object = json.is_object();
    if (!object && !json.is_array()) {
        if (json.is_number_float()) {
            AppendDecimal(json.get<double>(), out);
        } else if (json.is_string()) {
            AppendText(json.get_ref<const std::string&>(), out);
        } else {
            out += json.dump();
        }
        return;
    }
    if (json.empty()) {
        out += object ? "{}" : "[]";
        return;
    }
    out += object ? "{\n" : "[\n";
    const std::string inner(static_cast<size_t>((depth + 1) * kIndent), ' ');
    bool first = true;
    for (auto it = json.begin(); it != json.end(); ++it) {
        out += first ? "" : ",\n";
        first = false;
        out += inner;
        if (object) {
            AppendText(it.key(), out);
            out += ": ";
        }
        Append(it.value(), depth + 1, out);
    }
    out += '\n';
    out.append(static_cast<size_t>(depth * kIndent), ' ');
    out += object ? '}' : ']';
}

}  // namespace

std::string JsonText(const nlohmann::ordered_json& json) {
    std::string out;
    Append(json, 0, out);
    return out;
}
