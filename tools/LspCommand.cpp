// quendel lsp: the language server for parameter files, over standard input and output.
#include <CLI/CLI.hpp>

#include "Command.h"
#include "ServerLoop.h"

namespace {

CommandRun SetupLsp(CLI::App& command) {
    command.add_flag("--stdio",
                     "Talk over standard input and output (the only way; accepted because "
                     "clients pass it)");
    command.footer(
        "Exit status: 0 when the client ends the session with shutdown and exit; 1 when it "
        "ends otherwise (exit without shutdown, the end of the input); 2 error.");
    return [] { return RunLanguageServerOnStdio(); };
}

const bool kRegistered = RegisterCommand(
    {"lsp", "Run the language server for parameter files on standard input and output", SetupLsp});

}  // namespace
