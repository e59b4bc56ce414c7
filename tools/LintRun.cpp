#include "LintRun.h"

#include <algorithm>
#include <set>

#include "HostSettings.h"
#include "textstore/FileSet.h"

namespace {

// Where the host settings put the tree, as the stores find it: the resource root
// ShippedRoot/dev/QuendelFileName/, the user-defined tree below SystemHQUserDefinedRoot, and
// the binary store's product rule (QuendelProductRule, by default SystemHQPath).
TreeLocation LocateTree() {
    const std::string name = FileSet::Read(FileSet::kResourceName);
    TreeLocation tree;
    tree.m_productRule = FileSet::ProductRule();
    tree.m_root = FileSet::ResourceRoot(FileSet::Read(FileSet::kShippedRoot), name);
    tree.m_userDir = FileSet::UserDefinedDir(FileSet::Read(FileSet::kUserDefinedRoot), name);
    return tree;
}

// Each named file on its own.
void LintFiles(const std::vector<std::string>& names, TreeLint& result) {
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
    }
    std::sort(result.m_findings.begin(), result.m_findings.end(), FindingBefore);
}

}  // namespace

bool RunLintChecks(const LintRequest& request, TreeLint& result, std::string& error) {
    result = TreeLint();
    if (request.m_names.empty()) {
        if (!ApplySettings(request.m_location, error) || !LintTree(LocateTree(), result, error)) {
            return false;
        }
    } else {
        LintFiles(request.m_names, result);
    }
    const std::set<std::string> disabled(request.m_disabled.begin(), request.m_disabled.end());
    std::vector<LintFinding>& findings = result.m_findings;
    findings.erase(std::remove_if(findings.begin(), findings.end(),
                                  [&](const LintFinding& f) { return disabled.count(f.m_rule); }),
                   findings.end());
    return true;
}
