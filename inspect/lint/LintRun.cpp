#include "inspect/lint/LintRun.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <set>
#include <utility>

#include "fileset/FileSet.h"
#include "inspect/lint/LintRules.h"
#include "inspect/lint/NameSuggestion.h"
#include "inspect/schema/SchemaCheck.h"
#include "inspect/selection/HostSettings.h"

namespace {

std::vector<std::string> Components(const std::string& path) {
    std::vector<std::string> parts;
    for (const auto& part : std::filesystem::path(path).lexically_normal()) {
        if (!part.empty() && part != "/" && part != ".") {
            parts.push_back(part.string());
        }
    }
    return parts;
}

// The entries that count: the last setting of an entry in a file replaces the others.
void FeedEntries(const FileLint& lint, SchemaSink& sink) {
    for (const LintEntry& entry : lint.m_entries) {
        if (entry.m_live) {
            sink.Add(SchemaRecord{lint.m_sections[entry.m_section], entry.m_key, entry.m_value,
                                  entry.m_line, entry.m_column});
        }
    }
}

// The layer of a file of the tree and the selectors of that layer, from its path. A product's
// own file stands for the common file at its path without the product rule's directories.
SchemaFile SchemaFileOf(const TreeFileInfo& file, const std::vector<std::string>& rule) {
    static const std::pair<const char*, SchemaLayer> kLayers[] = {
        {"base file", SchemaLayer::kBase},
        {"product base file", SchemaLayer::kBase},
        {"listed file", SchemaLayer::kListed},
        {"clinical base file", SchemaLayer::kClinicalBase},
        {"group file", SchemaLayer::kGroup},
        {"transducer file", SchemaLayer::kTransducer},
        {"product transducer file", SchemaLayer::kTransducer},
        {"group clinical file", SchemaLayer::kGroupClinical},
        {"product clinical file", SchemaLayer::kGroupClinical},
        {"clinical file", SchemaLayer::kClinical},
        {"user-defined file", SchemaLayer::kUserDefined}};
    SchemaFile schemaFile{file.m_path, SchemaLayer::kUnknown, {}, {}, {}};
    for (const auto& [what, layer] : kLayers) {
        if (file.m_what == what) {
            schemaFile.m_layer = layer;
        }
    }
    std::vector<std::string> dirs = Components(file.m_relative);
    if (!dirs.empty()) {
        dirs.pop_back();  // the file's name
    }
    for (auto at = std::search(dirs.begin(), dirs.end(), rule.begin(), rule.end());
         !rule.empty() && at != dirs.end();
         at = std::search(dirs.begin(), dirs.end(), rule.begin(), rule.end())) {
        dirs.erase(at, at + static_cast<std::ptrdiff_t>(rule.size()));
    }
    dirs.resize(3);
    switch (schemaFile.m_layer) {
        case SchemaLayer::kClinical:  // Clns/A/
            schemaFile.m_clinical = dirs[1];
            break;
        case SchemaLayer::kGroupClinical:
        case SchemaLayer::kUserDefined:  // F/P/A/
            schemaFile.m_clinical = dirs[2];
            [[fallthrough]];
        case SchemaLayer::kTransducer:  // F/P/
            schemaFile.m_probe = dirs[1];
            [[fallthrough]];
        case SchemaLayer::kGroup:  // F/
            schemaFile.m_group = dirs[0];
            break;
        default:
            break;
    }
    return schemaFile;
}

// Each named file on its own.
void LintFiles(const std::vector<std::string>& names, TreeLint& result, SchemaSink* sink) {
    result.m_files = CollectParamFiles(names, result.m_errors);
    for (const std::string& file : result.m_files) {
        FileLint lint;
        std::string error;
        if (!LintFile(file, lint, error)) {
            result.m_errors.push_back(error);
            continue;
        }
        result.m_findings.insert(result.m_findings.end(), lint.m_findings.begin(),
                                 lint.m_findings.end());
        // A file configuration lists files; its entries are no parameters.
        if (sink != nullptr &&
            std::filesystem::path(file).filename() != FileSet::FileConfigFile("")) {
            sink->BeginFile(SchemaFile{lint.m_path, SchemaLayer::kUnknown, {}, {}, {}});
            FeedEntries(lint, *sink);
        }
    }
    std::sort(result.m_findings.begin(), result.m_findings.end(), FindingBefore);
}

// Lints what the request names, giving sink (when there is one) every entry read.
bool ReadFiles(const LintRequest& request, SchemaSink* sink, TreeLint& result, std::string& error,
               bool acrossLayers) {
    result = TreeLint();
    if (!request.m_names.empty()) {
        LintFiles(request.m_names, result, sink);
        return true;
    }
    if (request.m_tree == nullptr && !ApplySettings(request.m_location, error)) {
        return false;
    }
    const TreeLocation tree = request.m_tree != nullptr ? *request.m_tree : FileSet::Locate();
    const std::vector<std::string> rule = Components(tree.m_productRule);
    TreeFileVisitor visit;
    if (sink != nullptr) {
        visit = [&](const TreeFileInfo& file, const FileLint& lint) {
            sink->BeginFile(SchemaFileOf(file, rule));
            FeedEntries(lint, *sink);
        };
    }
    // With both rules off, the model of every selection is not built at all.
    const std::set<std::string> disabled(request.m_disabled.begin(), request.m_disabled.end());
    const bool acrossSelections =
        disabled.count(rule::kMaskedOverride) == 0 || disabled.count(rule::kRedundantOverride) == 0;
    return LintTree(tree, result, error, acrossSelections, visit, acrossLayers);
}

}  // namespace

bool RunLintChecks(const LintRequest& request, TreeLint& result, std::string& error) {
    std::unique_ptr<SchemaChecker> checker;
    if (request.m_schema != nullptr) {
        checker =
            std::make_unique<SchemaChecker>(*request.m_schema, request.m_schemaPath, NearestName);
    }
    // Without lint's findings, its checks across the layers need not run.
    if (!ReadFiles(request, checker.get(), result, error, request.m_lint)) {
        return false;
    }
    std::vector<LintFinding>& findings = result.m_findings;
    if (!request.m_lint) {
        findings.clear();
    }
    if (checker) {
        for (SchemaFinding& finding : checker->Finish()) {
            findings.push_back(LintFindingOf(std::move(finding)));
        }
        std::sort(findings.begin(), findings.end(), FindingBefore);
    }
    DropDisabled(findings, request.m_disabled);
    return true;
}

bool FeedSchemaSink(const LintRequest& request, SchemaSink& sink, TreeLint& result,
                    std::string& error) {
    return ReadFiles(request, &sink, result, error, false);
}

std::string DefaultSchemaFile() {
    std::string root = FileSet::ResourceRoot(FileSet::Read(FileSet::kShippedRoot),
                                             FileSet::Read(FileSet::kResourceName));
    root.pop_back();  // the "/" after the resource name
    return root + ".schema.json";
}

std::string SchemaFileBeside(const TreeLocation& tree) {
    std::string root = tree.m_root;
    while (!root.empty() && root.back() == '/') {
        root.pop_back();
    }
    return root + ".schema.json";
}

std::vector<LintFinding> CheckSelectionAgainst(const Schema& schema, const std::string& schemaPath,
                                               const Selection& selection,
                                               const std::vector<std::string>& disabled) {
    std::vector<LintFinding> findings;
    for (SchemaFinding& finding : CheckSelection(schema, selection.Provenance().GetEntries(),
                                                 schemaPath, selection.Describe(), NearestName)) {
        findings.push_back(LintFindingOf(std::move(finding)));
    }
    std::sort(findings.begin(), findings.end(), FindingBefore);
    DropDisabled(findings, disabled);
    return findings;
}

LintFinding LintFindingOf(SchemaFinding finding) {
    return LintFinding{std::move(finding.m_file),
                       finding.m_line,
                       finding.m_column,
                       finding.m_rule,
                       std::move(finding.m_message),
                       {}};
}

void DropDisabled(std::vector<LintFinding>& findings, const std::vector<std::string>& disabled) {
    const std::set<std::string> rules(disabled.begin(), disabled.end());
    findings.erase(std::remove_if(findings.begin(), findings.end(),
                                  [&](const LintFinding& f) { return rules.count(f.m_rule); }),
                   findings.end());
}
