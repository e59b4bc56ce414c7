#include "LintDiagnostics.h"

#include <algorithm>

#include "LanguageServer.h"
#include "ParserPositions.h"
#include "ProtocolJson.h"
#include "inspect/lint/ParamLint.h"

namespace {

constexpr char kPublish[] = "textDocument/publishDiagnostics";
constexpr int kWarning = 2;

}  // namespace

Json LintDiagnosticsOf(const TextDocument& document, const std::string& uri,
                       PositionEncoding encoding) {
    // A file configuration's listed files are looked for beside the file itself.
    FileLint lint = LintText(document.Text(), document.Path().empty() ? uri : document.Path());
    std::sort(lint.m_findings.begin(), lint.m_findings.end(), FindingBefore);
    ParserPositions positions(document.Text());
    // Starts and ends each in the order of the text, so that each cursor only counts on.
    PositionCursor starts(document, encoding);
    PositionCursor ends(document, encoding);
    Json diagnostics = Json::array();
    for (const LintFinding& finding : lint.m_findings) {
        const size_t begin = positions.Offset({finding.m_line, finding.m_column});
        // To the end of the line: most findings are about the rest of it.
        const size_t end = std::max(begin, positions.LineEnd(finding.m_line));
        diagnostics.push_back({{"range", RangeJson({starts.At(begin), ends.At(end)})},
                               {"severity", kWarning},
                               {"code", finding.m_rule},
                               {"source", "quendel"},
                               {"message", finding.m_message}});
    }
    return diagnostics;
}

void LintDiagnostics::Install(LanguageServer& server) {
    m_server = &server;
    server.OnDocumentChange([this](const std::string& uri, const TextDocument* document) {
        if (document != nullptr) {
            m_stale.insert(uri);
            return;
        }
        m_stale.erase(uri);
        m_server->Notify(kPublish, {{"uri", uri}, {"diagnostics", Json::array()}});
    });
    server.OnBatchEnd([this] { PublishStale(); });
}

void LintDiagnostics::PublishStale() {
    for (const std::string& uri : m_stale) {
        const TextDocument* document = m_server->Documents().Find(uri);
        if (document != nullptr) {
            m_server->Notify(kPublish, {{"uri", uri},
                                        {"version", document->Version()},
                                        {"diagnostics",
                                         LintDiagnosticsOf(*document, uri, m_server->Encoding())}});
        }
    }
    m_stale.clear();
}
