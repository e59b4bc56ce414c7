// JSON text as the tool prints it: indented by two spaces, texts that are not UTF-8 written
// with replacement characters, and every decimal number as the shortest text that reads back
// to the same double (the JSON library's own writer is not always the shortest).
#ifndef QUENDEL_INSPECT_OUTPUT_JSONTEXT_H
#define QUENDEL_INSPECT_OUTPUT_JSONTEXT_H

#include <nlohmann/json.hpp>

#include <string>

std::string JsonText(const nlohmann::ordered_json& json);

#endif
