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
