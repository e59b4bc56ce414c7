// Reports as one self-contained HTML page, readable in a browser offline: no script, no
// external file, font or request (the page's security policy forbids them too). Every text that
// comes from a tree is escaped where it is written, so a value can never add markup.
#ifndef QUENDEL_INSPECT_OUTPUT_HTMLREPORT_H
#define QUENDEL_INSPECT_OUTPUT_HTMLREPORT_H

#include <string>
#include <string_view>
#include <vector>

#include "inspect/lint/ParamLint.h"
#include "inspect/matrix/KeyMatrix.h"
#include "inspect/matrix/TreeImpact.h"
#include "inspect/matrix/TreeModel.h"

// Text for an HTML element or a quoted attribute: "&", "<", ">", '"' and "'" as entities, bytes
// that are not UTF-8 as U+FFFD.
std::string HtmlEscape(std::string_view text);

// The selection grid coloured by how many entries change in each cell, each change with its
// selections, files and lines, the masked changes, and the findings of the newer tree (or a
// note why there are none).
std::string ImpactHtml(const TreeImpact& impact, const std::vector<LintFinding>& findings,
                       const std::string& findingsNote);

// The value of one entry in every selection, each cell coloured by its value, with its layer.
std::string MatrixHtml(const TreeModel& model, const KeyMatrix& matrix);

#endif
