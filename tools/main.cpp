// quendel: tools for parameter trees and their resource files. One subcommand per command file.
#include <CLI/CLI.hpp>

#include <exception>
#include <iostream>
#include <utility>
#include <vector>

#include "Command.h"

int main(int argc, char** argv) {
    CLI::App app{"quendel: tools for tuning parameter trees and their resource files"};
    app.require_subcommand(1);
    app.footer(
        "Run quendel COMMAND --help for the options of a command.\n"
        "Exit status: 0 done; 1 a negative answer (not found, differences, findings); "
        "2 error.");
    std::vector<std::pair<CLI::App*, CommandRun>> commands;
    for (const Command& command : RegisteredCommands()) {
        CLI::App* sub = app.add_subcommand(command.m_name, command.m_summary);
        commands.emplace_back(sub, command.m_setup(*sub));
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        // --help ends with success; every bad argument with the one error status.
        return app.exit(e) == 0 ? kExitOk : kExitError;
    }
    for (const auto& [sub, run] : commands) {
        if (sub->parsed()) {
            try {
                return run();
            } catch (const std::exception& e) {
                std::cerr << "quendel " << sub->get_name() << ": " << e.what() << "\n";
                return kExitError;
            }
        }
    }
    return kExitError;
}
