// quendel files: the files a selection reads, in the order its store reads them, with what
// became of each: read (with its entries), missing, unreadable, not a regular file, or
// redirected to a product's own file.
#include <CLI/CLI.hpp>

#include <iostream>
#include <memory>

#include "Command.h"
#include "inspect/output/EntryOutput.h"
#include "inspect/output/ReportJson.h"
#include "inspect/report/FileReadings.h"
#include "inspect/selection/Selection.h"

namespace {

int RunFiles(const SelectionOptions& options) {
    Selection selection;
    if (!OpenSelection(selection, options, "files")) {
        return kExitError;
    }
    const std::vector<FileReading> readings = ReadingList(selection);
    if (options.m_json) {
        PrintJson(FilesJson(selection, readings));
        return kExitOk;
    }
    std::cout << "# " << selection.Describe() << ": " << selection.Source() << "\n";
    TextTable rows(48);
    rows.Add({"layer", "state", "entries", "file"});
    for (const FileReading& reading : readings) {
        std::string state = FileStateName(reading.m_state);
        if (!reading.m_detail.empty()) {
            state += reading.m_state == FileState::kRedirected
                         ? " to " + OriginText(selection, {"", reading.m_detail, 0, ""})
                         : " (" + reading.m_detail + ")";
        }
        rows.Add({reading.m_layer, state,
                  reading.m_state == FileState::kRead ? std::to_string(reading.m_entries) : "",
                  OriginText(selection, {"", reading.m_path, 0, ""})});
    }
    rows.Print(std::cout);
    return kExitOk;
}

CommandRun SetupFiles(CLI::App& command) {
    auto options = std::make_shared<SelectionOptions>();
    AddSelectionOptions(command, *options);
    command.footer(
        "The text store reads the file configuration, the files it lists, then the base, "
        "clinical base, group, transducer, group clinical, clinical and user-defined files; "
        "the binary store hands its parser the base list and the selection list. Files are "
        "named below the resource root (text) or the resource file's directory prefix (bin).\n"
        "Exit status: 0 listed, 2 error.");
    return [options] { return RunFiles(*options); };
}

const bool kRegistered = RegisterCommand(
    {"files", "The files a selection reads, in reading order, and what became of each",
     SetupFiles});

}  // namespace
