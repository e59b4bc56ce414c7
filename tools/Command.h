// The subcommands of the quendel tool. Each command's file registers itself at start-up:
//   const bool kRegistered = RegisterCommand({"pack", "Pack a tree ...", SetupPack});
// main builds one subcommand per registered command, lets the command add its arguments and
// runs the one the command line names.
#ifndef QUENDEL_TOOLS_COMMAND_H
#define QUENDEL_TOOLS_COMMAND_H

#include <functional>
#include <string>
#include <vector>

#include "inspect/selection/Selection.h"

namespace CLI {
class App;
}

// Exit statuses of every command: done (found, no difference, no finding); a negative answer
// (not found, differences, findings); the command could not run (bad arguments, unreadable
// files, no parameters at all for the selection).
enum ExitStatus : int { kExitOk = 0, kExitNegative = 1, kExitError = 2 };

// Runs a command once its command line is parsed; the result is the exit status.
using CommandRun = std::function<int()>;

struct Command {
    std::string m_name;
    std::string m_summary;
    // Adds the command's arguments to its subcommand and returns what runs it.
    std::function<CommandRun(CLI::App& command)> m_setup;
    // Left out of the help and the command list (the completion script's writer).
    bool m_hidden = false;
};

// Always true, so that a file can register from the initialiser of a constant.
bool RegisterCommand(Command command);
// The registered commands in name order.
std::vector<Command> RegisteredCommands();
// The names of the commands that are not hidden, in name order.
std::vector<std::string> VisibleCommandNames();
// "quendel: unknown command 'NAME'" and the list of commands, on standard error.
void ReportUnknownCommand(const std::string& name);

// The options several commands share. Where the tree is: --settings, --root, --name,
// --user-root, --product-rule.
void AddLocationOptions(CLI::App& command, SelectionOptions& options);
// The location options, --store, -v and --json.
void AddTreeOptions(CLI::App& command, SelectionOptions& options);
// The tree options, -F, -P, -A and --strict.
void AddSelectionOptions(CLI::App& command, SelectionOptions& options);

#endif
