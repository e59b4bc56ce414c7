#include "DocumentSync.h"

#include <optional>
#include <utility>
#include <vector>

#include "ProtocolJson.h"
#include "RpcError.h"

std::string ApplyDidOpen(DocumentStore& store, const Json& params) {
    const Json& document = ObjectMember(params, "textDocument");
    const std::string& uri = StringMember(document, "uri");
    const std::string& text = StringMember(document, "text");
    store.Open(uri, text, IntegerMember(document, "version"));
    return uri;
}

std::string ApplyDidChange(DocumentStore& store, const Json& params, PositionEncoding encoding) {
    const Json& identifier = ObjectMember(params, "textDocument");
    const std::string& uri = StringMember(identifier, "uri");
    const int64_t version = IntegerMember(identifier, "version");
    TextDocument* document = store.Find(uri);
    if (document == nullptr) {
        throw RpcError(RpcCode::kInvalidParams, uri + " is not open");
    }
    // Every change is read before the first is applied, so that a bad one changes nothing.
    struct Change {
        std::optional<TextRange> m_range;
        const std::string* m_text;
    };
    std::vector<Change> changes;
    for (const Json& change : ArrayMember(params, "contentChanges")) {
        const auto range = change.is_object() ? change.find("range") : change.end();
        changes.push_back(
            {range == change.end() ? std::nullopt : std::optional<TextRange>(ReadRange(*range)),
             &StringMember(change, "text")});
    }
    for (const Change& change : changes) {
        if (change.m_range) {
            document->Edit(*change.m_range, *change.m_text, encoding);
        } else {
            document->SetText(*change.m_text);
        }
    }
    document->SetVersion(version);
    return uri;
}

std::string ApplyDidClose(DocumentStore& store, const Json& params) {
    const std::string& uri = DocumentUriOf(params);
    if (!store.Close(uri)) {
        throw RpcError(RpcCode::kInvalidParams, uri + " is not open");
    }
    return uri;
}
