// A feature of the server (diagnostics, document symbols, ...): it registers its handlers,
// listeners and capabilities with the server once, before the first message.
#ifndef QUENDEL_LSP_SERVERFEATURE_H
#define QUENDEL_LSP_SERVERFEATURE_H

class LanguageServer;

class ServerFeature {
  public:
    virtual ~ServerFeature() = default;
    virtual void Install(LanguageServer& server) = 0;
};

#endif
