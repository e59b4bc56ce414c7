#include "Dispatcher.h"

#include <algorithm>
#include <cstddef>
#include <exception>
#include <map>
#include <utility>

namespace {

constexpr char kInitialize[] = "initialize";
constexpr char kShutdown[] = "shutdown";
constexpr char kExit[] = "exit";
constexpr char kCancel[] = "$/cancelRequest";
constexpr size_t kMaxIgnoredLogged = 64;

bool IsId(const Json& id) {
    return id.is_number_integer() || id.is_string();
}

// The "id" of a message's top-level object, from its first bytes alone (a message too large to
// be read): a parser that stops at the first value under "id".
class IdFinder : public nlohmann::json_sax<Json> {
  public:
    Json m_id;

    bool null() override { return Value(nullptr); }
    bool boolean(bool value) override { return Value(value); }
    bool number_integer(number_integer_t value) override { return Value(value); }
    bool number_unsigned(number_unsigned_t value) override { return Value(value); }
    bool number_float(number_float_t value, const string_t&) override { return Value(value); }
    bool string(string_t& value) override { return Value(value); }
    bool binary(binary_t&) override { return Value(nullptr); }
    bool start_object(std::size_t) override { return Open(); }
    bool start_array(std::size_t) override { return Open(); }
    bool end_object() override { return Close(); }
    bool end_array() override { return Close(); }
    bool key(string_t& key) override {
        m_idNext = m_depth == 1 && key == "id";
        return true;
    }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override {
        return false;
    }

  private:
    bool Value(Json value) {
        if (m_idNext && m_depth == 1) {
            m_id = std::move(value);
            return false;
        }
        return true;
    }
    bool Open() {
        m_idNext = m_idNext && m_depth != 1;
        ++m_depth;
        return true;
    }
    bool Close() {
        --m_depth;
        return true;
    }

    int m_depth = 0;
    bool m_idNext = false;
};

}  // namespace

void Dispatcher::OnRequest(const std::string& method, RequestHandler handler) {
    m_requests[method] = std::move(handler);
}

void Dispatcher::OnNotification(const std::string& method, NotificationHandler handler) {
    m_notifications[method] = std::move(handler);
}

void Dispatcher::Notify(const std::string& method, Json params) {
    Write({{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}});
}

void Dispatcher::Respond(const Json& id, Json result) {
    Write({{"jsonrpc", "2.0"}, {"id", id}, {"result", std::move(result)}});
}

void Dispatcher::RespondError(const Json& id, RpcCode code, const std::string& message) {
    Write({{"jsonrpc", "2.0"},
           {"id", id},
           {"error", {{"code", static_cast<int>(code)}, {"message", message}}}});
}

void Dispatcher::Write(const Json& message) {
    if (!m_writer.Write(message) && !m_finished) {
        m_log.Line("cannot write to the output: the client is gone");
        Finish(1);
    }
}

// The protocol's rule: success only for a session that the client shut down first.
int Dispatcher::EndStatus() const {
    return m_state == State::kShutDown ? 0 : 1;
}

void Dispatcher::Finish(int status) {
    m_finished = true;
    m_status = status;
}

void Dispatcher::HandleBatch(std::vector<FramedMessage>& batch) {
    struct Item {
        Json m_message;
        std::string m_parseError;
        bool m_cancelled = false;
    };
    std::vector<Item> items(batch.size());
    std::map<std::string, size_t> waiting;  // requests of the batch by the text of their id
    for (size_t i = 0; i < batch.size(); ++i) {
        if (batch[i].m_kind != FramedMessage::Kind::kMessage) {
            continue;
        }
        try {
            items[i].m_message = Json::parse(batch[i].m_body);
        } catch (const Json::exception& e) {
            items[i].m_parseError = e.what();
            continue;
        }
        batch[i].m_body = std::string();
        const Json& message = items[i].m_message;
        const auto method = message.is_object() ? message.find("method") : message.end();
        if (method == message.end() || !method->is_string()) {
            continue;
        }
        const auto id = message.find("id");
        if (id != message.end() && IsId(*id)) {
            waiting[id->dump()] = i;
        } else if (id == message.end() && *method == kCancel) {
            const auto params = message.find("params");
            if (params != message.end() && params->is_object() && params->contains("id") &&
                IsId(params->at("id"))) {
                const auto cancelled = waiting.find(params->at("id").dump());
                if (cancelled != waiting.end()) {
                    items[cancelled->second].m_cancelled = true;
                    waiting.erase(cancelled);
                }
            }
        }
    }
    size_t i = 0;
    for (; i < batch.size() && !m_finished; ++i) {
        switch (batch[i].m_kind) {
            case FramedMessage::Kind::kEnd:
                m_log.Line(m_state == State::kShutDown ? "the input ended after shutdown"
                                                       : "the input ended before shutdown");
                Finish(EndStatus());
                break;
            case FramedMessage::Kind::kOversized:
                HandleOversized(batch[i]);
                break;
            case FramedMessage::Kind::kMessage:
                if (!items[i].m_parseError.empty()) {
                    RespondError(nullptr, RpcCode::kParseError,
                                 "the message is not JSON: " + items[i].m_parseError);
                } else {
                    Dispatch(items[i].m_message, items[i].m_cancelled);
                }
                items[i].m_message = Json();
                break;
        }
    }
    if (m_finished) {
        const auto unread = std::count_if(batch.begin() + static_cast<std::ptrdiff_t>(i),
                                          batch.end(), [](const FramedMessage& message) {
                                              return message.m_kind != FramedMessage::Kind::kEnd;
                                          });
        if (unread > 0) {
            m_log.Line(std::to_string(unread) + " messages after the end were not handled");
        }
    } else if (m_batchEnd) {
        m_batchEnd();
    }
}

void Dispatcher::Dispatch(const Json& message, bool cancelled) {
    if (!message.is_object()) {
        RespondError(nullptr, RpcCode::kInvalidRequest, "a message is one JSON object");
        return;
    }
    const auto id = message.find("id");
    const bool hasId = id != message.end();
    if (hasId && !IsId(*id)) {
        RespondError(nullptr, RpcCode::kInvalidRequest, "\"id\" is an integer or a string");
        return;
    }
    const Json replyId = hasId ? *id : Json();
    const auto version = message.find("jsonrpc");
    if (version == message.end() || *version != "2.0") {
        RespondError(replyId, RpcCode::kInvalidRequest, "\"jsonrpc\" is \"2.0\"");
        return;
    }
    const auto method = message.find("method");
    if (method == message.end()) {
        if (hasId && (message.contains("result") || message.contains("error"))) {
            m_log.Line("a response to no request of the server (id " + id->dump() + ")");
        } else {
            RespondError(replyId, RpcCode::kInvalidRequest,
                         "neither a request, a notification nor a response");
        }
        return;
    }
    if (!method->is_string()) {
        RespondError(replyId, RpcCode::kInvalidRequest, "\"method\" is a string");
        return;
    }
    // "params": null, which some clients send, counts as no params.
    static const Json kNoParams;
    const auto params = message.find("params");
    const Json& given = params == message.end() ? kNoParams : *params;
    if (!given.is_null() && !given.is_object() && !given.is_array()) {
        RespondError(replyId, RpcCode::kInvalidRequest, "\"params\" is an object or an array");
        return;
    }
    const auto& name = method->get_ref<const std::string&>();
    if (hasId) {
        HandleRequest(name, given, *id, cancelled);
    } else {
        HandleNotification(name, given);
    }
}

void Dispatcher::HandleRequest(const std::string& method, const Json& params, const Json& id,
                               bool cancelled) {
    const bool initialize = method == kInitialize;
    if (initialize && m_state != State::kUninitialized) {
        RespondError(id, RpcCode::kInvalidRequest, "initialize was already received");
        return;
    }
    if (!initialize && m_state == State::kUninitialized) {
        RespondError(id, RpcCode::kServerNotInitialized,
                     "the server is not initialized: initialize comes first");
        return;
    }
    if (m_state == State::kShutDown) {
        RespondError(id, RpcCode::kInvalidRequest, "the server is shut down: exit is expected");
        return;
    }
    if (cancelled) {
        RespondError(id, RpcCode::kRequestCancelled, "cancelled by the client");
        return;
    }
    if (method == kShutdown) {
        m_state = State::kShutDown;
        Respond(id, nullptr);
        return;
    }
    const auto handler = m_requests.find(method);
    if (handler == m_requests.end()) {
        RespondError(id, RpcCode::kMethodNotFound, "unknown method " + Json(method).dump());
        return;
    }
    try {
        Json result = handler->second(params);
        if (initialize) {
            m_state = State::kRunning;
        }
        Respond(id, std::move(result));
    } catch (const RpcError& e) {
        RespondError(id, e.Code(), method + ": " + e.what());
    } catch (const std::exception& e) {
        m_log.Line(method + " failed: " + e.what());
        RespondError(id, RpcCode::kInternalError, method + " failed: " + e.what());
    }
}

void Dispatcher::HandleNotification(const std::string& method, const Json& params) {
    if (method == kExit) {
        Finish(EndStatus());
        return;
    }
    if (m_state != State::kRunning) {
        m_log.Line("dropped " + method +
                   (m_state == State::kShutDown ? " after shutdown" : " before initialize"));
        return;
    }
    const auto handler = m_notifications.find(method);
    if (handler == m_notifications.end()) {
        if (method.rfind("$/", 0) != 0 && m_ignored.size() < kMaxIgnoredLogged &&
            m_ignored.insert(method).second) {
            m_log.Line("ignored the notification " + method + ", which the server does not use");
        }
        return;
    }
    try {
        handler->second(params);
    } catch (const std::exception& e) {
        m_log.Line(method + ": " + e.what());
    }
}

void Dispatcher::HandleOversized(const FramedMessage& message) {
    IdFinder finder;
    Json::sax_parse(message.m_body, &finder, nlohmann::detail::input_format_t::json, false);
    if (IsId(finder.m_id)) {
        RespondError(finder.m_id, RpcCode::kInvalidRequest,
                     "a message of " + std::to_string(message.m_length) +
                         " bytes is over the server's limit");
    }
}
