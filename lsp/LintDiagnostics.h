// textDocument/publishDiagnostics with the findings of `quendel lint`, taken from the editor's
// buffers: for a file of the tree every rule (the file's own, across the layers, across the
// selections), for a file outside it the file's own rules. The rule is each diagnostic's code,
// and "did you mean" is related information pointing at the name it suggests.
//
// When: on open, after changes (once per batch, for the version the batch ends with), an empty
// list on close; and for any other file of the tree, open or not, whose findings an edit
// changed (an edit of the base file changes which overrides are unknown elsewhere), until its
// findings are gone.
#ifndef QUENDEL_LSP_LINTDIAGNOSTICS_H
#define QUENDEL_LSP_LINTDIAGNOSTICS_H

#include <map>
#include <set>
#include <string>
#include <vector>

#include "FileTexts.h"
#include "LspJson.h"
#include "PositionEncoding.h"
#include "ServerFeature.h"
#include "inspect/lint/ParamLint.h"

class LanguageServer;

// The findings of a document as the server reports them: the tree's when the document is a
// file of the tree, else the file's own.
std::vector<LintFinding> FindingsOfDocument(LanguageServer& server, const TextDocument& document,
                                            const std::string& uri);
// One finding of a file, whose text is text, as a Diagnostic.
Json DiagnosticOf(const LintFinding& finding, FileText& text, LanguageServer& server);

class LintDiagnostics : public ServerFeature {
  public:
    void Install(LanguageServer& server) override;

  private:
    void PublishStale();
    void PublishClosed(const std::string& path);

    LanguageServer* m_server = nullptr;
    std::set<std::string> m_stale;       // open documents changed since their last publication
    std::set<std::string> m_justClosed;  // paths closed in this batch: cleared, not published
    // Files not open whose diagnostics were published, by path: what was published.
    std::map<std::string, Json> m_closed;
};

#endif
