// textDocument/completion: in a tag, the section paths that base-level files name; where a key
// is written, the keys the base level defines in the section the line's entries go to, each
// with its base-level value and type (and what a documentation source says of it). Only names
// that a lookup can find are offered, so a completed override never falls to unknown-override.
#ifndef QUENDEL_LSP_NAMECOMPLETION_H
#define QUENDEL_LSP_NAMECOMPLETION_H

#include "LspJson.h"
#include "ServerFeature.h"

class LanguageServer;

// A CompletionList.
Json CompletionOf(LanguageServer& server, const Json& params);

class NameCompletion : public ServerFeature {
  public:
    void Install(LanguageServer& server) override;
};

#endif
