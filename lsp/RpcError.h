// The error codes of JSON-RPC 2.0 and of the protocol, and the exception through which a handler
// answers a request with one of them.
#ifndef QUENDEL_LSP_RPCERROR_H
#define QUENDEL_LSP_RPCERROR_H

#include <stdexcept>
#include <string>

enum class RpcCode : int {
    kParseError = -32700,
    kInvalidRequest = -32600,
    kMethodNotFound = -32601,
    kInvalidParams = -32602,
    kInternalError = -32603,
    kServerNotInitialized = -32002,
    kRequestFailed = -32803,
    kRequestCancelled = -32800,
};

class RpcError : public std::runtime_error {
  public:
    RpcError(RpcCode code, const std::string& message)
        : std::runtime_error(message), m_code(code) {}
    RpcCode Code() const { return m_code; }

  private:
    RpcCode m_code;
};

#endif
