// The protocol's structures in JSON: reading what a client sends, checked member by member
// (a missing member or one of the wrong type throws RpcError InvalidParams that names it), and
// writing positions and ranges.
#ifndef QUENDEL_LSP_PROTOCOLJSON_H
#define QUENDEL_LSP_PROTOCOLJSON_H

#include <cstdint>
#include <string>

#include "LspJson.h"
#include "PositionEncoding.h"

const Json& ObjectMember(const Json& object, const char* name);
const Json& ArrayMember(const Json& object, const char* name);
const std::string& StringMember(const Json& object, const char* name);
int64_t IntegerMember(const Json& object, const char* name);
// The member under a path of names, or null when a step is missing or no object.
const Json* FindPath(const Json& object, std::initializer_list<const char*> names);

// Positions count from 0; a negative or fractional one is refused, one too large for 32 bits
// is read as the largest (past any text, so clamped to its end).
TextPosition ReadPosition(const Json& position);
TextRange ReadRange(const Json& range);
// params.textDocument.uri of a request or notification about one document.
const std::string& DocumentUriOf(const Json& params);

Json PositionJson(TextPosition position);
Json RangeJson(const TextRange& range);

#endif
