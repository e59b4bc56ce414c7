// textDocument/inlayHint: after each entry of the asked range that the document's selection
// reads from another file, "outranked by Clns/Cardiac/ImgResCln.pp:8" (the setting that wins),
// so that a value that does not count shows as such where it stands.
#ifndef QUENDEL_LSP_OUTRANKEDHINTS_H
#define QUENDEL_LSP_OUTRANKEDHINTS_H

#include "LspJson.h"
#include "ServerFeature.h"

class LanguageServer;

// An InlayHint[].
Json OutrankedHintsOf(LanguageServer& server, const Json& params);

class OutrankedHints : public ServerFeature {
  public:
    void Install(LanguageServer& server) override;
};

#endif
