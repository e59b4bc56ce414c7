// quendel impact: what changes between two versions of a tree, for every selection. The older
// version is the tree the options place (as --git REV holds it); the newer one the same tree on
// disk, another root (--to-root), another store (--to-store) or another revision (--to-git).
#include <CLI/CLI.hpp>
#include <filesystem>

#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "Command.h"
#include "inspect/lint/LintRun.h"
#include "inspect/lint/NameSuggestion.h"
#include "inspect/matrix/ModelLoad.h"
#include "inspect/matrix/TreeImpact.h"
#include "inspect/output/EntryOutput.h"
#include "inspect/output/HtmlReport.h"
#include "inspect/output/MatrixJson.h"
#include "inspect/pack/OutputFile.h"
#include "inspect/schema/SchemaReader.h"
#include "inspect/selection/HostSettings.h"

namespace {

struct ImpactOptions {
    SelectionOptions m_tree;
    std::string m_git;
    std::string m_toGit;
    std::optional<std::string> m_toRoot;
    std::optional<std::string> m_toStore;
    std::string m_html;
};

std::string ValueText(const std::string* value) {
    return value != nullptr ? *value : "(none)";
}

std::string ValueText(const std::optional<std::string>& value) {
    return value ? *value : "(none)";
}

std::string PlaceText(const TreeImpact& impact, const ImpactPlace& place) {
    if (place.m_file == ImpactPlace::kNone) {
        return "nothing";
    }
    return impact.m_names[place.m_file] +
           (place.m_line == 0 ? "" : ":" + std::to_string(place.m_line)) + " (" +
           impact.m_names[place.m_layer] + ")";
}

void PrintImpact(const TreeImpact& impact) {
    std::cout << "--- " << impact.m_from << "\n+++ " << impact.m_to << "\n";
    const SelectionSet selections(impact.m_selections);
    for (const ImpactChange& change : impact.m_changes) {
        std::cout << *change.m_section << " " << *change.m_key << ": " << ValueText(change.m_from)
                  << " -> " << ValueText(change.m_to) << "\n  "
                  << selections.Describe(change.m_selections) << "\n";
        for (const auto& [from, to] : change.m_places) {
            std::cout << "  "
                      << (from == to ? PlaceText(impact, to)
                                     : PlaceText(impact, from) + " -> " + PlaceText(impact, to))
                      << "\n";
        }
        if (change.m_morePlaces != 0) {
            std::cout << "  and other files\n";
        }
    }
    for (const MaskedChange& change : impact.m_masked) {
        std::cout << "masked: " << change.m_file << ":" << change.m_line << " " << change.m_section
                  << " " << change.m_key << ": " << ValueText(change.m_from) << " -> "
                  << ValueText(change.m_to) << ", which no selection sees\n";
    }
    const auto names = [](const char* what, const std::vector<SelectionName>& list) {
        for (const SelectionName& name : list) {
            std::cout << "selection " << what << ": " << name.m_group << " " << name.m_probe << " "
                      << name.m_clinical << "\n";
        }
    };
    names("added", impact.m_added);
    names("removed", impact.m_removed);
    std::vector<bool> reached(impact.m_selections.size(), false);
    for (const ImpactChange& change : impact.m_changes) {
        for (size_t i = 0; i < reached.size(); ++i) {
            reached[i] = reached[i] || change.m_selections[i];
        }
    }
    size_t count = 0;
    for (const bool r : reached) {
        count += r ? 1 : 0;
    }
    std::cout << impact.m_changes.size() << (impact.m_changes.size() == 1 ? " change" : " changes")
              << " reaching " << count << " of " << impact.m_selections.size() << " selections, "
              << impact.m_masked.size() << " masked, " << impact.m_changedFiles
              << (impact.m_changedFiles == 1 ? " file" : " files") << " changed\n";
}

int RunImpact(const ImpactOptions& options) {
    const char* const kCommand = "quendel impact: ";
    // Under --json a failure is a document too.
    const auto fail = [&options](const std::string& message) {
        PrintError("impact", message, options.m_tree.m_json);
        return kExitError;
    };
    RouteHostLog(options.m_tree.m_verbose);
    if (options.m_git.empty() && !options.m_toGit.empty()) {
        return fail("--to-git needs --git: the older revision");
    }
    if (options.m_git.empty() && !options.m_toRoot && !options.m_toStore) {
        return fail(
            "nothing to compare: give --git REV, --to-root or --to-store for the other version");
    }
    SelectionOptions newer = options.m_tree;
    if (options.m_toRoot) {
        newer.m_root = options.m_toRoot;
    }
    if (options.m_toStore) {
        newer.m_store = options.m_toStore;
    }
    ImpactSide from;
    ImpactSide to;
    std::string error;
    if (!LocateVersion(options.m_tree, options.m_git, from, error) ||
        !LocateVersion(newer, options.m_toGit, to, error)) {
        return fail(error);
    }
    OutputTarget html;
    if (!options.m_html.empty() && !ResolveOutput(options.m_html, html, error)) {
        return fail(error);
    }
    TreeImpact impact;
    std::vector<std::string> warnings;
    if (!ComputeImpact(from, to, impact, warnings, error)) {
        return fail(error);
    }
    if (!options.m_html.empty()) {
        // The page shows what lint finds in the newer tree, where it is a tree on disk.
        TreeLint lint;
        std::string note;
        if (to.m_store != StoreKind::kText) {
            note = "The newer version is a resource file: lint reads the text files of a tree.";
        } else if (!to.m_revision.empty()) {
            note = "The newer version is a git revision: lint reads the tree on disk.";
        } else {
            // With the schema beside the newer tree, its findings too.
            LintRequest request;
            request.m_tree = &to.m_tree;
            Schema schema;
            std::vector<std::string> problems;
            const std::string schemaPath = SchemaFileBeside(to.m_tree);
            std::error_code ignored;
            if (std::filesystem::is_regular_file(schemaPath, ignored)) {
                if (ReadSchemaFile(schemaPath, schema, problems, NearestName)) {
                    request.m_schema = &schema;
                    request.m_schemaPath = schemaPath;
                } else {
                    warnings.push_back("the schema " + schemaPath +
                                       " does not read: the page shows lint's findings alone");
                }
            }
            if (!RunLintChecks(request, lint, note)) {
                note = "Lint could not read the newer tree: " + note;
            }
        }
        if (!ReplaceFile(html, ImpactHtml(impact, lint.m_findings, note), error)) {
            return fail("cannot write " + options.m_html + ": " + error);
        }
    }
    for (const std::string& warning : warnings) {
        std::cerr << kCommand << "warning: " << warning << "\n";
    }
    if (options.m_tree.m_json) {
        PrintJson(ImpactJson(impact));
    } else {
        PrintImpact(impact);
    }
    return impact.Changed() ? kExitNegative : kExitOk;
}

CommandRun SetupImpact(CLI::App& command) {
    auto options = std::make_shared<ImpactOptions>();
    AddTreeOptions(command, options->m_tree);
    command.add_option("--git", options->m_git,
                       "Older version: the tree as this git revision holds it (the newer one: "
                       "the working tree, or --to-git)");
    command.add_option("--to-git", options->m_toGit, "Newer version: this git revision");
    command.add_option("--to-root", options->m_toRoot,
                       "Newer version: the tree below this shipped root");
    command
        .add_option("--to-store", options->m_toStore,
                    "Newer version: read by this store (text or bin)")
        ->check(CLI::IsMember({"text", "bin"}));
    command.add_option("--html", options->m_html,
                       "Also write the report as one self-contained HTML page to this file");
    command.footer(
        "Every transducer of every group with every clinical setting the tree names; each "
        "change of a value with the selections it reaches, the file and line that set it; "
        "changes that no selection sees (masked); selections that come or go. Revisions are "
        "read with the git command.\nExit status: 0 no change, 1 changes, 2 error.");
    return [options] { return RunImpact(*options); };
}

const bool kRegistered = RegisterCommand(
    {"impact", "What changes between two versions of a tree, for every selection", SetupImpact});

}  // namespace
