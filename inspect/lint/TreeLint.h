// Lint of a whole parameter tree: every ".pp" file on its own, then what only the layers
// together show (CheckedTree.h). An override that names an entry no base-level file defines, or
// whose value does not read as the base-level value's type, changes nothing a query sees but the
// default; a file at no layer path is read by no selection.
#ifndef QUENDEL_INSPECT_LINT_TREELINT_H
#define QUENDEL_INSPECT_LINT_TREELINT_H

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "fileset/FileSet.h"
#include "inspect/lint/ParamLint.h"

struct TreeLint {
    std::vector<std::string> m_files;     // every file linted, in path order
    std::vector<LintFinding> m_findings;  // in FindingBefore order
    std::vector<std::string> m_errors;    // files or directories that could not be read
};

// A file that a selection reads, as the tree's walk found and classified it.
struct TreeFileInfo {
    const std::string& m_path;      // as reported
    const std::string& m_relative;  // below the resource root or the user-defined tree
    const std::string& m_what;      // "group file", "listed file", ... as LayerPaths names it
    bool m_userDefined;
};
// Called with each such file and what its lint kept, when the file has been linted.
using TreeFileVisitor = std::function<void(const TreeFileInfo& file, const FileLint& lint)>;

// False with a message when the resource root is not a directory. Each file is read once; time
// and memory grow with the size of the tree and the settings of each name.
// acrossSelections: also the checks across every selection at once (masked-override,
// redundant-override), which keep every file's entries for the model of the tree. Without
// acrossLayers, each file is linted on its own only (for a visitor that needs no more).
bool LintTree(const TreeLocation& tree, TreeLint& result, std::string& error,
              bool acrossSelections = true, const TreeFileVisitor& visit = nullptr,
              bool acrossLayers = true);

#endif
