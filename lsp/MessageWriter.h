// The protocol's framing on the output: "Content-Length: N", a blank line, then the message as
// N bytes of UTF-8 JSON. Each message is flushed whole, so the client never waits for one.
#ifndef QUENDEL_LSP_MESSAGEWRITER_H
#define QUENDEL_LSP_MESSAGEWRITER_H

#include <ostream>

#include "LspJson.h"

class MessageWriter {
  public:
    explicit MessageWriter(std::ostream& out) : m_out(out) {}

    // False, now and for every later message, once the stream fails (the client is gone).
    bool Write(const Json& message);
    bool Failed() const { return m_failed; }

  private:
    std::ostream& m_out;
    bool m_failed = false;
};

#endif
