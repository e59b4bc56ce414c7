#include "ServerLog.h"

void ServerLog::Line(std::string_view text) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_out << "quendel lsp: " << text << '\n';
    m_out.flush();
}
