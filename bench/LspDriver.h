// The editor server in process, as the benchmarks drive it: messages handed to it one batch at a
// time (as its reader hands them on), its output kept in memory.
#ifndef QUENDEL_BENCH_LSPDRIVER_H
#define QUENDEL_BENCH_LSPDRIVER_H

#include <cstddef>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "LanguageServer.h"

namespace bench {

class LspDriver {
  public:
    LspDriver();

    // initialize with the reference tree at tree as the workspace root, then initialized.
    void Initialize(const std::string& tree);
    // Whether the server found and read the tree (else it checks each file on its own).
    bool TreeRead();
    // didOpen of the file at path (its text from disk), then the batch ends.
    void Open(const std::string& path);
    // A didChange of one character (inserted at offset, or removed from it), then the batch
    // ends.
    void EditOneCharacter(const std::string& path, size_t offset, bool insert);
    // A request about one position of an open file; its result (throws when it failed).
    Json Ask(const std::string& method, const std::string& path, size_t offset);

    // The open document's text.
    const std::string& Text(const std::string& path) const;
    // Whether the output since the last call published diagnostics for the file at path.
    bool TakePublished(const std::string& path);
    // The first entry after a tag: where its key and its value start (byte offsets).
    struct Place {
        size_t m_key;
        size_t m_value;
    };
    static Place FirstEntry(const std::string& text);

  private:
    void Handle(const Json& message);
    TextPosition PositionOf(const std::string& path, size_t offset) const;

    std::ostringstream m_output;
    std::ostringstream m_logText;
    MessageWriter m_writer;
    ServerLog m_log;
    LanguageServer m_server;
    int m_id = 0;
    std::vector<FramedMessage> m_batch;
    std::map<std::string, int> m_versions;
};

}  // namespace bench

#endif
