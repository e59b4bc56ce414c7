// quendel lsp: the language server for parameter files, over standard input and output.
#include <CLI/CLI.hpp>

#include "Command.h"
#include "ServerLoop.h"

namespace {

CommandRun SetupLsp(CLI::App& command) {
    command.add_flag("--stdio",
                     "Talk over standard input and output (the only way; accepted because "
                     "clients pass it)");
    return [] { return RunLanguageServerOnStdio(); };
}

const bool kRegistered = RegisterCommand(
    {"lsp", "Run the language server for parameter files on standard input and output", SetupLsp});

}  // namespace
