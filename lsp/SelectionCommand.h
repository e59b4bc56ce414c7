// workspace/executeCommand "quendel.selectSelection": switches the default selection, for which
// each file is answered where the selections that read it leave a choice. Its one argument is
// {"group", "probe", "clinical"} (a part left out keeps its value), or the three as strings;
// without one it changes nothing. The answer is the default selection then and the selections
// the tree offers: {"selection": {...}, "offered": [{...}]}.
#ifndef QUENDEL_LSP_SELECTIONCOMMAND_H
#define QUENDEL_LSP_SELECTIONCOMMAND_H

#include "LspJson.h"
#include "ServerFeature.h"

class LanguageServer;

Json ExecuteCommand(LanguageServer& server, const Json& params);

class SelectionCommand : public ServerFeature {
  public:
    static constexpr char kCommand[] = "quendel.selectSelection";
    void Install(LanguageServer& server) override;
};

#endif
