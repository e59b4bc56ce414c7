#include "inspect/lint/TreeLint.h"

#include <algorithm>

#include "inspect/lint/CheckedTree.h"

bool LintTree(const TreeLocation& tree, TreeLint& result, std::string& error,
              bool acrossSelections) {
    CheckedTree checked;
    if (!checked.Load(tree, FileReader(), acrossSelections, result.m_errors, error)) {
        return false;
    }
    for (uint32_t file = 0; file < checked.Files().size(); ++file) {
        if (!checked.Files()[file].m_directory) {
            result.m_files.push_back(checked.Files()[file].m_path);
        }
        std::vector<LintFinding> findings = checked.FindingsOf(file);
        result.m_findings.insert(result.m_findings.end(), std::make_move_iterator(findings.begin()),
                                 std::make_move_iterator(findings.end()));
    }
    std::sort(result.m_findings.begin(), result.m_findings.end(), FindingBefore);
    return true;
}
