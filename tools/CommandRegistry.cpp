#include <CLI/CLI.hpp>

#include <algorithm>
#include <iostream>
#include <utility>

#include "Command.h"

namespace {
// Built on first use: the commands register from static initialisers of other files.
std::vector<Command>& Registry() {
    static std::vector<Command> commands;
    return commands;
}
}  // namespace

bool RegisterCommand(Command command) {
    Registry().push_back(std::move(command));
    return true;
}

std::vector<Command> RegisteredCommands() {
    std::vector<Command> commands = Registry();
    std::sort(commands.begin(), commands.end(),
              [](const Command& a, const Command& b) { return a.m_name < b.m_name; });
    return commands;
}

std::vector<std::string> VisibleCommandNames() {
    std::vector<std::string> names;
    for (const Command& command : RegisteredCommands()) {
        if (!command.m_hidden) {
            names.push_back(command.m_name);
        }
    }
    return names;
}

void ReportUnknownCommand(const std::string& name) {
    std::cerr << "quendel: unknown command '" << name << "'\nCommands:";
    for (const std::string& known : VisibleCommandNames()) {
        std::cerr << " " << known;
    }
    std::cerr << "\nRun quendel help for what each does.\n";
}

void AddLocationOptions(CLI::App& command, SelectionOptions& options) {
    command
        .add_option("--settings", options.m_settings,
                    "Host settings file (INI); the options below override it")
        ->check(CLI::ExistingFile);
    command.add_option("--root", options.m_root,
                       "Shipped root: the directory that holds dev/ (Path ShippedRoot)");
    command.add_option("--name", options.m_name,
                       "Resource name below dev/ (Product-GeneralSpecification "
                       "QuendelFileName; default Quendel)");
    command.add_option("--user-root", options.m_userRoot,
                       "Root of the user-defined files (Path SystemHQUserDefinedRoot)");
    command.add_option("--product-rule", options.m_productRule,
                       "Product rule directory of the binary store "
                       "(Product-GeneralSpecification QuendelProductRule)");
}

void AddTreeOptions(CLI::App& command, SelectionOptions& options) {
    AddLocationOptions(command, options);
    command
        .add_option("--store", options.m_store,
                    "text: the .pp files; bin: the resource file (PostProcessing "
                    "UseTxtQuendel)")
        ->check(CLI::IsMember({"text", "bin"}));
    command.add_flag("-v,--verbose", options.m_verbose, "Show the host log lines on stderr");
    command.add_flag("--json", options.m_json, "Machine-readable output");
}

void AddSelectionOptions(CLI::App& command, SelectionOptions& options) {
    AddTreeOptions(command, options);
    command.add_option("-F,--group", options.m_group, "Group");
    command.add_option("-P,--probe", options.m_probe, "Transducer within the group");
    command.add_option("-A,--clinical", options.m_clinical, "Clinical setting");
    command.add_flag("--strict", options.m_strict,
                     "A missing base file, or a selected level without its file, is an error");
}
