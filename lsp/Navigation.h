// textDocument/definition: from a key, the setting that wins in the document's selection; from a
// section tag, where the base level names the section. textDocument/references: every file and
// line of the tree that sets the key, or whose tags name the section.
#ifndef QUENDEL_LSP_NAVIGATION_H
#define QUENDEL_LSP_NAVIGATION_H

#include "LspJson.h"
#include "ServerFeature.h"

class LanguageServer;

// A Location, null where there is none.
Json DefinitionOf(LanguageServer& server, const Json& params);
// A Location[].
Json ReferencesOf(LanguageServer& server, const Json& params);

class Navigation : public ServerFeature {
  public:
    void Install(LanguageServer& server) override;
};

#endif
