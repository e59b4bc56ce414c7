// Texts in the messages of the schema checks: quoted names and values, numbers as the shortest
// decimal that reads back to the same double, lists of allowed values.
#ifndef QUENDEL_INSPECT_SCHEMA_SCHEMATEXT_H
#define QUENDEL_INSPECT_SCHEMA_SCHEMATEXT_H

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

// text as a JSON string: quoted, control characters escaped, bytes that are not UTF-8 shown as
// U+FFFD; shortened to about 40 bytes (never inside a UTF-8 sequence).
std::string QuotedText(std::string_view text);
// The shortest text that reads back to number ("60", "0.35", "1e+300").
std::string DecimalText(double number);
// Constants as a list for a message: "Off", "Low", 2.5, true.
std::string ConstantsText(const nlohmann::json& constants);
// number with its unit, if any: "60 dB".
std::string WithUnit(const std::string& number, const std::string& unit);

#endif
