// JSON-RPC 2.0 as the protocol uses it: requests, notifications and responses, their errors,
// and the session's lifecycle. Handlers are registered by method name; the dispatcher knows
// nothing of what they do, and a new feature only registers more of them.
//
// Lifecycle: before a successful "initialize" every request is answered ServerNotInitialized
// and every notification is dropped; a second "initialize" is an InvalidRequest. "shutdown"
// answers null, after which requests are InvalidRequest. "exit" ends the session at any time,
// with status 0 after "shutdown" and 1 without. Unknown notifications and "$/" notifications
// are ignored; unknown requests are MethodNotFound.
#ifndef QUENDEL_LSP_DISPATCHER_H
#define QUENDEL_LSP_DISPATCHER_H

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "LspJson.h"
#include "MessageReader.h"
#include "MessageWriter.h"
#include "RpcError.h"
#include "ServerLog.h"

class Dispatcher {
  public:
    // A handler reads its params (null when the message has none) and returns the result, or
    // throws RpcError to answer with that error.
    using RequestHandler = std::function<Json(const Json& params)>;
    using NotificationHandler = std::function<void(const Json& params)>;

    Dispatcher(MessageWriter& writer, ServerLog& log) : m_writer(writer), m_log(log) {}

    // "initialize" is registered like any request; its success starts the session.
    void OnRequest(const std::string& method, RequestHandler handler);
    void OnNotification(const std::string& method, NotificationHandler handler);
    // Runs after each batch of messages: work that each edit of a burst would repeat is done
    // there once.
    void OnBatchEnd(std::function<void()> hook) { m_batchEnd = std::move(hook); }

    void Notify(const std::string& method, Json params);

    // Handles the messages in their order. A "$/cancelRequest" answers a request before it in
    // the same batch, not yet handled, with RequestCancelled.
    void HandleBatch(std::vector<FramedMessage>& batch);

    // After "exit", the end of the input, or an output that failed.
    bool Finished() const { return m_finished; }
    int ExitStatus() const { return m_status; }

  private:
    enum class State { kUninitialized, kRunning, kShutDown };

    void Dispatch(const Json& message, bool cancelled);
    void HandleRequest(const std::string& method, const Json& params, const Json& id,
                       bool cancelled);
    void HandleNotification(const std::string& method, const Json& params);
    void HandleOversized(const FramedMessage& message);
    int EndStatus() const;
    void Finish(int status);
    void Respond(const Json& id, Json result);
    void RespondError(const Json& id, RpcCode code, const std::string& message);
    void Write(const Json& message);

    MessageWriter& m_writer;
    ServerLog& m_log;
    std::map<std::string, RequestHandler, std::less<>> m_requests;
    std::map<std::string, NotificationHandler, std::less<>> m_notifications;
    std::function<void()> m_batchEnd;
    std::set<std::string, std::less<>> m_ignored;  // unknown notifications, logged once each
    State m_state = State::kUninitialized;
    bool m_finished = false;
    int m_status = 1;
};

#endif
