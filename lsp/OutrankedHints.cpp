#include "OutrankedHints.h"

#include <algorithm>

#include "LanguageServer.h"
#include "ProtocolJson.h"
#include "TreeDocument.h"
#include "resource/StringOps.h"

Json OutrankedHintsOf(LanguageServer& server, const Json& params) {
    Json hints = Json::array();
    const TreeDocument document = OpenTreeDocument(server, params);
    if (!document.InTree()) {
        return hints;
    }
    TreeWorkspace& workspace = server.Workspace();
    const TreeModel& model = workspace.Tree().Model();
    const uint32_t self = workspace.Tree().Files()[document.m_file].m_modelFile;
    const size_t selection = workspace.SelectionFor(document.m_file);
    if (self == TreeModel::kNoFile || selection == TreeWorkspace::kNoSelection ||
        model.RankIn(self, selection) == TreeModel::kUnread) {
        return hints;
    }
    const TextDocument& buffer = document.m_text->Document();
    const TextRange range = ReadRange(ObjectMember(params, "range"));
    size_t begin = buffer.OffsetOf(range.m_start, server.Encoding());
    size_t end = buffer.OffsetOf(range.m_end, server.Encoding());
    if (end < begin) {
        std::swap(begin, end);
    }
    ParserPositions& positions = document.m_text->Positions();
    const size_t firstLine = positions.LineOf(begin);
    const size_t lastLine = positions.LineOf(end);
    const FileLint& lint = *document.m_lint;
    const auto first =
        std::lower_bound(lint.m_entries.begin(), lint.m_entries.end(), firstLine,
                         [](const LintEntry& entry, size_t line) { return entry.m_line < line; });
    PositionCursor cursor(buffer, server.Encoding());
    for (auto it = first; it != lint.m_entries.end() && it->m_line <= lastLine; ++it) {
        const std::string& section = lint.m_sections[it->m_section];
        if (!it->m_live || !ReachableName(section) || !ReachableName(it->m_key)) {
            continue;
        }
        const std::vector<Holder>* holders = model.Holders(section, it->m_key);
        const Holder* winner = holders == nullptr ? nullptr : model.Winner(selection, *holders);
        if (winner == nullptr || winner->m_file == self) {
            continue;
        }
        const PieceExtent extent =
            EntryExtent(positions, buffer.Text(), {it->m_line, it->m_column});
        hints.push_back({{"position", PositionJson(cursor.At(extent.m_end))},
                         {"label", "outranked by " + model.Where(*winner)},
                         {"paddingLeft", true}});
    }
    return hints;
}

void OutrankedHints::Install(LanguageServer& server) {
    server.AddCapability("inlayHintProvider", true);
    server.OnRequest("textDocument/inlayHint",
                     [&server](const Json& params) { return OutrankedHintsOf(server, params); });
}
