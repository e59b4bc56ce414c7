// The text of a file, for turning the parser's positions in it into the protocol's: the editor's
// buffer while the file is open, else the file on disk. Each is kept with its line indexes while
// it stays as it was (the buffer's revision, the file's size and modification time), so that
// answers about a large file do not read it again.
#ifndef QUENDEL_LSP_FILETEXTS_H
#define QUENDEL_LSP_FILETEXTS_H

#include <cstdint>
#include <filesystem>
#include <list>
#include <memory>
#include <string>

#include "DocumentStore.h"
#include "ParserPositions.h"
#include "TextDocument.h"

class FileText {
  public:
    // document must outlive this object (one kept here does).
    explicit FileText(const TextDocument& document)
        : m_document(document), m_positions(document.Text()) {}
    explicit FileText(std::unique_ptr<TextDocument> own)
        : m_own(std::move(own)), m_document(*m_own), m_positions(m_document.Text()) {}

    const TextDocument& Document() const { return m_document; }
    const std::string& Text() const { return m_document.Text(); }
    ParserPositions& Positions() { return m_positions; }

  private:
    std::unique_ptr<TextDocument> m_own;
    const TextDocument& m_document;
    ParserPositions m_positions;
};

class FileTexts {
  public:
    explicit FileTexts(const DocumentStore& documents) : m_documents(documents) {}

    // The text of the file at path (absolute, lexically normal); null when it is not open and
    // cannot be read.
    std::shared_ptr<FileText> Of(const std::string& path);

  private:
    static constexpr size_t kKeptFiles = 4;

    struct Kept {
        std::string m_path;
        const TextDocument* m_open = nullptr;  // the buffer it was made of, or null
        uint64_t m_revision = 0;
        uintmax_t m_size = 0;
        std::filesystem::file_time_type m_time;
        std::shared_ptr<FileText> m_text;
    };

    const DocumentStore& m_documents;
    std::list<Kept> m_kept;  // the most recently used first
};

#endif
