#include "inspect/output/EntryOutput.h"

#include <algorithm>
#include <iostream>

#include "inspect/output/JsonText.h"
#include "inspect/selection/HostSettings.h"

namespace {

// Characters, not bytes, so that UTF-8 text lines up.
size_t DisplayWidth(const std::string& text) {
    return static_cast<size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

}  // namespace

void TextTable::Print(std::ostream& out, const std::string& indent) const {
    std::vector<size_t> widths;
    for (const auto& row : m_rows) {
        for (size_t i = 0; i + 1 < row.size(); ++i) {
            widths.resize(std::max(widths.size(), i + 1), 0);
            const size_t width = DisplayWidth(row[i]);
            if (width <= m_maxWidth) {
                widths[i] = std::max(widths[i], width);
            }
        }
    }
    for (const auto& row : m_rows) {
        std::string line = indent;
        for (size_t i = 0; i < row.size(); ++i) {
            line += row[i];
            if (i + 1 < row.size()) {
                const size_t width = DisplayWidth(row[i]);
                line.append(width < widths[i] ? widths[i] - width + 2 : 2, ' ');
            }
        }
        while (!line.empty() && line.back() == ' ') {
            line.pop_back();
        }
        out << line << "\n";
    }
}

std::string OriginText(const Selection& selection, const ValueOrigin& origin) {
    const std::string& root = selection.Provenance().FileRoot();
    std::string text = origin.m_path;
    if (!root.empty() && text.size() > root.size() && text.compare(0, root.size(), root) == 0) {
        text.erase(0, root.size());
    }
    if (origin.m_line != 0) {
        text += ":" + std::to_string(origin.m_line);
    }
    return text;
}

nlohmann::ordered_json OriginJson(const ValueOrigin& origin) {
    nlohmann::ordered_json json = {{"layer", origin.m_layer}, {"file", origin.m_path}};
    if (origin.m_line != 0) {
        json["line"] = origin.m_line;
    }
    return json;
}

nlohmann::ordered_json SelectionJson(const Selection& selection) {
    const SelectionOptions& options = selection.Options();
    return {{"store", selection.Kind() == StoreKind::kText ? "text" : "bin"},
            {"source", selection.Source()},
            {"group", options.m_group},
            {"probe", options.m_probe},
            {"clinical", options.m_clinical}};
}

bool OpenSelection(Selection& selection, const SelectionOptions& options,
                   const std::string& command, bool wholeTree) {
    RouteHostLog(options.m_verbose);
    std::string error;
    if (!(wholeTree ? selection.OpenTree(options, error) : selection.Open(options, error))) {
        PrintError(command, error, options.m_json, selection.ErrorPath());
        return false;
    }
    const std::vector<std::string> problems = selection.Problems();
    if (!options.m_strict) {
        for (const std::string& problem : problems) {
            std::cerr << "quendel " << command << ": warning: " << problem << "\n";
        }
        return true;
    }
    if (problems.empty()) {
        return true;
    }
    std::string message;
    for (const std::string& problem : problems) {
        std::cerr << "quendel " << command << ": " << problem << "\n";
        message += (message.empty() ? "" : "\n") + problem;
    }
    if (options.m_json) {
        PrintErrorDocument(message, selection.Source());
    }
    return false;
}

void PrintErrorDocument(const std::string& message, const std::string& path) {
    nlohmann::ordered_json error = {{"message", message}, {"path", nullptr}};
    if (!path.empty()) {
        error["path"] = path;
    }
    PrintJson({{"error", std::move(error)}});
}

void PrintError(const std::string& command, const std::string& message, bool json,
                const std::string& path) {
    std::cerr << "quendel" << (command.empty() ? "" : " " + command) << ": " << message << "\n";
    if (json) {
        PrintErrorDocument(message, path);
    }
}

void PrintJson(const nlohmann::ordered_json& json) {
    nlohmann::ordered_json document = {{"schema", kJsonSchema}};
    document.update(json);  // every document is an object
    std::cout << JsonText(document) << "\n";
}
