#include "TreeDocument.h"

#include <algorithm>

#include "ProtocolJson.h"
#include "textstore/NameConstants.h"

TreeDocument OpenTreeDocument(LanguageServer& server, const Json& params) {
    TreeDocument found;
    found.m_uri = DocumentUriOf(params);
    found.m_document = &server.OpenDocument(found.m_uri);
    TreeWorkspace& workspace = server.Workspace();
    workspace.Sync();
    if (workspace.Loaded() && !found.m_document->Path().empty()) {
        found.m_file = workspace.FileOf(found.m_document->Path());
        if (found.m_file != CheckedTree::kNoFile) {
            found.m_lint = workspace.Tree().Files()[found.m_file].m_lint.get();
            found.m_text = server.Texts().Of(found.m_document->Path());
        }
    }
    if (found.m_text == nullptr) {
        found.m_text = std::make_shared<FileText>(*found.m_document);
    }
    return found;
}

namespace {

// Entries and tags are in file order, so by line.
struct ByLine {
    template <class T>
    bool operator()(const T& item, size_t line) const {
        return item.m_line < line;
    }
    template <class T>
    bool operator()(size_t line, const T& item) const {
        return line < item.m_line;
    }
};

}  // namespace

PieceAt FindPiece(const FileLint& lint, FileText& text, size_t offset) {
    PieceAt found;
    const size_t line = text.Positions().LineOf(offset);
    const auto onLine = [line](const auto& items) {
        return std::equal_range(items.begin(), items.end(), line, ByLine());
    };
    const auto [tagsBegin, tagsEnd] = onLine(lint.m_tags);
    for (auto it = tagsBegin; it != tagsEnd; ++it) {
        const PieceExtent extent =
            TagExtent(text.Positions(), text.Text(), {it->m_line, it->m_column});
        if (extent.m_begin <= offset && offset <= extent.m_end) {
            return {PieceAt::Kind::kTag, static_cast<uint32_t>(it - lint.m_tags.begin()), extent};
        }
    }
    const auto [entriesBegin, entriesEnd] = onLine(lint.m_entries);
    for (auto it = entriesBegin; it != entriesEnd; ++it) {
        const PieceExtent extent =
            EntryExtent(text.Positions(), text.Text(), {it->m_line, it->m_column});
        if (extent.m_begin <= offset && offset <= extent.m_end) {
            found = {PieceAt::Kind::kEntry, static_cast<uint32_t>(it - lint.m_entries.begin()),
                     extent};
        }
    }
    return found;
}

std::string SectionAt(const FileLint& lint, ParamPosition at) {
    const auto after = std::upper_bound(
        lint.m_tags.begin(), lint.m_tags.end(), at, [](const ParamPosition& p, const LintTag& tag) {
            return p.m_line < tag.m_line || (p.m_line == tag.m_line && p.m_column <= tag.m_column);
        });
    return after == lint.m_tags.begin() ? std::string(kGlobalSection)
                                        : lint.m_sections[std::prev(after)->m_section];
}
