// quendel check [FILE|DIR|-]... [-F -P -A]: every value of the tree, of the files named or of one
// selection's merged view, against the schema of its section and key.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <memory>

#include "Command.h"
#include "inspect/lint/LintRules.h"
#include "inspect/lint/LintRun.h"
#include "inspect/output/EntryOutput.h"
#include "inspect/output/JsonText.h"
#include "inspect/output/LintReport.h"
#include "inspect/schema/SchemaRules.h"
#include "inspect/selection/HostSettings.h"

namespace {

struct CheckOptions {
    SelectionOptions m_selection;
    std::vector<std::string> m_names;
    std::string m_schema;
    std::string m_format = "text";
    std::vector<std::string> m_disabled;

    bool Json() const { return m_selection.m_json || m_format == "json"; }
};

struct CheckResult {
    std::vector<std::string> m_files;
    std::vector<LintFinding> m_findings;
    std::vector<std::string> m_errors;
    std::string m_subject;  // "in 22 files", "(text store, F=Convex)"
};

// The schema named, or the one beside the tree of the host settings.
bool LoadSchema(const CheckOptions& options, std::string& path, Schema& schema) {
    path = options.m_schema.empty() ? DefaultSchemaFile() : options.m_schema;
    std::error_code ignored;
    if (options.m_schema.empty() && !std::filesystem::exists(path, ignored)) {
        PrintError("check", "no schema file " + path + " beside the tree (--schema FILE names one)",
                   options.Json(), path);
        return false;
    }
    return OpenSchema(path, schema, "check", options.Json());
}

bool CheckSelectionView(const CheckOptions& options, CheckResult& result,
                        nlohmann::ordered_json& selectionJson) {
    Selection selection;
    std::string path;
    Schema schema;
    SelectionOptions opened = options.m_selection;
    opened.m_json = options.Json();
    if (!OpenSelection(selection, opened, "check") || !LoadSchema(options, path, schema)) {
        return false;
    }
    result.m_findings = CheckSelectionAgainst(schema, path, selection, options.m_disabled);
    for (const LayerInfo& layer : selection.Provenance().GetLayers()) {
        result.m_files.push_back(layer.m_path);
    }
    result.m_subject = "(" + selection.Describe() + ")";
    selectionJson = SelectionJson(selection);
    return true;
}

bool CheckFiles(const CheckOptions& options, CheckResult& result) {
    std::string error;
    if (options.m_names.empty() && !ApplySettings(options.m_selection, error)) {
        PrintError("check", error, options.Json());
        return false;
    }
    std::string path;
    Schema schema;
    if (!LoadSchema(options, path, schema)) {
        return false;
    }
    TreeLint lint;
    const LintRequest request{
        options.m_selection, options.m_names, options.m_disabled, &schema, path, false};
    if (!RunLintChecks(request, lint, error)) {
        PrintError("check", error, options.Json());
        return false;
    }
    result.m_files = std::move(lint.m_files);
    result.m_findings = std::move(lint.m_findings);
    result.m_errors = std::move(lint.m_errors);
    const size_t files = result.m_files.size();
    result.m_subject = "in " + std::to_string(files) + (files == 1 ? " file" : " files");
    return true;
}

int RunCheck(const CheckOptions& options) {
    const SelectionOptions& selection = options.m_selection;
    const bool oneSelection =
        !selection.m_group.empty() || !selection.m_probe.empty() || !selection.m_clinical.empty();
    if (oneSelection && !options.m_names.empty()) {
        PrintError("check", "name files, or a selection with -F, -P and -A, not both",
                   options.Json());
        return kExitError;
    }
    RouteHostLog(selection.m_verbose);
    CheckResult result;
    nlohmann::ordered_json selectionJson;
    if (!(oneSelection ? CheckSelectionView(options, result, selectionJson)
                       : CheckFiles(options, result))) {
        return kExitError;
    }
    for (const std::string& message : result.m_errors) {
        std::cerr << "quendel check: " << message << "\n";
    }
    const std::string format = selection.m_json ? "json" : options.m_format;
    if (format == "json") {
        nlohmann::ordered_json json = LintJson(result.m_files, result.m_findings, result.m_errors);
        if (oneSelection) {
            json["selection"] = std::move(selectionJson);
        }
        PrintJson(json);
    } else if (format == "sarif") {
        std::cout << JsonText(LintSarif(result.m_findings)) << "\n";
    } else {
        PrintLintText(result.m_findings, std::cout);
        const size_t count = result.m_findings.size();
        std::cerr << "quendel check: " << count << (count == 1 ? " finding " : " findings ")
                  << result.m_subject << "\n";
    }
    if (!result.m_errors.empty()) {
        return kExitError;
    }
    return result.m_findings.empty() ? kExitOk : kExitNegative;
}

CommandRun SetupCheck(CLI::App& command) {
    auto options = std::make_shared<CheckOptions>();
    command.add_option("FILE|DIR|-", options->m_names,
                       "Parameter files, directories whose *.pp files are checked, or - for "
                       "standard input, each on its own; without them, the whole tree");
    command.add_option("--schema", options->m_schema,
                       "The schema file (JSON Schema); by default ShippedRoot/dev/"
                       "QuendelFileName.schema.json, beside the tree");
    AddSelectionOptions(command, options->m_selection);
    command
        .add_option("--format", options->m_format,
                    "text: PATH:LINE:COL: warning: MESSAGE [RULE]; json; sarif (SARIF 2.1.0)")
        ->check(CLI::IsMember({"text", "json", "sarif"}))
        ->excludes(command.get_option("--json"));
    std::vector<std::string> ids;
    for (const auto& [id, description] : SchemaRules()) {
        ids.emplace_back(id);
    }
    command.add_option("--disable", options->m_disabled, "Report nothing of RULE (repeatable)")
        ->check(CLI::IsMember(ids))
        ->type_name("RULE");
    command.footer(
        "Without FILE or a selection, checks every *.pp file of the tree the host settings\n"
        "place, each file's values on their own (what holds in every file holds in every\n"
        "selection), and the keys and sections the schema requires across the layers.\n"
        "With -F, -P or -A, checks that selection's merged view as the library builds it.\n"
        "Rules: " +
        [&] {
            std::string list;
            for (const std::string& id : ids) {
                list += (list.empty() ? "" : ", ") + id;
            }
            return list;
        }() +
        ".\nExit status: 0 clean, 1 findings, 2 error.");
    return [options] { return RunCheck(*options); };
}

const bool kRegistered = RegisterCommand(
    {"check", "Values of a tree or a selection against the parameter schema", SetupCheck});

}  // namespace
