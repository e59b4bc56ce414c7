// The JSON type of the server's messages.
#ifndef QUENDEL_LSP_LSPJSON_H
#define QUENDEL_LSP_LSPJSON_H

#include <nlohmann/json.hpp>

using Json = nlohmann::ordered_json;

#endif
