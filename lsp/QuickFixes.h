// textDocument/codeAction: quick fixes for the findings in the asked range. An override whose
// key or section is a slip away from a defined name gets the name it suggests (the key edited
// in place, the section in the tag that opens it); an override that never takes effect, or that
// repeats the value it overrides, can be removed (its line, when nothing else stands on it).
#ifndef QUENDEL_LSP_QUICKFIXES_H
#define QUENDEL_LSP_QUICKFIXES_H

#include "LspJson.h"
#include "ServerFeature.h"

class LanguageServer;

// A CodeAction[].
Json QuickFixesOf(LanguageServer& server, const Json& params);

class QuickFixes : public ServerFeature {
  public:
    void Install(LanguageServer& server) override;
};

#endif
