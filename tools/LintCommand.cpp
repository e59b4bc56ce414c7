// quendel lint FILE|DIR...: constructs that the forgiving parser reads differently from what
// they look like.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>

#include "Command.h"
#include "EntryOutput.h"
#include "ParamLint.h"

namespace {

struct LintOptions {
    std::vector<std::string> m_names;
    bool m_json = false;
};

int RunLint(const LintOptions& options) {
    std::vector<std::string> errors;
    const std::vector<std::string> files = CollectParamFiles(options.m_names, errors);
    std::vector<LintFinding> findings;
    for (const std::string& file : files) {
        FileLint lint;
        std::string error;
        if (!LintFile(file, lint, error)) {
            errors.push_back(error);
            continue;
        }
        std::sort(lint.m_findings.begin(), lint.m_findings.end(), FindingBefore);
        findings.insert(findings.end(), lint.m_findings.begin(), lint.m_findings.end());
    }
    for (const std::string& error : errors) {
        std::cerr << "quendel lint: " << error << "\n";
    }
    if (options.m_json) {
        nlohmann::ordered_json list = nlohmann::ordered_json::array();
        for (const LintFinding& f : findings) {
            list.push_back({{"file", f.m_file},
                            {"line", f.m_line},
                            {"column", f.m_column},
                            {"code", f.m_rule},
                            {"message", f.m_message}});
        }
        nlohmann::ordered_json json = {{"files", files}, {"findings", list}, {"errors", errors}};
        PrintJson(json);
    } else if (!files.empty()) {
        for (const LintFinding& f : findings) {
            std::cout << f.m_file << ":" << f.m_line << ":" << f.m_column << ": " << f.m_message
                      << " [" << f.m_rule << "]\n";
        }
        std::cerr << "quendel lint: " << findings.size()
                  << (findings.size() == 1 ? " finding in " : " findings in ") << files.size()
                  << (files.size() == 1 ? " file" : " files") << "\n";
    }
    if (!errors.empty()) {
        return kExitError;
    }
    return findings.empty() ? kExitOk : kExitNegative;
}

CommandRun SetupLint(CLI::App& command) {
    auto options = std::make_shared<LintOptions>();
    command
        .add_option("FILE|DIR", options->m_names,
                    "Parameter files, or directories whose *.pp files are checked")
        ->required();
    command.add_flag("--json", options->m_json, "Machine-readable output");
    command.footer(
        "Reports, with file:line:column: a value, tag or section line left open; an empty "
        "tag;\ntext lost after \"<>\"; a \"#\" that cuts a value; text without \"<\" read as "
        "a key;\na key with inner blanks; a byte-order mark; a key set twice in one section;\n"
        "in FileConfig.pp a listed file that does not exist or is not read.\n"
        "Columns count characters from 1. Exit status: 0 clean, 1 findings, 2 error.");
    return [options] { return RunLint(*options); };
}

const bool kRegistered = RegisterCommand(
    {"lint", "Constructs in parameter files that do not say what they seem to", SetupLint});

}  // namespace
