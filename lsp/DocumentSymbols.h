// textDocument/documentSymbol: the sections that a document's tags select, with the keys set
// under each, as the library's parser reads the editor's text. A tag whose path extends the one
// before it ("<Display>" then "<Display:Zoom>") nests inside it; a tag elsewhere stands at the
// top with its whole path; keys before the first tag stand at the top.
#ifndef QUENDEL_LSP_DOCUMENTSYMBOLS_H
#define QUENDEL_LSP_DOCUMENTSYMBOLS_H

#include "LspJson.h"
#include "PositionEncoding.h"
#include "ServerFeature.h"
#include "TextDocument.h"

// The symbols of a document, as a DocumentSymbol[] array.
Json DocumentSymbolsOf(const TextDocument& document, PositionEncoding encoding);

class DocumentSymbols : public ServerFeature {
  public:
    void Install(LanguageServer& server) override;
};

#endif
