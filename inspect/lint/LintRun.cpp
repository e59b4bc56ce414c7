#include "inspect/lint/LintRun.h"

#include <algorithm>
#include <set>

#include "fileset/FileSet.h"
#include "inspect/selection/HostSettings.h"

namespace {

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
        if (!ApplySettings(request.m_location, error) ||
            !LintTree(FileSet::Locate(), result, error)) {
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
