// quendel diff --to-clinical A2 ...: what changes when one selection becomes another.
#include <CLI/CLI.hpp>

#include <iostream>
#include <memory>

#include "Command.h"
#include "inspect/output/EntryOutput.h"
#include "inspect/output/ReportJson.h"
#include "inspect/report/EntryDiff.h"
#include "inspect/selection/Selection.h"

namespace {

struct DiffOptions {
    SelectionOptions m_selection;
    std::optional<std::string> m_group;
    std::optional<std::string> m_probe;
    std::optional<std::string> m_clinical;
    std::optional<std::string> m_root;
    std::optional<std::string> m_store;
};

int RunDiff(const DiffOptions& options) {
    if (!options.m_group && !options.m_probe && !options.m_clinical && !options.m_root &&
        !options.m_store) {
        PrintError("diff",
                   "name the other selection with at least one of --to-group, --to-probe, "
                   "--to-clinical, --to-root, --to-store",
                   options.m_selection.m_json);
        return kExitError;
    }
    SelectionOptions other = options.m_selection;
    other.m_group = options.m_group.value_or(other.m_group);
    other.m_probe = options.m_probe.value_or(other.m_probe);
    other.m_clinical = options.m_clinical.value_or(other.m_clinical);
    if (options.m_root) {
        other.m_root = options.m_root;
    }
    if (options.m_store) {
        other.m_store = options.m_store;
    }
    // Each store reads its settings when it is built, so the two are built one after the other.
    Selection from;
    Selection to;
    if (!OpenSelection(from, options.m_selection, "diff") || !OpenSelection(to, other, "diff")) {
        return kExitError;
    }
    const EntryTable before = from.Provenance().GetEntries();
    const EntryTable after = to.Provenance().GetEntries();
    const std::vector<EntryChange> changes = DiffEntries(before, after);

    if (options.m_selection.m_json) {
        PrintJson(DiffJson(from, to, changes));
        return changes.empty() ? kExitOk : kExitNegative;
    }
    std::cout << "--- " << from.Describe() << ": " << from.Source() << "\n"
              << "+++ " << to.Describe() << ": " << to.Source() << "\n";
    // Like a unified diff: "-" the first selection's entry, "+" the other's.
    TextTable rows;
    size_t counts[3] = {};  // changed, added, removed
    const auto add = [&](const char* mark, const Selection& side, const StoreEntry& entry) {
        rows.Add({mark, *entry.m_section, entry.m_key, entry.m_origin.m_value,
                  OriginText(side, entry.m_origin)});
    };
    for (const EntryChange& change : changes) {
        if (change.m_from != nullptr) {
            add("-", from, *change.m_from);
        }
        if (change.m_to != nullptr) {
            add("+", to, *change.m_to);
        }
        ++counts[change.m_from == nullptr ? 1 : change.m_to == nullptr ? 2 : 0];
    }
    rows.Print(std::cout);
    if (changes.empty()) {
        std::cout << "no differences\n";
        return kExitOk;
    }
    std::cout << counts[0] << " changed, " << counts[1] << " added, " << counts[2] << " removed\n";
    return kExitNegative;
}

CommandRun SetupDiff(CLI::App& command) {
    auto options = std::make_shared<DiffOptions>();
    AddSelectionOptions(command, options->m_selection);
    command.add_option("--to-group", options->m_group, "The other selection's group");
    command.add_option("--to-probe", options->m_probe, "The other selection's transducer");
    command.add_option("--to-clinical", options->m_clinical,
                       "The other selection's clinical setting");
    command.add_option("--to-root", options->m_root, "The other selection's shipped root");
    command.add_option("--to-store", options->m_store, "The other selection's store")
        ->check(CLI::IsMember({"text", "bin"}));
    command.footer(
        "The other selection is this one with the --to-... options applied.\n"
        "Exit status: 0 no differences, 1 differences, 2 error.");
    return [options] { return RunDiff(*options); };
}

const bool kRegistered = RegisterCommand(
    {"diff", "Entries added, removed and changed between two selections", SetupDiff});

}  // namespace
