// quendel explain SECTION KEY: every layer that holds the entry, highest precedence first, so
// that one sees what overrode what.
#include <CLI/CLI.hpp>

#include <iostream>
#include <memory>

#include "Command.h"
#include "EntryOutput.h"
#include "Selection.h"

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
    std::string value;
    const bool found =
        selection.Library().GetParameter(options.m_section, options.m_key, value, std::string());
    const std::vector<ValueOrigin> layers =
        selection.Provenance().GetOrigins(options.m_section, options.m_key);
    if (!found) {
        std::cerr << "quendel explain: no entry \"" << options.m_section << "\" \"" << options.m_key
                  << "\" (" << selection.Describe() << ")\n";
    }
    if (options.m_selection.m_json) {
        nlohmann::ordered_json list = nlohmann::ordered_json::array();
        for (size_t i = 0; i < layers.size(); ++i) {
            nlohmann::ordered_json item = OriginJson(layers[i]);
            item["value"] = layers[i].m_value;
            item["wins"] = found && i == 0;
            list.push_back(std::move(item));
        }
        nlohmann::ordered_json json = {
            {"selection", SelectionJson(selection)},
            {"section", options.m_section},
            {"key", options.m_key},
            {"found", found},
            {"value", found ? nlohmann::ordered_json(value) : nlohmann::ordered_json()},
            {"layers", std::move(list)}};
        PrintJson(json);
    } else if (found) {
        std::cout << options.m_section << " " << options.m_key << " = " << value << "  ("
                  << selection.Describe() << ")\n";
        TextTable rows;
        for (size_t i = 0; i < layers.size(); ++i) {
            rows.Add({i == 0 ? "*" : " ", layers[i].m_layer, layers[i].m_value,
                      OriginText(selection, layers[i])});
        }
        rows.Print(std::cout, "  ");
    }
    return found ? kExitOk : kExitNegative;
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
