// An open document as the tree holds it, for the features that answer about one place in it:
// the tree is brought up to the buffers first, so that an answer never lags an edit sent
// before the request.
#ifndef QUENDEL_LSP_TREEDOCUMENT_H
#define QUENDEL_LSP_TREEDOCUMENT_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "FileTexts.h"
#include "LanguageServer.h"
#include "PieceExtent.h"
#include "inspect/lint/CheckedTree.h"

struct TreeDocument {
    std::string m_uri;
    const TextDocument* m_document = nullptr;
    uint32_t m_file = CheckedTree::kNoFile;  // its file in the tree; kNoFile outside it
    const FileLint* m_lint = nullptr;        // the tree's lint of its buffer, in the tree
    std::shared_ptr<FileText> m_text;

    bool InTree() const { return m_file != CheckedTree::kNoFile && m_lint != nullptr; }
};

// The document of params.textDocument; throws RpcError when it is not open.
TreeDocument OpenTreeDocument(LanguageServer& server, const Json& params);

// The entry or the tag of a document's text at a byte offset (its extent holds the offset).
struct PieceAt {
    enum class Kind { kNone, kEntry, kTag };
    Kind m_kind = Kind::kNone;
    uint32_t m_index = 0;  // into the lint's entries or tags
    PieceExtent m_extent;
};
PieceAt FindPiece(const FileLint& lint, FileText& text, size_t offset);

// The section that receives an entry written at a parser position: the last tag before it, or
// "GlobalParameters".
std::string SectionAt(const FileLint& lint, ParamPosition at);

#endif
