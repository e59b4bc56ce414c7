// quendel matrix SECTION KEY: the value of one entry in every selection the tree offers,
// groups and transducers down, clinical settings across, each with the layer that wins.
#include <CLI/CLI.hpp>

#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "Command.h"
#include "inspect/matrix/KeyMatrix.h"
#include "inspect/matrix/ModelLoad.h"
#include "inspect/output/EntryOutput.h"
#include "inspect/output/HtmlReport.h"
#include "inspect/output/MatrixJson.h"
#include "inspect/pack/OutputFile.h"
#include "inspect/selection/HostSettings.h"
#include "resource/StringOps.h"

namespace {

struct MatrixOptions {
    SelectionOptions m_tree;
    std::string m_section;
    std::string m_key;
    std::string m_html;
};

void PrintMatrix(const TreeModel& model, const KeyMatrix& matrix) {
    std::cout << "# " << matrix.m_section << " " << matrix.m_key << ", "
              << (model.Kind() == StoreKind::kText ? "text" : "binary")
              << " store: " << model.Source() << "\n";
    TextTable rows(40);
    std::vector<std::string> header = {"group", "transducer"};
    header.insert(header.end(), matrix.m_clinical.begin(), matrix.m_clinical.end());
    rows.Add(std::move(header));
    std::string group;
    for (const MatrixRow& row : matrix.m_rows) {
        std::vector<std::string> cells = {
            row.m_group == group ? "" : row.m_group,
            row.m_probe + (row.m_product.empty() ? "" : " (product " + row.m_product + ")")};
        group = row.m_group;
        for (const MatrixCell& cell : row.m_cells) {
            cells.push_back(cell.m_found ? cell.m_value + " [" + cell.m_layer + "]" : "-");
        }
        rows.Add(std::move(cells));
    }
    rows.Print(std::cout);
}

int RunMatrix(const MatrixOptions& options) {
    RouteHostLog(options.m_tree.m_verbose);
    TreeModel model;
    std::vector<std::string> warnings;
    std::string error;
    // A resource file's index finds the one entry; the text files are read whole.
    std::string buffer;
    const std::pair<std::string, std::string> entry{LookupName(options.m_section, buffer),
                                                    LookupName(options.m_key, buffer)};
    if (!LoadModel(options.m_tree, model, warnings, error, &entry)) {
        PrintError("matrix", error, options.m_tree.m_json);
        return kExitError;
    }
    for (const std::string& warning : warnings) {
        std::cerr << "quendel matrix: warning: " << warning << "\n";
    }
    const KeyMatrix matrix = MatrixOf(model, options.m_section, options.m_key);
    if (!options.m_html.empty()) {
        OutputTarget html;
        if (!ResolveOutput(options.m_html, html, error) ||
            !ReplaceFile(html, MatrixHtml(model, matrix), error)) {
            PrintError("matrix", "cannot write " + options.m_html + ": " + error,
                       options.m_tree.m_json);
            return kExitError;
        }
    }
    if (options.m_tree.m_json) {
        PrintJson(MatrixJson(model, matrix));
    } else {
        PrintMatrix(model, matrix);
    }
    for (const MatrixRow& row : matrix.m_rows) {
        for (const MatrixCell& cell : row.m_cells) {
            if (cell.m_found) {
                return kExitOk;
            }
        }
    }
    std::cerr << "quendel matrix: no selection has an entry \"" << matrix.m_section << "\" \""
              << matrix.m_key << "\"\n";
    return kExitNegative;
}

CommandRun SetupMatrix(CLI::App& command) {
    auto options = std::make_shared<MatrixOptions>();
    command.add_option("SECTION", options->m_section, "Section path")->required();
    command.add_option("KEY", options->m_key, "Key")->required();
    AddTreeOptions(command, options->m_tree);
    command.add_option("--html", options->m_html,
                       "Also write the table as one self-contained HTML page to this file");
    command.footer(
        "Every transducer of every group with every clinical setting the tree names. Each cell "
        "is the value a query of that selection gets, with the layer that wins ([-] where no "
        "file of the selection sets it).\nExit status: 0 found in some selection, 1 in none, "
        "2 error.");
    return [options] { return RunMatrix(*options); };
}

const bool kRegistered = RegisterCommand(
    {"matrix", "The value of one entry in every selection, with the layer that wins", SetupMatrix});

}  // namespace
