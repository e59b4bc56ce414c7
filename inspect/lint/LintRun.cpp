#include "inspect/lint/LintRun.h"

#include <algorithm>
#include <set>

#include "fileset/FileSet.h"
#include "inspect/lint/LintRules.h"
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
    const std::set<std::string> disabled(request.m_disabled.begin(), request.m_disabled.end());
    if (request.m_names.empty()) {
        // With both rules off, the model of every selection is not built at all.
        const bool acrossSelections = disabled.count(rule::kMaskedOverride) == 0 ||
                                      disabled.count(rule::kRedundantOverride) == 0;
        if (!ApplySettings(request.m_location, error) ||
            !LintTree(FileSet::Locate(), result, error, acrossSelections)) {
            return false;
        }
    } else {
        LintFiles(request.m_names, result);
    }
    std::vector<LintFinding>& findings = result.m_findings;
    findings.erase(std::remove_if(findings.begin(), findings.end(),
                                  [&](const LintFinding& f) { return disabled.count(f.m_rule); }),
                   findings.end());
    return true;
}
