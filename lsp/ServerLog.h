// The server's log: one line per event, "quendel lsp: ...", on a stream that is never the
// protocol's (standard error). The reader thread and the dispatcher both write to it.
#ifndef QUENDEL_LSP_SERVERLOG_H
#define QUENDEL_LSP_SERVERLOG_H

#include <mutex>
#include <ostream>
#include <string_view>

class ServerLog {
  public:
    explicit ServerLog(std::ostream& out) : m_out(out) {}
    void Line(std::string_view text);

  private:
    std::mutex m_mutex;
    std::ostream& m_out;
};

#endif
