// The forms in which `quendel lint` reports its findings: one line per finding in the form
// compilers use, which editors and CI jump to; a JSON document; a SARIF 2.1.0 log for code
// scanning services.
#ifndef QUENDEL_INSPECT_OUTPUT_LINTREPORT_H
#define QUENDEL_INSPECT_OUTPUT_LINTREPORT_H

#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <vector>

#include "inspect/lint/ParamLint.h"

// "PATH:LINE:COL: warning: MESSAGE [RULE]" per finding.
void PrintLintText(const std::vector<LintFinding>& findings, std::ostream& out);
// {"files": [...], "findings": [{"file", "line", "column", "code", "message"}], "errors": [...]}
nlohmann::ordered_json LintJson(const std::vector<std::string>& files,
                                const std::vector<LintFinding>& findings,
                                const std::vector<std::string>& errors);
// A SARIF log of one run: the rules of the tool and one result per finding.
nlohmann::ordered_json LintSarif(const std::vector<LintFinding>& findings);

#endif
