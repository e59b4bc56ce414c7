// The protocol's framing on the input: headers ("Content-Length: N", others ignored), a blank
// line, then a body of N bytes. Broken framing is logged and skipped up to the next
// "Content-Length" header, so that the stream stays in step with the client wherever it can:
// - a line that is no header, a header line over 4 KiB, a missing or unreadable
//   Content-Length: the bytes up to the next header are skipped;
// - a header without the blank line after it: the body is taken to start on the next line;
// - a Content-Length larger than the message: a next header inside the body (a raw line break
//   cannot stand inside JSON text, so "Content-Length: N" with one is always a header) ends
//   the body early, without waiting for bytes that may never come;
// - a body over the size limit (64 MiB): read past and handed on as kOversized with its first
//   4 KiB, so that a request in it can still be answered;
// - the end of the input, anywhere: kEnd.
#ifndef QUENDEL_LSP_MESSAGEREADER_H
#define QUENDEL_LSP_MESSAGEREADER_H

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "ByteSource.h"
#include "ServerLog.h"

inline constexpr size_t kMaxMessageBytes = size_t{64} << 20;

struct FramedMessage {
    enum class Kind { kMessage, kOversized, kEnd };
    Kind m_kind = Kind::kEnd;
    std::string m_body;   // kMessage: the body; kOversized: its first bytes
    size_t m_length = 0;  // kOversized: the length the header gave
};

class MessageReader {
  public:
    // beforeRead runs before each read from the source, which may wait: what was read so far
    // can be handed on first.
    MessageReader(ByteSource& source, ServerLog& log, size_t maxMessageBytes = kMaxMessageBytes,
                  std::function<void()> beforeRead = {});

    FramedMessage Read();

  private:
    enum class Headers { kComplete, kBroken, kEnd };
    Headers ReadHeaders(size_t& length);
    FramedMessage ReadBody(size_t length);
    // Skips from the byte after the current one to the next "Content-Length" header; false
    // when the input ends first.
    bool SkipToNextHeader();
    // Appends what the source gives; false at its end.
    bool Fill();
    std::string_view Unread() const;

    ByteSource& m_source;
    ServerLog& m_log;
    size_t m_max;
    std::function<void()> m_beforeRead;
    std::string m_buffer;
    size_t m_pos = 0;  // the first byte not yet taken
    bool m_ended = false;
};

#endif
