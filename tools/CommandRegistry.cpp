#include <algorithm>
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
