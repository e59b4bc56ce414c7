// The protocol's document notifications read into the store: didOpen, didChange (whole texts
// and ranges, applied in order) and didClose. Each returns the URI it touched, or throws
// RpcError InvalidParams for params it cannot read, leaving the store as it was.
#ifndef QUENDEL_LSP_DOCUMENTSYNC_H
#define QUENDEL_LSP_DOCUMENTSYNC_H

#include <string>

#include "DocumentStore.h"
#include "LspJson.h"
#include "PositionEncoding.h"

std::string ApplyDidOpen(DocumentStore& store, const Json& params);
std::string ApplyDidChange(DocumentStore& store, const Json& params, PositionEncoding encoding);
std::string ApplyDidClose(DocumentStore& store, const Json& params);

#endif
