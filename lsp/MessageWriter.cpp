#include "MessageWriter.h"

#include <string>

bool MessageWriter::Write(const Json& message) {
    if (m_failed) {
        return false;
    }
    // Text taken from a file is not always UTF-8; a bad byte becomes U+FFFD, never a throw.
    const std::string body = message.dump(-1, ' ', false, Json::error_handler_t::replace);
    const std::string header = "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n";
    m_out.write(header.data(), static_cast<std::streamsize>(header.size()));
    m_out.write(body.data(), static_cast<std::streamsize>(body.size()));
    m_out.flush();
    m_failed = !m_out.good();
    return !m_failed;
}
