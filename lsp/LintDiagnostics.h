// textDocument/publishDiagnostics with the per-file lint of each open document, taken from the
// editor's text: on open, after changes (once per batch, for the version the batch ends with),
// and an empty list on close. The rule is each diagnostic's code.
#ifndef QUENDEL_LSP_LINTDIAGNOSTICS_H
#define QUENDEL_LSP_LINTDIAGNOSTICS_H

#include <set>
#include <string>

#include "LspJson.h"
#include "PositionEncoding.h"
#include "ServerFeature.h"
#include "TextDocument.h"

// The diagnostics of a document, as a publishDiagnostics "diagnostics" array.
Json LintDiagnosticsOf(const TextDocument& document, const std::string& uri,
                       PositionEncoding encoding);

class LintDiagnostics : public ServerFeature {
  public:
    void Install(LanguageServer& server) override;

  private:
    void PublishStale();

    LanguageServer* m_server = nullptr;
    std::set<std::string> m_stale;  // open documents changed since their last publication
};

#endif
