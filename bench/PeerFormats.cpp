#include "PeerFormats.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace reftree {
namespace {

bool AllDigits(const std::string& text, size_t from, size_t to) {
    return from < to && std::all_of(text.begin() + from, text.begin() + to,
                                    [](char c) { return c >= '0' && c <= '9'; });
}

std::string Typed(const std::string& value, const char* listOpen, const char* listClose) {
    switch (Classify(value)) {
        case ValueType::Text:
            return "\"" + value + "\"";
        case ValueType::FloatList:
            return listOpen + value + listClose;
        default:
            return value;
    }
}

// libconfig nests groups; the table's section paths become a tree of them.
struct Group {
    std::vector<std::pair<std::string, std::string>> values;
    std::map<std::string, Group> children;
};

void WriteGroup(const Group& group, const std::string& indent, std::string& out) {
    for (const auto& [key, value] : group.values) {
        out += indent + key + " = " + Typed(value, "[ ", " ]") + ";\n";
    }
    for (const auto& [name, child] : group.children) {
        out += indent + name + " = {\n";
        WriteGroup(child, indent + "  ", out);
        out += indent + "};\n";
    }
}

}  // namespace

ValueType Classify(const std::string& value) {
    if (value == "true" || value == "false") {
        return ValueType::Bool;
    }
    if (value.find(',') != std::string::npos) {
        return ValueType::FloatList;
    }
    const size_t start = !value.empty() && value[0] == '-' ? 1 : 0;
    const size_t point = value.find('.');
    if (point == std::string::npos) {
        return AllDigits(value, start, value.size()) ? ValueType::Int : ValueType::Text;
    }
    return AllDigits(value, start, point) && AllDigits(value, point + 1, value.size())
               ? ValueType::Float
               : ValueType::Text;
}

std::string FormatIni(const ParamTable& table) {
    std::string out;
    for (const auto& [section, entries] : table) {
        out += "[" + section + "]\n";
        for (const auto& [key, value] : entries) {
            out += key + " = " + value + "\n";
        }
        out += "\n";
    }
    return out;
}

std::string FormatToml(const ParamTable& table) {
    std::string out;
    for (const auto& [section, entries] : table) {
        std::string dotted = section;
        std::replace(dotted.begin(), dotted.end(), ':', '.');
        out += "[" + dotted + "]\n";
        for (const auto& [key, value] : entries) {
            out += key + " = " + Typed(value, "[", "]") + "\n";
        }
        out += "\n";
    }
    return out;
}

std::string FormatLibconfig(const ParamTable& table) {
    Group root;
    for (const auto& [section, entries] : table) {
        Group* group = &root;
        size_t from = 0;
        for (size_t colon; (colon = section.find(':', from)) != std::string::npos;
             from = colon + 1) {
            group = &group->children[section.substr(from, colon - from)];
        }
        group = &group->children[section.substr(from)];
        group->values.assign(entries.begin(), entries.end());
    }
    std::string out;
    WriteGroup(root, "", out);
    return out;
}

}  // namespace reftree
