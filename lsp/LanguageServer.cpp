#include "LanguageServer.h"

#include <exception>
#include <string>
#include <utility>

#include "DocumentSymbols.h"
#include "DocumentSync.h"
#include "DocumentUri.h"
#include "EntryHover.h"
#include "LintDiagnostics.h"
#include "NameCompletion.h"
#include "Navigation.h"
#include "OutrankedHints.h"
#include "ProtocolJson.h"
#include "QuickFixes.h"
#include "RpcError.h"
#include "SelectionCommand.h"

namespace {

// Changes arrive as ranges (TextDocumentSyncKind Incremental).
constexpr int kIncrementalSync = 2;
// MessageType Warning.
constexpr int kWarningMessage = 2;

}  // namespace

LanguageServer::LanguageServer(MessageWriter& writer, ServerLog& log)
    : m_log(log),
      m_dispatcher(writer, log),
      m_workspace(m_documents, log,
                  [this](const std::string& problem) {
                      m_dispatcher.Notify("window/showMessage",
                                          {{"type", kWarningMessage}, {"message", problem}});
                  }),
      m_texts(m_documents) {
    m_dispatcher.OnRequest("initialize", [this](const Json& params) { return Initialize(params); });
    m_dispatcher.OnNotification("initialized", [](const Json&) {});
    m_dispatcher.OnNotification("textDocument/didOpen", [this](const Json& params) {
        Changed(ApplyDidOpen(m_documents, params));
    });
    m_dispatcher.OnNotification("textDocument/didChange", [this](const Json& params) {
        Changed(ApplyDidChange(m_documents, params, m_encoding));
    });
    m_dispatcher.OnNotification("textDocument/didClose", [this](const Json& params) {
        Changed(ApplyDidClose(m_documents, params));
    });
    m_dispatcher.OnBatchEnd([this] {
        for (const auto& hook : m_batchEndHooks) {
            try {
                hook();
            } catch (const std::exception& e) {
                m_log.Line(std::string("after a batch: ") + e.what());
            }
        }
    });
    m_capabilities["textDocumentSync"] = {{"openClose", true}, {"change", kIncrementalSync}};

    Install(std::make_unique<LintDiagnostics>());
    Install(std::make_unique<DocumentSymbols>());
    Install(std::make_unique<EntryHover>());
    Install(std::make_unique<Navigation>());
    Install(std::make_unique<NameCompletion>());
    Install(std::make_unique<QuickFixes>());
    Install(std::make_unique<OutrankedHints>());
    Install(std::make_unique<SelectionCommand>());
}

void LanguageServer::Install(std::unique_ptr<ServerFeature> feature) {
    feature->Install(*this);
    m_features.push_back(std::move(feature));
}

void LanguageServer::OnRequest(const std::string& method, Dispatcher::RequestHandler handler) {
    m_dispatcher.OnRequest(method, std::move(handler));
}

void LanguageServer::AddCapability(const std::string& name, Json value) {
    m_capabilities[name] = std::move(value);
}

void LanguageServer::OnDocumentChange(DocumentListener listener) {
    m_documentListeners.push_back(std::move(listener));
}

void LanguageServer::OnBatchEnd(std::function<void()> hook) {
    m_batchEndHooks.push_back(std::move(hook));
}

void LanguageServer::Notify(const std::string& method, Json params) {
    m_dispatcher.Notify(method, std::move(params));
}

const TextDocument& LanguageServer::OpenDocument(const std::string& uri) const {
    const TextDocument* document = m_documents.Find(uri);
    if (document == nullptr) {
        throw RpcError(RpcCode::kRequestFailed, uri + " is not open");
    }
    return *document;
}

void LanguageServer::Changed(const std::string& uri) {
    const TextDocument* document = m_documents.Find(uri);
    m_workspace.Changed(document != nullptr ? document->Path() : FilePathOf(uri));
    for (const auto& listener : m_documentListeners) {
        listener(uri, document);
    }
}

Json LanguageServer::Initialize(const Json& params) {
    if (!params.is_object()) {
        throw RpcError(RpcCode::kInvalidParams, "the params are no object");
    }
    const Json* offered = FindPath(params, {"capabilities", "general", "positionEncodings"});
    m_encoding = ChooseEncoding(offered != nullptr ? *offered : Json());
    const Json* client = FindPath(params, {"capabilities"});
    if (client != nullptr && client->is_object()) {
        m_clientCapabilities = *client;
    }
    m_workspace.Configure(params);
    Json capabilities = m_capabilities;
    capabilities["positionEncoding"] = EncodingName(m_encoding);
    return {{"capabilities", std::move(capabilities)},
            {"serverInfo", {{"name", "quendel"}, {"version", QUENDEL_VERSION}}}};
}
