#include "DocumentStore.h"

#include <utility>

#include "DocumentUri.h"

TextDocument& DocumentStore::Open(const std::string& uri, std::string text, int64_t version) {
    auto it = m_documents.find(uri);
    if (it != m_documents.end()) {
        it->second.SetText(std::move(text));
        it->second.SetVersion(version);
        return it->second;
    }
    std::string path = FilePathOf(uri);
    if (!path.empty()) {
        m_uriByPath[path] = uri;
    }
    return m_documents.try_emplace(uri, std::move(path), std::move(text), version).first->second;
}

bool DocumentStore::Close(const std::string& uri) {
    const auto it = m_documents.find(uri);
    if (it == m_documents.end()) {
        return false;
    }
    const std::string path = it->second.Path();
    m_documents.erase(it);
    // Two URIs may name one file ("/a/./b.pp"); the path then stays with the one still open.
    const auto byPath = m_uriByPath.find(path);
    if (byPath != m_uriByPath.end() && byPath->second == uri) {
        m_uriByPath.erase(byPath);
        for (const auto& [other, document] : m_documents) {
            if (!path.empty() && document.Path() == path) {
                m_uriByPath[path] = other;
            }
        }
    }
    return true;
}

TextDocument* DocumentStore::Find(const std::string& uri) {
    const auto it = m_documents.find(uri);
    return it == m_documents.end() ? nullptr : &it->second;
}

const TextDocument* DocumentStore::Find(const std::string& uri) const {
    const auto it = m_documents.find(uri);
    return it == m_documents.end() ? nullptr : &it->second;
}

const std::string* DocumentStore::OpenText(const std::string& path) const {
    const TextDocument* document = OpenFile(path);
    return document == nullptr ? nullptr : &document->Text();
}

const TextDocument* DocumentStore::OpenFile(const std::string& path,
                                            const std::string** uri) const {
    const auto byPath = m_uriByPath.find(NormalPath(path));
    if (byPath == m_uriByPath.end()) {
        return nullptr;
    }
    if (uri != nullptr) {
        *uri = &byPath->second;
    }
    return Find(byPath->second);
}

std::string DocumentStore::UriOfPath(const std::string& path) const {
    const std::string* uri = nullptr;
    return OpenFile(path, &uri) != nullptr ? *uri : FileUriOf(NormalPath(path));
}
