// quendel schema infer [FILE|DIR|-]... [-o FILE]: a starting schema from a tree, the narrowest
// that every value of it keeps, for the engineers to edit.
#include <CLI/CLI.hpp>

#include <iostream>
#include <memory>

#include "Command.h"
#include "inspect/lint/LintRun.h"
#include "inspect/output/EntryOutput.h"
#include "inspect/output/JsonText.h"
#include "inspect/pack/OutputFile.h"
#include "inspect/schema/SchemaInfer.h"
#include "inspect/selection/HostSettings.h"

namespace {

struct SchemaOptions {
    std::string m_action;
    SelectionOptions m_location;
    std::vector<std::string> m_names;
    std::string m_output = "-";
    std::string m_title;
};

size_t Members(const nlohmann::ordered_json& schema, const char* keyword) {
    const auto it = schema.find(keyword);
    return it == schema.end() ? 0 : it->size();
}

int RunInfer(const SchemaOptions& options) {
    RouteHostLog(false);
    SchemaInference inference;
    TreeLint read;
    std::string error;
    const LintRequest request{options.m_location, options.m_names, {}};
    if (!FeedSchemaSink(request, inference, read, error)) {
        std::cerr << "quendel schema: " << error << "\n";
        return kExitError;
    }
    for (const std::string& message : read.m_errors) {
        std::cerr << "quendel schema: " << message << "\n";
    }
    if (!read.m_errors.empty()) {
        return kExitError;  // a schema of part of the tree would refuse the rest
    }
    std::vector<std::string> warnings;
    const nlohmann::ordered_json schema = inference.Finish(
        options.m_title.empty() ? "Parameters of the tree" : options.m_title, warnings);
    for (const std::string& warning : warnings) {
        std::cerr << "quendel schema: warning: " << warning << "\n";
    }
    const std::string text = JsonText(schema) + "\n";
    const bool toStdout = options.m_output == "-";
    OutputTarget target;
    if (!(toStdout ? WriteStandardOutput(text, error)
                   : ResolveOutput(options.m_output, target, error) &&
                         ReplaceFile(target, text, error))) {
        std::cerr << "quendel schema: " << error << "\n";
        return kExitError;
    }
    std::cerr << "quendel schema: " << Members(schema, "properties") << " sections and "
              << Members(schema, "patternProperties") << " families from " << read.m_files.size()
              << " files" << (toStdout ? "" : " into " + options.m_output) << "\n";
    return kExitOk;
}

CommandRun SetupSchema(CLI::App& command) {
    auto options = std::make_shared<SchemaOptions>();
    command.add_option("ACTION", options->m_action, "infer: a schema from the tree")
        ->required()
        ->check(CLI::IsMember({"infer"}));
    command.add_option("FILE|DIR|-", options->m_names,
                       "Parameter files or directories to infer from, each on its own "
                       "(no key is then required); without them, the whole tree");
    AddLocationOptions(command, options->m_location);
    command.add_option("-o,--output", options->m_output,
                       "Schema file to write (default: standard output); replaced only by a "
                       "complete new file");
    command.add_option("--title", options->m_title, "The schema's title");
    command.footer(
        "infer: for each key the narrowest type every file's value reads as, the range the\n"
        "values span, list lengths that agree, the words of a word key with at most 8 of\n"
        "them; sections that differ only in their numbers become one family\n"
        "(patternProperties); keys of base-level files are required; sections are closed.\n"
        "Checking the tree against the schema inferred from it finds nothing.\n"
        "Exit status: 0 written, 2 error.");
    return [options] { return RunInfer(*options); };
}

const bool kRegistered = RegisterCommand(
    {"schema", "A parameter schema inferred from a tree, to edit and check with", SetupSchema});

}  // namespace
