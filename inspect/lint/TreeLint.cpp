#include "inspect/lint/TreeLint.h"

#include <algorithm>

#include "inspect/lint/CheckedTree.h"

bool LintTree(const TreeLocation& tree, TreeLint& result, std::string& error,
              bool acrossSelections, const TreeFileVisitor& visit, bool acrossLayers) {
    CheckedTree checked;
    if (!checked.Load(tree, FileReader(), acrossSelections && acrossLayers, result.m_errors,
                      error)) {
        return false;
    }
    const std::vector<CheckedTree::File>& files = checked.Files();
    if (visit) {
        // The files a selection reads: the base level in its order of precedence, then the
        // overrides.
        const auto visitRead = [&](const CheckedTree::File& file) {
            if (file.m_lint != nullptr) {
                visit({file.m_path, file.m_relative, file.m_what, file.m_userDefined},
                      *file.m_lint);
            }
        };
        for (const uint32_t file : checked.BaseOrder()) {
            visitRead(files[file]);
        }
        for (const CheckedTree::File& file : files) {
            if (file.m_layer == Layer::kOverride) {
                visitRead(file);
            }
        }
    }
    for (uint32_t file = 0; file < files.size(); ++file) {
        if (!files[file].m_directory) {
            result.m_files.push_back(files[file].m_path);
        }
        std::vector<LintFinding> findings = checked.FindingsOf(file);
        result.m_findings.insert(result.m_findings.end(), std::make_move_iterator(findings.begin()),
                                 std::make_move_iterator(findings.end()));
    }
    std::sort(result.m_findings.begin(), result.m_findings.end(), FindingBefore);
    return true;
}
