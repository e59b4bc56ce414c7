// quendel dump [--section PATH [--recursive]] [--origin]: the whole merged table the library
// answers from.
#include <CLI/CLI.hpp>

#include <iostream>
#include <memory>

#include "Command.h"
#include "inspect/output/EntryOutput.h"
#include "inspect/selection/Selection.h"

namespace {

struct DumpOptions {
    SelectionOptions m_selection;
    std::string m_section;
    bool m_recursive = false;
    bool m_origin = false;
};

// The section path itself, and with recursive every section below it ("PATH:..."); no section
// merely beginning with the same letters (Display is not DisplayExtra).
bool Shown(const std::string& section, const DumpOptions& options) {
    const std::string& wanted = options.m_section;
    if (wanted.empty() || section == wanted) {
        return true;
    }
    return options.m_recursive && section.size() > wanted.size() &&
           section.compare(0, wanted.size(), wanted) == 0 && section[wanted.size()] == ':';
}

int RunDump(const DumpOptions& options) {
    Selection selection;
    if (!OpenSelection(selection, options.m_selection, "dump")) {
        return kExitError;
    }
    const EntryTable table = selection.Provenance().GetEntries();
    std::vector<const StoreEntry*> shown;
    for (const StoreEntry& entry : table.m_entries) {
        if (Shown(*entry.m_section, options)) {
            shown.push_back(&entry);
        }
    }
    if (table.m_unreachable != 0) {
        std::cerr << "quendel dump: note: " << table.m_unreachable
                  << (table.m_unreachable == 1 ? " entry has" : " entries have")
                  << " blanks inside a name, which lookups remove, so the library never "
                     "returns it; quendel lint shows where\n";
    }
    if (options.m_selection.m_json) {
        nlohmann::ordered_json entries = nlohmann::ordered_json::array();
        for (const StoreEntry* entry : shown) {
            nlohmann::ordered_json item = {{"section", *entry->m_section},
                                           {"key", entry->m_key},
                                           {"value", entry->m_origin.m_value}};
            if (options.m_origin) {
                item["origin"] = OriginJson(entry->m_origin);
            }
            entries.push_back(std::move(item));
        }
        nlohmann::ordered_json json = {{"selection", SelectionJson(selection)},
                                       {"entries", std::move(entries)},
                                       {"unreachable", table.m_unreachable}};
        PrintJson(json);
    } else {
        // Written in the parameter file syntax: the dump reads back as one flat file.
        std::cout << "# " << selection.Describe() << ": " << selection.Source() << "\n";
        TextTable rows;
        const std::string* section = nullptr;
        for (const StoreEntry* entry : shown) {
            if (section != entry->m_section.get()) {
                section = entry->m_section.get();
                rows.Add({"<" + *section + ">"});
            }
            std::string text = "  " + entry->m_key + "<" + entry->m_origin.m_value + ">";
            if (options.m_origin) {
                rows.Add({std::move(text), "# " + entry->m_origin.m_layer,
                          OriginText(selection, entry->m_origin)});
            } else {
                rows.Add({std::move(text)});
            }
        }
        rows.Print(std::cout);
    }
    if (shown.empty()) {
        std::cerr << "quendel dump: no entry"
                  << (options.m_section.empty() ? ""
                                                : " in section \"" + options.m_section + "\"" +
                                                      (options.m_recursive ? " or below it" : ""))
                  << "\n";
        return kExitNegative;
    }
    return kExitOk;
}

CommandRun SetupDump(CLI::App& command) {
    auto options = std::make_shared<DumpOptions>();
    command.add_option("--section", options->m_section,
                       "Only the section PATH (e.g. Display:Zoom)");
    command.add_flag("-r,--recursive", options->m_recursive,
                     "With --section, the sections below PATH too (PATH:...)");
    command.add_flag("--origin", options->m_origin,
                     "Add the layer, file and line of every value (the binary store names the "
                     "file inside the resource file, without a line)");
    AddSelectionOptions(command, options->m_selection);
    command.footer(
        "Sorted by section and key; the text output reads back as a parameter file.\n"
        "Exit status: 0 entries shown, 1 none, 2 error.");
    return [options] { return RunDump(*options); };
}

const bool kRegistered = RegisterCommand(
    {"dump", "Every entry of the selection, merged as the library merges them", SetupDump});

}  // namespace
