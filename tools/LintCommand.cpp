// quendel lint [FILE|DIR|-]...: constructs that the forgiving parser reads differently from
// what they look like; without files, the whole tree of the host settings, with the checks
// across its layers.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <iostream>
#include <memory>

#include "Command.h"
#include "inspect/lint/LintRules.h"
#include "inspect/lint/LintRun.h"
#include "inspect/output/EntryOutput.h"
#include "inspect/output/JsonText.h"
#include "inspect/output/LintReport.h"
#include "inspect/selection/HostSettings.h"

namespace {

struct LintOptions {
    SelectionOptions m_location;
    std::vector<std::string> m_names;
    std::string m_format = "text";
    bool m_json = false;
    bool m_rules = false;
    std::vector<std::string> m_disabled;
};

void PrintRules() {
    size_t width = 0;
    for (const LintRule& rule : LintRules()) {
        width = std::max(width, rule.m_id.size());
    }
    for (const LintRule& rule : LintRules()) {
        std::cout << rule.m_id << std::string(width + 2 - rule.m_id.size(), ' ')
                  << rule.m_description << "\n";
    }
}

int RunLint(const LintOptions& options) {
    if (options.m_rules) {
        PrintRules();
        return kExitOk;
    }
    RouteHostLog(false);
    TreeLint result;
    std::string error;
    if (!RunLintChecks({options.m_location, options.m_names, options.m_disabled}, result, error)) {
        PrintError("lint", error, options.m_json || options.m_format == "json");
        return kExitError;
    }
    const std::vector<std::string>& files = result.m_files;
    const std::vector<LintFinding>& findings = result.m_findings;
    const std::vector<std::string>& errors = result.m_errors;
    for (const std::string& message : errors) {
        std::cerr << "quendel lint: " << message << "\n";
    }
    const std::string format = options.m_json ? "json" : options.m_format;
    if (format == "json") {
        PrintJson(LintJson(files, findings, errors));
    } else if (format == "sarif") {
        std::cout << JsonText(LintSarif(findings)) << "\n";
    } else if (!files.empty()) {
        PrintLintText(findings, std::cout);
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
    command.add_option("FILE|DIR|-", options->m_names,
                       "Parameter files, directories whose *.pp files are checked, or - for "
                       "standard input, each on its own; without them, the whole tree");
    AddLocationOptions(command, options->m_location);
    auto* format = command
                       .add_option("--format", options->m_format,
                                   "text: PATH:LINE:COL: warning: MESSAGE [RULE]; json; sarif "
                                   "(SARIF 2.1.0)")
                       ->check(CLI::IsMember({"text", "json", "sarif"}));
    command.add_flag("--json", options->m_json, "Same as --format json")->excludes(format);
    std::vector<std::string> ids;
    for (const LintRule& rule : LintRules()) {
        ids.emplace_back(rule.m_id);
    }
    command.add_flag("--rules", options->m_rules, "List the rules, one line each, and exit");
    command.add_option("--disable", options->m_disabled, "Report nothing of RULE (repeatable)")
        ->check(CLI::IsMember(ids))
        ->type_name("RULE");
    command.footer(
        "Without FILE, lints every *.pp file under the resource root of the host settings and\n"
        "the user-defined tree, and checks the layers together: an override of an entry no\n"
        "base-level file defines, a value that does not read as the base-level value's type,\n"
        "a file no selection reads. A trailing comment \"# quendel-lint: disable=RULE[,RULE]\"\n"
        "silences those rules on its line. Columns count characters from 1.\n"
        "Exit status: 0 clean, 1 findings, 2 error.");
    return [options] { return RunLint(*options); };
}

const bool kRegistered = RegisterCommand(
    {"lint", "Constructs in parameter files that do not say what they seem to", SetupLint});

}  // namespace
