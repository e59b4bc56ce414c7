// What an entry does across every selection that reads its file: an entry that a file of higher
// precedence outranks in each of them never takes effect (masked-override); one whose value is,
// as text, the value it overrides in each of them changes nothing (redundant-override). Both are
// written expecting an effect they do not have. Each setting is checked on its own, against the
// other settings of its name, so that an edit re-checks the names it touched alone.
#ifndef QUENDEL_INSPECT_LINT_OVERRIDEREACH_H
#define QUENDEL_INSPECT_LINT_OVERRIDEREACH_H

#include <vector>

#include "inspect/lint/ParamLint.h"
#include "inspect/matrix/TreeModel.h"

// The finding of one setting of a file that is not base-level, if it never takes effect or
// changes nothing; holders are all settings of its name. False when it does something. A
// finding of its own file on the same line explains it already: the caller leaves it out then.
bool CheckReach(const TreeModel& model, const Holder& holder, const std::vector<Holder>& holders,
                LintFinding& finding);

#endif
