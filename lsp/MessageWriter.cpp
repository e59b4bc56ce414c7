#include "MessageWriter.h"

#include <string>

bool MessageWriter::Write(const Json& message) {
    if (m_failed) {
        return false;
    }
    // Text taken from a file is not always UTF-8; a bad byte becomes U+FFFD, never a throw.
    const std::string body = message.dump(-1, ' ', false, Json::error_handler_t::replace);
    const std::string frame = "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
    m_out.write(frame.data(), static_cast<std::streamsize>(frame.size()));
    m_out.flush();
    m_failed = !m_out.good();
    return !m_failed;
}
