#include "inspect/output/LintReport.h"

#include <cstdio>
#include <string_view>

#include "inspect/lint/LintRules.h"

namespace {

constexpr char kSarifSchema[] = "https://json.schemastore.org/sarif-2.1.0.json";

// A path as a URI reference: relative paths stay relative, absolute ones become file URIs;
// every byte outside the unreserved set and "/" is percent-encoded.
std::string PathUri(const std::string& path) {
    std::string uri = !path.empty() && path.front() == '/' ? "file://" : "";
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
            (byte >= '0' && byte <= '9') ||
            std::string_view("-._~/").find(c) != std::string_view::npos) {
            uri += c;
        } else {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", byte);
            uri += escaped;
        }
    }
    return uri;
}

}  // namespace

void PrintLintText(const std::vector<LintFinding>& findings, std::ostream& out) {
    for (const LintFinding& f : findings) {
        out << f.m_file << ":" << f.m_line << ":" << f.m_column << ": warning: " << f.m_message
            << " [" << f.m_rule << "]\n";
    }
}

nlohmann::ordered_json LintJson(const std::vector<std::string>& files,
                                const std::vector<LintFinding>& findings,
                                const std::vector<std::string>& errors) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const LintFinding& f : findings) {
        list.push_back({{"file", f.m_file},
                        {"line", f.m_line},
                        {"column", f.m_column},
                        {"code", f.m_rule},
                        {"message", f.m_message}});
    }
    return {{"files", files}, {"findings", std::move(list)}, {"errors", errors}};
}

nlohmann::ordered_json LintSarif(const std::vector<LintFinding>& findings) {
    nlohmann::ordered_json rules = nlohmann::ordered_json::array();
    std::map<std::string_view, size_t> ruleIndex;
    for (const LintRule& rule : LintRules()) {
        ruleIndex[rule.m_id] = rules.size();
        rules.push_back({{"id", rule.m_id}, {"shortDescription", {{"text", rule.m_description}}}});
    }
    nlohmann::ordered_json results = nlohmann::ordered_json::array();
    for (const LintFinding& f : findings) {
        nlohmann::ordered_json region = {{"startLine", f.m_line}, {"startColumn", f.m_column}};
        nlohmann::ordered_json location = {
            {"physicalLocation",
             {{"artifactLocation", {{"uri", PathUri(f.m_file)}}}, {"region", std::move(region)}}}};
        results.push_back({{"ruleId", f.m_rule},
                           {"ruleIndex", ruleIndex.at(f.m_rule)},
                           {"level", "warning"},
                           {"message", {{"text", f.m_message}}},
                           {"locations", nlohmann::ordered_json::array({std::move(location)})}});
    }
    nlohmann::ordered_json driver = {
        {"name", "quendel"}, {"version", QUENDEL_VERSION}, {"rules", std::move(rules)}};
    nlohmann::ordered_json run = {{"tool", {{"driver", std::move(driver)}}},
                                  {"columnKind", "unicodeCodePoints"},
                                  {"results", std::move(results)}};
    return {{"$schema", kSarifSchema},
            {"version", "2.1.0"},
            {"runs", nlohmann::ordered_json::array({std::move(run)})}};
}
