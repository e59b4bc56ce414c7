#include "LintDiagnostics.h"

#include <algorithm>

#include "DocumentUri.h"
#include "LanguageServer.h"
#include "ParserPositions.h"
#include "ProtocolJson.h"

namespace {

constexpr char kPublish[] = "textDocument/publishDiagnostics";
constexpr int kWarning = 2;

}  // namespace

std::vector<LintFinding> FindingsOfDocument(LanguageServer& server, const TextDocument& document,
                                            const std::string& uri) {
    TreeWorkspace& workspace = server.Workspace();
    const uint32_t file =
        document.Path().empty() ? CheckedTree::kNoFile : workspace.FileOf(document.Path());
    if (file != CheckedTree::kNoFile) {
        return workspace.FindingsOf(file);
    }
    // A file configuration's listed files are looked for beside the file itself.
    FileLint lint = LintText(document.Text(), document.Path().empty() ? uri : document.Path());
    if (const SchemaFacts* schema = workspace.Schema()) {
        std::vector<LintFinding> more = schema->Check(lint);
        lint.m_findings.insert(lint.m_findings.end(), more.begin(), more.end());
    }
    std::sort(lint.m_findings.begin(), lint.m_findings.end(), FindingBefore);
    return lint.m_findings;
}

Json DiagnosticOf(const LintFinding& finding, FileText& text, LanguageServer& server) {
    ParserPositions& positions = text.Positions();
    const size_t begin = positions.Offset({finding.m_line, finding.m_column});
    // To the end of the line: most findings are about the rest of it.
    const size_t end = std::max(begin, positions.LineEnd(finding.m_line));
    const TextDocument& document = text.Document();
    Json diagnostic = {{"range", RangeJson({document.PositionOf(begin, server.Encoding()),
                                            document.PositionOf(end, server.Encoding())})},
                       {"severity", kWarning},
                       {"code", finding.m_rule},
                       {"source", "quendel"},
                       {"message", finding.m_message}};
    Json related = Json::array();
    for (const LintSuggestion& suggestion : finding.m_suggestions) {
        std::shared_ptr<FileText> where =
            suggestion.m_file.empty() ? nullptr : server.Texts().Of(suggestion.m_file);
        if (where == nullptr) {
            continue;
        }
        const size_t from = where->Positions().Offset({suggestion.m_line, 1});
        const size_t to = std::max(from, where->Positions().CodeEnd(suggestion.m_line));
        const TextDocument& other = where->Document();
        related.push_back(
            {{"location",
              {{"uri", server.Documents().UriOfPath(suggestion.m_file)},
               {"range", RangeJson({other.PositionOf(from, server.Encoding()),
                                    other.PositionOf(to, server.Encoding())})}}},
             {"message", std::string("did you mean ") + (suggestion.m_section ? "section " : "") +
                             QuoteText(suggestion.m_name) + "? " +
                             (suggestion.m_section ? "named here" : "defined here")}});
    }
    if (!related.empty()) {
        diagnostic["relatedInformation"] = std::move(related);
    }
    return diagnostic;
}

void LintDiagnostics::Install(LanguageServer& server) {
    m_server = &server;
    server.OnDocumentChange([this](const std::string& uri, const TextDocument* document) {
        if (document != nullptr) {
            m_stale.insert(uri);
            m_closed.erase(document->Path());
            return;
        }
        m_stale.erase(uri);
        m_server->Notify(kPublish, {{"uri", uri}, {"diagnostics", Json::array()}});
        m_justClosed.insert(FilePathOf(uri));
    });
    server.OnBatchEnd([this] { PublishStale(); });
}

void LintDiagnostics::PublishStale() {
    m_server->Workspace().Sync();
    const std::vector<std::string> touched = m_server->Workspace().TakeTouched();
    std::set<std::string> stale = std::move(m_stale);
    m_stale.clear();
    const DocumentStore& documents = m_server->Documents();
    for (const std::string& path : touched) {
        const std::string* uri = nullptr;
        if (documents.OpenFile(path, &uri) != nullptr) {
            stale.insert(*uri);
        } else if (m_justClosed.count(path) == 0) {
            PublishClosed(path);
        }
    }
    m_justClosed.clear();
    for (const std::string& uri : stale) {
        const TextDocument* document = documents.Find(uri);
        if (document == nullptr) {
            continue;
        }
        Json diagnostics = Json::array();
        FileText text(*document);
        for (const LintFinding& finding : FindingsOfDocument(*m_server, *document, uri)) {
            diagnostics.push_back(DiagnosticOf(finding, text, *m_server));
        }
        m_server->Notify(kPublish, {{"uri", uri},
                                    {"version", document->Version()},
                                    {"diagnostics", std::move(diagnostics)}});
    }
}

// A file that is not open is published when its findings changed, until they are gone.
void LintDiagnostics::PublishClosed(const std::string& path) {
    TreeWorkspace& workspace = m_server->Workspace();
    const uint32_t file = workspace.FileOf(path);
    const auto published = m_closed.find(path);
    const std::vector<LintFinding> findings =
        file == CheckedTree::kNoFile ? std::vector<LintFinding>() : workspace.FindingsOf(file);
    if (findings.empty() && published == m_closed.end()) {
        return;  // nothing to say, and nothing said before: the file's text is not read
    }
    Json diagnostics = Json::array();
    std::shared_ptr<FileText> text = findings.empty() ? nullptr : m_server->Texts().Of(path);
    if (text != nullptr) {
        for (const LintFinding& finding : findings) {
            diagnostics.push_back(DiagnosticOf(finding, *text, *m_server));
        }
    }
    if (published == m_closed.end() ? diagnostics.empty() : published->second == diagnostics) {
        return;
    }
    m_server->Notify(kPublish, {{"uri", FileUriOf(path)}, {"diagnostics", diagnostics}});
    if (diagnostics.empty()) {
        m_closed.erase(path);
    } else {
        m_closed[path] = std::move(diagnostics);
    }
}
