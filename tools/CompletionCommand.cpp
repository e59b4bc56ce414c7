// quendel completion bash [-o FILE]: the bash completion script, written from the tool's own
// command table so that it offers exactly the commands, options and option values the tool
// has. The build writes it once; it is installed as share/bash-completion/completions/quendel.
#include <CLI/CLI.hpp>

#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>

#include "Command.h"

namespace {

struct CompletionOptions {
    std::string m_shell;
    std::string m_output;
};

// Only names the tool gives itself are offered; they need no quoting in the script.
bool PlainWord(const std::string& word) {
    return !word.empty() && word.find_first_not_of(
                                "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRS"
                                "TUVWXYZ0123456789_.:+-") == std::string::npos;
}

std::string Join(const std::vector<std::string>& words, const char* separator) {
    std::string text;
    for (const std::string& word : words) {
        if (PlainWord(word)) {
            text += (text.empty() ? "" : separator) + word;
        }
    }
    return text;
}

// The values an option accepts: the words in braces of its type name ("TEXT:{text,bin}").
std::vector<std::string> ValueWords(const CLI::Option& option) {
    const std::string type = option.get_type_name();
    const size_t open = type.find('{');
    const size_t close = type.find('}', open);
    std::vector<std::string> words;
    if (open == std::string::npos || close == std::string::npos) {
        return words;
    }
    std::istringstream list(type.substr(open + 1, close - open - 1));
    for (std::string word; std::getline(list, word, ',');) {
        words.push_back(word);
    }
    return words;
}

// One arm of the script's case over the command: its options, the values of the options that
// take one, and the words offered for an argument (by default its first positional's values).
void WriteArm(std::ostream& out, const std::string& pattern, const CLI::App& command,
              std::vector<std::string> positional = {}) {
    std::vector<std::string> options;
    bool firstPositional = positional.empty();
    std::string valueArms;
    std::vector<std::string> anyValue;  // options whose value is completed as a file name
    for (const CLI::Option* option : command.get_options()) {
        if (!option->nonpositional()) {
            if (firstPositional) {
                positional = ValueWords(*option);
                firstPositional = false;
            }
            continue;
        }
        std::vector<std::string> names;
        for (const std::string& name : option->get_snames()) {
            names.push_back("-" + name);
        }
        for (const std::string& name : option->get_lnames()) {
            names.push_back("--" + name);
        }
        options.insert(options.end(), names.begin(), names.end());
        if (option->get_items_expected_max() == 0) {
            continue;
        }
        const std::vector<std::string> values = ValueWords(*option);
        if (values.empty()) {
            anyValue.insert(anyValue.end(), names.begin(), names.end());
        } else {
            valueArms += "        " + Join(names, "|") + ") COMPREPLY=($(compgen -W '" +
                         Join(values, " ") + "' -- \"$cur\")); return ;;\n";
        }
    }
    out << "    " << pattern << ")\n"
        << "        options='" << Join(options, " ") << "'\n"
        << "        words='" << Join(positional, " ") << "'\n";
    if (!anyValue.empty()) {
        valueArms += "        " + Join(anyValue, "|") + ") return ;;\n";
    }
    if (!valueArms.empty()) {
        out << "        case $prev in\n" << valueArms << "        esac\n";
    }
    out << "        ;;\n";
}

std::string CompletionScript(const CLI::App& app) {
    std::ostringstream out;
    out << "# bash completion for quendel, written by \"quendel completion bash\" from the "
           "tool's commands.\n"
           "_quendel() {\n"
           "    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}\n"
           "    local command= options= words= i\n"
           "    for ((i = 1; i < COMP_CWORD; i++)); do\n"
           "        if [[ ${COMP_WORDS[i]} != -* ]]; then\n"
           "            command=${COMP_WORDS[i]}\n"
           "            break\n"
           "        fi\n"
           "    done\n"
           "    case $command in\n";
    std::vector<std::string> names;
    const std::vector<const CLI::App*> commands =
        app.get_subcommands([](const CLI::App* sub) { return !sub->get_group().empty(); });
    for (const CLI::App* command : commands) {
        names.push_back(command->get_name());
        WriteArm(out, command->get_name(), *command);
    }
    // Before the command: the tool's own options, and the commands.
    WriteArm(out, "''", app, names);
    out << "    esac\n"
           "    if [[ $cur == -* ]]; then\n"
           "        words=$options\n"
           "    fi\n"
           "    COMPREPLY=($(compgen -W \"$words\" -- \"$cur\"))\n"
           "}\n"
           "complete -o default -F _quendel quendel\n";
    return out.str();
}

int RunCompletion(const CLI::App& app, const CompletionOptions& options) {
    const std::string script = CompletionScript(app);
    if (options.m_output.empty()) {
        std::cout << script;
        return std::cout.flush() ? kExitOk : kExitError;
    }
    std::ofstream file(options.m_output, std::ios::binary | std::ios::trunc);
    if (!(file << script) || !file.flush()) {
        std::cerr << "quendel completion: cannot write " << options.m_output << "\n";
        return kExitError;
    }
    return kExitOk;
}

CommandRun SetupCompletion(CLI::App& command) {
    auto options = std::make_shared<CompletionOptions>();
    command.add_option("SHELL", options->m_shell, "The shell")
        ->required()
        ->check(CLI::IsMember({"bash"}));
    command.add_option("-o,--output", options->m_output, "Write the script to FILE");
    const CLI::App* app = command.get_parent();
    return [app, options] { return RunCompletion(*app, *options); };
}

const bool kRegistered = RegisterCommand(
    {"completion", "The shell completion script of the tool", SetupCompletion, true});

}  // namespace
