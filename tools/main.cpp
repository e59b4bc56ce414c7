// quendel: tools for parameter trees and their resource files. One subcommand per command file.
#include <fendrel/ResourceReader.h>
#include <CLI/CLI.hpp>

#include <algorithm>
#include <exception>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include "Command.h"
#include "inspect/output/EntryOutput.h"

namespace {

// The library's version and the resource file format that its tools write and its binary
// store reads.
std::string VersionText() {
    return "libquendel " QUENDEL_VERSION ", resource file format " +
           std::to_string(fendrel::FormatVersion());
}

// The command a command line names: the first word that is not an option (the tool itself has
// no option that takes a value); null when there is none.
const char* CommandWord(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (argv[i][0] != '-') {
            return argv[i];
        }
    }
    return nullptr;
}

// Whether the command line asks for JSON output (--json, or lint's --format json), so that even
// an error the command never sees is one JSON document.
bool WantsJson(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (word == "--json" || word == "--format=json" ||
            (word == "--format" && i + 1 < argc && std::string(argv[i + 1]) == "json")) {
            return true;
        }
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"quendel: tools for tuning parameter trees and their resource files", "quendel"};
    app.set_version_flag("--version", VersionText(),
                         "Show the library version and the resource file format, and exit");
    app.require_subcommand(0, 1);
    app.footer(
        "Run quendel help COMMAND for the options of a command.\n"
        "Exit status: 0 done; 1 a negative answer (not found, differences, findings); "
        "2 error.");
    std::vector<std::pair<CLI::App*, CommandRun>> commands;
    const std::vector<Command> registered = RegisteredCommands();
    for (const Command& command : registered) {
        CLI::App* sub = app.add_subcommand(command.m_name, command.m_summary);
        if (command.m_hidden) {
            sub->group("");
        }
        commands.emplace_back(sub, command.m_setup(*sub));
    }
    const char* word = CommandWord(argc, argv);
    if (word != nullptr && std::none_of(registered.begin(), registered.end(),
                                        [&](const Command& c) { return c.m_name == word; })) {
        ReportUnknownCommand(word);
        if (WantsJson(argc, argv)) {
            PrintErrorDocument("unknown command '" + std::string(word) + "'");
        }
        return kExitError;
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        // --help and --version end with success; every bad argument with the one error status.
        if (app.exit(e) == 0) {
            return kExitOk;
        }
        if (WantsJson(argc, argv)) {
            PrintErrorDocument(e.what());
        }
        return kExitError;
    }
    for (const auto& [sub, run] : commands) {
        if (sub->parsed()) {
            try {
                return run();
            } catch (const std::exception& e) {
                PrintError(sub->get_name(), e.what(), WantsJson(argc, argv));
                return kExitError;
            }
        }
    }
    std::cerr << app.help();
    if (WantsJson(argc, argv)) {
        PrintErrorDocument("no command given");
    }
    return kExitError;
}
