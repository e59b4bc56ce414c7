// quendel help [COMMAND]: the tool's help with the list of commands, or one command's options.
#include <CLI/CLI.hpp>

#include <iostream>
#include <memory>

#include "Command.h"

namespace {

CommandRun SetupHelp(CLI::App& command) {
    auto name = std::make_shared<std::string>();
    std::string names;
    for (const std::string& known : VisibleCommandNames()) {
        names += (names.empty() ? "" : ",") + known;
    }
    // The type name lists the commands, in the help and for the completion script.
    command.add_option("COMMAND", *name, "The command whose options to show")
        ->type_name("{" + names + "}");
    command.footer("Exit status: 0 shown, 2 an unknown command.");
    const CLI::App* app = command.get_parent();
    return [app, name]() -> int {
        // App::help would hand over to the subcommand parsed, which is this one.
        if (name->empty()) {
            std::cout << app->get_formatter()->make_help(app, app->get_name(),
                                                         CLI::AppFormatMode::Normal);
            return kExitOk;
        }
        const std::vector<const CLI::App*> found =
            app->get_subcommands([&](const CLI::App* sub) { return sub->get_name() == *name; });
        if (found.empty()) {
            ReportUnknownCommand(*name);
            return kExitError;
        }
        std::cout << found.front()->help(app->get_name());
        return kExitOk;
    };
}

const bool kRegistered =
    RegisterCommand({"help", "The list of commands, or the options of one command", SetupHelp});

}  // namespace
