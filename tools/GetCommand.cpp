// quendel get SECTION KEY [--as TYPE] [--index N] [--default TEXT]: the value the library
// gives a post-processing stage that asks for it.
#include <CLI/CLI.hpp>

#include <charconv>
#include <iostream>
#include <memory>

#include "Command.h"
#include "inspect/output/EntryOutput.h"
#include "inspect/report/ValueQuery.h"
#include "inspect/selection/Selection.h"

namespace {

struct GetOptions {
    SelectionOptions m_selection;
    std::string m_section;
    std::string m_key;
    std::string m_type = "string";
    std::optional<uint64_t> m_index;
    std::optional<std::string> m_default;
};

// Why the library gave no value, for standard error.
std::string MissReason(const ValueRequest& request, const ValueAnswer& answer) {
    const std::string entry = "\"" + request.m_section + "\" \"" + request.m_key + "\"";
    if (!answer.m_stored) {
        return "no entry " + entry;
    }
    if (request.m_index && *request.m_index >= answer.m_elements) {
        return entry + " has " + std::to_string(answer.m_elements) + " element" +
               (answer.m_elements == 1 ? "" : "s") + "; index " + std::to_string(*request.m_index) +
               " is past the end";
    }
    return entry + " holds \"" + answer.m_storedText + "\", which does not read as " +
           ValueTypeName(request.m_type) +
           (request.m_index ? " at index " + std::to_string(*request.m_index) : "");
}

int RunGet(const GetOptions& options) {
    ValueRequest request;
    request.m_section = options.m_section;
    request.m_key = options.m_key;
    request.m_index = options.m_index;
    request.m_default = options.m_default;
    ParseValueType(options.m_type, request.m_type);  // checked by the parser

    std::string error;
    if (!CheckRequest(request, error)) {
        PrintError("get", error, options.m_selection.m_json);
        return kExitError;
    }
    Selection selection;
    if (!OpenSelection(selection, options.m_selection, "get")) {
        return kExitError;
    }
    ValueAnswer answer;
    if (!AskLibrary(selection.Library(), request, answer, error)) {
        PrintError("get", error, options.m_selection.m_json);
        return kExitError;
    }
    // A list converts element by element, so one warning may come many times.
    for (size_t i = 0, n = 0; i < answer.m_warnings.size(); i += n) {
        for (n = 1;
             i + n < answer.m_warnings.size() && answer.m_warnings[i + n] == answer.m_warnings[i];
             ++n) {
        }
        std::cerr << "quendel get: the library wrote"
                  << (n > 1 ? " " + std::to_string(n) + " times" : "") << ": "
                  << answer.m_warnings[i] << "\n";
    }
    if (!answer.m_found) {
        std::cerr << "quendel get: " << MissReason(request, answer)
                  << (request.m_default ? "; printing the default" : "") << "\n";
    }
    // A value that reads other than written is what the stage gets; --strict refuses it.
    if (!answer.m_misfit.empty() && options.m_selection.m_strict) {
        PrintError("get", answer.m_misfit, options.m_selection.m_json);
        return kExitError;
    }
    if (!answer.m_misfit.empty()) {
        std::cerr << "quendel get: warning: " << answer.m_misfit << "\n";
    }
    if (options.m_selection.m_json) {
        nlohmann::ordered_json json = {{"selection", SelectionJson(selection)},
                                       {"section", request.m_section},
                                       {"key", request.m_key},
                                       {"type", options.m_type},
                                       {"found", answer.m_found},
                                       {"value", answer.m_json}};
        if (request.m_index) {
            json["index"] = *request.m_index;
        }
        if (request.m_default) {
            json["default"] = *request.m_default;
        }
        if (answer.m_stored) {
            json["stored"] = answer.m_storedText;
        }
        if (!answer.m_warnings.empty()) {
            json["warnings"] = answer.m_warnings;
        }
        if (!answer.m_misfit.empty()) {
            json["conversion"] = answer.m_misfit;
        }
        PrintJson(json);
    } else if (answer.m_hasValue) {
        std::cout << answer.m_text << "\n";
    }
    return answer.m_found ? kExitOk : kExitNegative;
}

CommandRun SetupGet(CLI::App& command) {
    auto options = std::make_shared<GetOptions>();
    command.add_option("SECTION", options->m_section, "Section path, e.g. Display:Zoom")
        ->required();
    command.add_option("KEY", options->m_key, "Key")->required();
    command
        .add_option("--as", options->m_type,
                    "Type to read, converted as the library converts it: string (the whole "
                    "text), int, long, double, float, bool, string-list, int-list, double-list, "
                    "float-list, bool-list")
        ->check(CLI::IsMember(ValueTypeNames()))
        ->capture_default_str();
    command
        .add_option("--index", options->m_index,
                    "Element N (from 0) of a list-valued entry (string, int, long, double, "
                    "bool)")
        ->check(CLI::Validator(
            [](std::string& text) {
                uint64_t index = 0;
                const char* end = text.data() + text.size();
                const auto [stop, result] = std::from_chars(text.data(), end, index);
                return !text.empty() && result == std::errc() && stop == end
                           ? std::string()
                           : "\"" + text + "\" is not an index from 0 to 2^64-1";
            },
            "N"));
    command.add_option("--default", options->m_default,
                       "Default given to the library, printed when it has no value");
    AddSelectionOptions(command, options->m_selection);
    command.footer(
        "Numbers print in the shortest form that reads back to the same float or double.\n"
        "long is read per element (GetValue, GetParamInArray): element 0 without --index.\n"
        "An int or long that reads other than written (a fraction cut, a number beyond the\n"
        "range, an empty text read as 0) is a warning, with --strict an error.\n"
        "Exit status: 0 found, 1 not found (the default is printed when given), 2 error.");
    return [options] { return RunGet(*options); };
}

const bool kRegistered =
    RegisterCommand({"get", "The value the library gives for a section and key", SetupGet});

}  // namespace
