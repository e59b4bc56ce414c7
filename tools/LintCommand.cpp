// quendel lint [FILE|DIR|-]...: constructs that the forgiving parser reads differently from
// what they look like; without files, the whole tree of the host settings, with the checks
// across its layers.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <iostream>
#include <memory>
#include <set>

#include "Command.h"
#include "EntryOutput.h"
#include "HostSettings.h"
#include "JsonText.h"
#include "LintReport.h"
#include "LintRules.h"
#include "ParamLint.h"
#include "Selection.h"
#include "TreeLint.h"
#include "textstore/FileSet.h"

namespace {

struct LintOptions {
    SelectionOptions m_location;
    std::vector<std::string> m_names;
    std::string m_format = "text";
    bool m_json = false;
    bool m_rules = false;
    std::vector<std::string> m_disabled;
};

// Where the host settings put the tree, as the stores find it: the resource root
// ShippedRoot/dev/QuendelFileName/, the user-defined tree below SystemHQUserDefinedRoot, and
// the binary store's product rule (QuendelProductRule, by default SystemHQPath).
TreeLocation LocateTree() {
    const std::string name = FileSet::Read(FileSet::kResourceName);
    TreeLocation tree;
    tree.m_productRule = FileSet::ProductRule();
    tree.m_root = FileSet::ResourceRoot(FileSet::Read(FileSet::kShippedRoot), name);
    tree.m_userDir = FileSet::UserDefinedDir(FileSet::Read(FileSet::kUserDefinedRoot), name);
    return tree;
}

// Each named file on its own; false when none could be read.
void LintFiles(const LintOptions& options, std::vector<std::string>& files,
               std::vector<LintFinding>& findings, std::vector<std::string>& errors) {
    files = CollectParamFiles(options.m_names, errors);
    for (const std::string& file : files) {
        FileLint lint;
        std::string error;
        if (!LintFile(file, lint, error)) {
            errors.push_back(error);
            continue;
        }
        findings.insert(findings.end(), lint.m_findings.begin(), lint.m_findings.end());
    }
    std::sort(findings.begin(), findings.end(), FindingBefore);
}

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
    std::vector<std::string> files;
    std::vector<LintFinding> findings;
    std::vector<std::string> errors;
    if (options.m_names.empty()) {
        RouteHostLog(false);
        std::string error;
        TreeLint tree;
        if (!ApplySettings(options.m_location, error) || !LintTree(LocateTree(), tree, error)) {
            std::cerr << "quendel lint: " << error << "\n";
            return kExitError;
        }
        files = std::move(tree.m_files);
        findings = std::move(tree.m_findings);
        errors = std::move(tree.m_errors);
    } else {
        LintFiles(options, files, findings, errors);
    }
    const std::set<std::string> disabled(options.m_disabled.begin(), options.m_disabled.end());
    findings.erase(std::remove_if(findings.begin(), findings.end(),
                                  [&](const LintFinding& f) { return disabled.count(f.m_rule); }),
                   findings.end());

    for (const std::string& error : errors) {
        std::cerr << "quendel lint: " << error << "\n";
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
