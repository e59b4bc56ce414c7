// textDocument/hover. On a key: the value the document's selection gets, the layer and the
// file:line that win, every other file of the selection that sets it (struck through, marked
// outranked), and what the base level says of it (its type, or that it defines no such key).
// On a section tag: how many keys the selection has in the section and where base-level files
// name it. Every answer names the selection it is for.
#ifndef QUENDEL_LSP_ENTRYHOVER_H
#define QUENDEL_LSP_ENTRYHOVER_H

#include "KeyFacts.h"
#include "LspJson.h"
#include "MarkupText.h"
#include "ServerFeature.h"

class LanguageServer;

// What a documentation source says of a key, as hover and completion show it: "schema: TYPE,
// unit UNIT, RANGE", then the description as a paragraph of its own.
void AppendKeyFact(MarkupText& text, const KeyFact& fact);

// The hover of params (a HoverParams), or null where there is nothing to say.
Json HoverOf(LanguageServer& server, const Json& params);

class EntryHover : public ServerFeature {
  public:
    void Install(LanguageServer& server) override;
};

#endif
