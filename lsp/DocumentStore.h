// The documents the editor has open, by URI: the only text the server reads for them while they
// are open. Whatever reads files of the tree asks OpenText first, so that unsaved buffers count.
#ifndef QUENDEL_LSP_DOCUMENTSTORE_H
#define QUENDEL_LSP_DOCUMENTSTORE_H

#include <cstdint>
#include <map>
#include <string>

#include "TextDocument.h"

class DocumentStore {
  public:
    // Opens the document, or replaces the text of one already open.
    TextDocument& Open(const std::string& uri, std::string text, int64_t version);
    // False when it was not open.
    bool Close(const std::string& uri);
    TextDocument* Find(const std::string& uri);
    const TextDocument* Find(const std::string& uri) const;
    // The editor's text of the file at path (relative to the working directory or absolute),
    // or null when no open document is that file.
    const std::string* OpenText(const std::string& path) const;
    // The open document that is the file at path, and the URI the client opened it by; null
    // when none is.
    const TextDocument* OpenFile(const std::string& path, const std::string** uri = nullptr) const;
    // The URI of the file at path: the client's own while it is open, else a file URI.
    std::string UriOfPath(const std::string& path) const;

    const std::map<std::string, TextDocument>& Documents() const { return m_documents; }

  private:
    std::map<std::string, TextDocument> m_documents;
    std::map<std::string, std::string> m_uriByPath;  // the open file URIs by normal path
};

#endif
