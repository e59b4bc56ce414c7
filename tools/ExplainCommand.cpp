// quendel explain SECTION KEY: every layer that holds the entry, highest precedence first, so
// that one sees what overrode what.
#include <CLI/CLI.hpp>

#include <iostream>
#include <memory>

#include "Command.h"
#include "inspect/output/EntryOutput.h"
#include "inspect/output/ReportJson.h"
#include "inspect/selection/Selection.h"

namespace {

struct ExplainOptions {
    SelectionOptions m_selection;
    std::string m_section;
    std::string m_key;
};

int RunExplain(const ExplainOptions& options) {
    Selection selection;
    if (!OpenSelection(selection, options.m_selection, "explain")) {
        return kExitError;
    }
    const Explanation explanation = Explain(selection, options.m_section, options.m_key);
    const std::vector<ValueOrigin>& layers = explanation.m_layers;
    if (!explanation.m_found) {
        std::cerr << "quendel explain: no entry \"" << options.m_section << "\" \"" << options.m_key
                  << "\" (" << selection.Describe() << ")\n";
    }
    if (options.m_selection.m_json) {
        PrintJson(ExplainJson(selection, options.m_section, options.m_key, explanation));
    } else if (explanation.m_found) {
        std::cout << options.m_section << " " << options.m_key << " = " << explanation.m_value
                  << "  (" << selection.Describe() << ")\n";
        TextTable rows;
        for (size_t i = 0; i < layers.size(); ++i) {
            rows.Add({i == 0 ? "*" : " ", layers[i].m_layer, layers[i].m_value,
                      OriginText(selection, layers[i])});
        }
        rows.Print(std::cout, "  ");
    }
    return explanation.m_found ? kExitOk : kExitNegative;
}

CommandRun SetupExplain(CLI::App& command) {
    auto options = std::make_shared<ExplainOptions>();
    command.add_option("SECTION", options->m_section, "Section path")->required();
    command.add_option("KEY", options->m_key, "Key")->required();
    AddSelectionOptions(command, options->m_selection);
    command.footer(
        "Layers are listed highest precedence first; * marks the value the library "
        "returns.\nExit status: 0 found, 1 not found, 2 error.");
    return [options] { return RunExplain(*options); };
}

const bool kRegistered = RegisterCommand(
    {"explain", "Every layer that sets an entry, and which one wins", SetupExplain});

}  // namespace
