// What an entry does across every selection that reads its file: an entry that a file of higher
// precedence outranks in each of them never takes effect (masked-override); one whose value is,
// as text, the value it overrides in each of them changes nothing (redundant-override). Both are
// written expecting an effect they do not have.
#ifndef QUENDEL_INSPECT_LINT_OVERRIDEREACH_H
#define QUENDEL_INSPECT_LINT_OVERRIDEREACH_H

#include <vector>

#include "inspect/lint/ParamLint.h"
#include "inspect/matrix/TreeModel.h"

void CheckOverrideReach(const TreeModel& model, std::vector<LintFinding>& findings);

#endif
