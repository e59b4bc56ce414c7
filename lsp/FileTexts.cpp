#include "FileTexts.h"

#include <system_error>
#include <utility>

#include "textstore/FileBytes.h"

std::shared_ptr<FileText> FileTexts::Of(const std::string& path) {
    const TextDocument* open = m_documents.OpenFile(path);
    std::error_code error;
    uintmax_t size = 0;
    std::filesystem::file_time_type time;
    if (open == nullptr) {
        size = std::filesystem::file_size(path, error);
        time = error ? std::filesystem::file_time_type()
                     : std::filesystem::last_write_time(path, error);
        if (error) {
            return nullptr;
        }
    }
    for (auto it = m_kept.begin(); it != m_kept.end(); ++it) {
        if (it->m_path != path) {
            continue;
        }
        const bool same = open != nullptr
                              ? it->m_open == open && it->m_revision == open->Revision()
                              : it->m_open == nullptr && it->m_size == size && it->m_time == time;
        if (same) {
            m_kept.splice(m_kept.begin(), m_kept, it);
            return m_kept.front().m_text;
        }
        m_kept.erase(it);
        break;
    }
    Kept kept{path, open, open != nullptr ? open->Revision() : 0, size, time, nullptr};
    if (open != nullptr) {
        kept.m_text = std::make_shared<FileText>(*open);
    } else {
        std::string bytes;
        if (!ReadFileBytes(path, bytes)) {
            return nullptr;
        }
        kept.m_text =
            std::make_shared<FileText>(std::make_unique<TextDocument>(path, std::move(bytes), 0));
    }
    m_kept.push_front(std::move(kept));
    if (m_kept.size() > kKeptFiles) {
        m_kept.pop_back();
    }
    return m_kept.front().m_text;
}
