#include "QuickFixes.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "LanguageServer.h"
#include "LintDiagnostics.h"
#include "ProtocolJson.h"
#include "TreeDocument.h"
#include "inspect/lint/LintRules.h"

namespace {

constexpr std::string_view kBlanks = " \t";

class Fixer {
  public:
    Fixer(LanguageServer& server, const TreeDocument& document)
        : m_server(server), m_document(document), m_text(*document.m_text) {}

    // The fix of one finding, or null.
    Json FixOf(const LintFinding& finding) {
        const FileLint& lint = *m_document.m_lint;
        const auto entry =
            std::find_if(lint.m_entries.begin(), lint.m_entries.end(), [&](const LintEntry& e) {
                return e.m_line == finding.m_line && e.m_column == finding.m_column;
            });
        if (entry == lint.m_entries.end()) {
            return nullptr;
        }
        const PieceExtent extent =
            EntryExtent(m_text.Positions(), m_text.Text(), {entry->m_line, entry->m_column});
        Json edits = Json::array();
        std::string title;
        if (finding.m_rule == rule::kMaskedOverride || finding.m_rule == rule::kRedundantOverride) {
            edits.push_back(Removal(finding.m_line, extent));
            title = "Remove this override of \"" + entry->m_key + "\"";
        } else if (finding.m_rule == rule::kUnknownOverride) {
            for (const LintSuggestion& suggestion : finding.m_suggestions) {
                if (!suggestion.m_section) {
                    edits.push_back(Edit(extent.m_nameBegin, extent.m_nameEnd, suggestion.m_name));
                    title += std::string(title.empty() ? "Change" : " and") + " key \"" +
                             entry->m_key + "\" to \"" + suggestion.m_name + "\"";
                    continue;
                }
                const std::string& section = lint.m_sections[entry->m_section];
                const LintTag* tag = OpeningTag(*entry);
                if (tag == nullptr) {
                    return nullptr;
                }
                const PieceExtent named =
                    TagExtent(m_text.Positions(), m_text.Text(), {tag->m_line, tag->m_column});
                edits.push_back(Edit(named.m_nameBegin, named.m_nameEnd, suggestion.m_name));
                title += std::string(title.empty() ? "Change" : " and") + " section \"" + section +
                         "\" to \"" + suggestion.m_name + "\"";
            }
        }
        if (edits.empty()) {
            return nullptr;
        }
        return {{"title", title},
                {"kind", "quickfix"},
                {"diagnostics", {DiagnosticOf(finding, m_text, m_server)}},
                {"isPreferred", true},
                {"edit", {{"changes", {{m_document.m_uri, std::move(edits)}}}}}};
    }

  private:
    Json Edit(size_t begin, size_t end, const std::string& text) const {
        const TextDocument& document = m_text.Document();
        return {{"range", RangeJson({document.PositionOf(begin, m_server.Encoding()),
                                     document.PositionOf(end, m_server.Encoding())})},
                {"newText", text}};
    }

    // The whole line when the entry stands alone on it, else the entry and the blanks after it.
    Json Removal(size_t line, const PieceExtent& extent) {
        ParserPositions& positions = m_text.Positions();
        const std::string_view text = m_text.Text();
        const size_t first = positions.Offset({line, 1});
        const size_t code = std::max(extent.m_end, positions.CodeEnd(line));
        const bool alone =
            text.substr(first, extent.m_begin - first).find_first_not_of(kBlanks) ==
                std::string_view::npos &&
            text.substr(extent.m_end, code - extent.m_end).find_first_not_of(kBlanks) ==
                std::string_view::npos;
        if (alone) {
            size_t next = positions.LineEnd(line);
            next += text.substr(next, 2) == "\r\n" ? 2 : next < text.size() ? 1 : 0;
            return Edit(first, next, "");
        }
        const size_t after = text.find_first_not_of(kBlanks, extent.m_end);
        return Edit(extent.m_begin,
                    std::min(after == std::string_view::npos ? text.size() : after, code), "");
    }

    // The last tag before an entry, if it names the entry's section.
    const LintTag* OpeningTag(const LintEntry& entry) const {
        const FileLint& lint = *m_document.m_lint;
        const LintTag* opening = nullptr;
        for (const LintTag& tag : lint.m_tags) {
            if (tag.m_line > entry.m_line ||
                (tag.m_line == entry.m_line && tag.m_column > entry.m_column)) {
                break;
            }
            opening = &tag;
        }
        return opening != nullptr && opening->m_section == entry.m_section ? opening : nullptr;
    }

    LanguageServer& m_server;
    const TreeDocument& m_document;
    FileText& m_text;
};

}  // namespace

Json QuickFixesOf(LanguageServer& server, const Json& params) {
    Json actions = Json::array();
    const TreeDocument document = OpenTreeDocument(server, params);
    if (!document.InTree()) {
        return actions;
    }
    const TextDocument& buffer = document.m_text->Document();
    const TextRange range = ReadRange(ObjectMember(params, "range"));
    size_t begin = buffer.OffsetOf(range.m_start, server.Encoding());
    size_t end = buffer.OffsetOf(range.m_end, server.Encoding());
    if (end < begin) {
        std::swap(begin, end);
    }
    ParserPositions& positions = document.m_text->Positions();
    Fixer fixer(server, document);
    for (const LintFinding& finding : server.Workspace().Tree().FindingsOf(document.m_file)) {
        const size_t from = positions.Offset({finding.m_line, 1});
        const size_t to = positions.LineEnd(finding.m_line);
        if (to < begin || from > end) {
            continue;
        }
        Json action = fixer.FixOf(finding);
        if (!action.is_null()) {
            actions.push_back(std::move(action));
        }
    }
    return actions;
}

void QuickFixes::Install(LanguageServer& server) {
    server.AddCapability("codeActionProvider", {{"codeActionKinds", {"quickfix"}}});
    server.OnRequest("textDocument/codeAction",
                     [&server](const Json& params) { return QuickFixesOf(server, params); });
}
