// quendel explain SECTION KEY: every layer that holds the entry, highest precedence first, so
// that one sees what overrode what.
#include <CLI/CLI.hpp>

#include <iostream>
#include <memory>

#include "Command.h"
#include "inspect/output/EntryOutput.h"
#include "inspect/output/ReportJson.h"
#include "inspect/schema/SchemaView.h"
#include "inspect/selection/Selection.h"

namespace {

struct ExplainOptions {
    SelectionOptions m_selection;
    std::string m_section;
    std::string m_key;
    std::string m_schema;
};

int RunExplain(const ExplainOptions& options) {
    Selection selection;
    Schema schema;
    const Schema* withSchema = options.m_schema.empty() ? nullptr : &schema;
    if (!OpenSelection(selection, options.m_selection, "explain") ||
        (withSchema != nullptr &&
         !OpenSchema(options.m_schema, schema, "explain", options.m_selection.m_json))) {
        return kExitError;
    }
    const KeySchema* declared =
        withSchema == nullptr ? nullptr : KeySchemaOf(schema, options.m_section, options.m_key);
    const Explanation explanation = Explain(selection, options.m_section, options.m_key);
    const std::vector<ValueOrigin>& layers = explanation.m_layers;
    if (!explanation.m_found) {
        std::cerr << "quendel explain: no entry \"" << options.m_section << "\" \"" << options.m_key
                  << "\" (" << selection.Describe() << ")\n";
    }
    if (options.m_selection.m_json) {
        PrintJson(
            ExplainJson(selection, options.m_section, options.m_key, explanation, withSchema));
    } else if (explanation.m_found) {
        std::cout << options.m_section << " " << options.m_key << " = "
                  << ValueWithUnit(explanation.m_value, declared) << "  (" << selection.Describe()
                  << ")\n";
        if (withSchema != nullptr) {
            std::cout << "  schema: "
                      << (declared == nullptr ? "declares nothing of this key"
                                              : KeyFactsText(*declared))
                      << "\n";
        }
        TextTable rows;
        for (size_t i = 0; i < layers.size(); ++i) {
            rows.Add({i == 0 ? "*" : " ", layers[i].m_layer,
                      ValueWithUnit(layers[i].m_value, declared),
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
    command.add_option("--schema", options->m_schema,
                       "A schema file: show what it says of the key (type, range, unit, "
                       "description) and the unit with every value");
    command.footer(
        "Layers are listed highest precedence first; * marks the value the library "
        "returns.\nExit status: 0 found, 1 not found, 2 error.");
    return [options] { return RunExplain(*options); };
}

const bool kRegistered = RegisterCommand(
    {"explain", "Every layer that sets an entry, and which one wins", SetupExplain});

}  // namespace
