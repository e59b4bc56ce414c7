// The server: the dispatcher, the open documents, the position encoding agreed at
// initialisation, and the features that answer from them. A feature plugs in through the
// methods below; neither the transport nor the dispatcher changes when one is added.
#ifndef QUENDEL_LSP_LANGUAGESERVER_H
#define QUENDEL_LSP_LANGUAGESERVER_H

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Dispatcher.h"
#include "DocumentStore.h"
#include "FileTexts.h"
#include "KeyFacts.h"
#include "LspJson.h"
#include "MessageReader.h"
#include "MessageWriter.h"
#include "PositionEncoding.h"
#include "ServerFeature.h"
#include "ServerLog.h"
#include "TreeWorkspace.h"

class LanguageServer {
  public:
    // After a document was opened or changed (document: its new state) or closed (null).
    using DocumentListener =
        std::function<void(const std::string& uri, const TextDocument* document)>;

    LanguageServer(MessageWriter& writer, ServerLog& log);
    LanguageServer(const LanguageServer&) = delete;
    LanguageServer& operator=(const LanguageServer&) = delete;

    // For the features.
    void OnRequest(const std::string& method, Dispatcher::RequestHandler handler);
    // Sets capabilities[name] in the answer to initialize.
    void AddCapability(const std::string& name, Json value);
    void OnDocumentChange(DocumentListener listener);
    void OnBatchEnd(std::function<void()> hook);
    void Notify(const std::string& method, Json params);
    const DocumentStore& Documents() const { return m_documents; }
    // The open document at uri, or RpcError RequestFailed.
    const TextDocument& OpenDocument(const std::string& uri) const;
    PositionEncoding Encoding() const { return m_encoding; }
    ServerLog& Log() { return m_log; }
    // The client's capabilities from initialize (an object).
    const Json& ClientCapabilities() const { return m_clientCapabilities; }
    // The tree the open documents belong to, and the texts of its files.
    TreeWorkspace& Workspace() { return m_workspace; }
    FileTexts& Texts() { return m_texts; }
    // What a documentation source says of the keys; null without one.
    const KeyFacts* Facts() const { return m_workspace.Schema(); }

    // For the loop that feeds it.
    void HandleBatch(std::vector<FramedMessage>& batch) { m_dispatcher.HandleBatch(batch); }
    bool Finished() const { return m_dispatcher.Finished(); }
    int ExitStatus() const { return m_dispatcher.ExitStatus(); }

  private:
    void Install(std::unique_ptr<ServerFeature> feature);
    Json Initialize(const Json& params);
    void Changed(const std::string& uri);

    ServerLog& m_log;
    Dispatcher m_dispatcher;
    DocumentStore m_documents;
    TreeWorkspace m_workspace;
    FileTexts m_texts;
    PositionEncoding m_encoding = PositionEncoding::kUtf16;
    Json m_clientCapabilities = Json::object();
    Json m_capabilities = Json::object();
    std::vector<DocumentListener> m_documentListeners;
    std::vector<std::function<void()>> m_batchEndHooks;
    std::vector<std::unique_ptr<ServerFeature>> m_features;
};

#endif
