// What `quendel lint` checks for its options: the files named, each on its own, or without
// names the whole tree that the host settings place, with the checks across its layers; the
// findings of disabled rules left out.
#ifndef QUENDEL_INSPECT_LINT_LINTRUN_H
#define QUENDEL_INSPECT_LINT_LINTRUN_H

#include <string>
#include <vector>

#include "inspect/lint/TreeLint.h"
#include "inspect/selection/Selection.h"

struct LintRequest {
    SelectionOptions m_location;  // the options that place the tree (--settings ... --product-rule)
    std::vector<std::string> m_names;  // files, directories or "-"; none for the whole tree
    std::vector<std::string> m_disabled;
};

// False with a message when the settings file cannot be read or there is no tree at the
// resource root; files that cannot be read go to result.m_errors.
bool RunLintChecks(const LintRequest& request, TreeLint& result, std::string& error);

#endif
