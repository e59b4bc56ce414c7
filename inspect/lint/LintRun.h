// What `quendel lint` checks for its options: the files named, each on its own, or without
// names the whole tree that the host settings place, with the checks across its layers; the
// findings of disabled rules left out.
#ifndef QUENDEL_INSPECT_LINT_LINTRUN_H
#define QUENDEL_INSPECT_LINT_LINTRUN_H

#include <string>
#include <vector>

#include "inspect/lint/TreeLint.h"
#include "inspect/schema/Schema.h"
#include "inspect/schema/SchemaRecord.h"
#include "inspect/schema/SchemaRules.h"
#include "inspect/selection/Selection.h"

struct LintRequest {
    SelectionOptions m_location;  // the options that place the tree (--settings ... --product-rule)
    std::vector<std::string> m_names;  // files, directories or "-"; none for the whole tree
    std::vector<std::string> m_disabled;
    // With a schema, every value of the files read is checked against it too (schemaPath names
    // it in findings); without m_lint, only that (quendel check).
    const Schema* m_schema = nullptr;
    std::string m_schemaPath{};
    bool m_lint = true;
    // The tree itself instead of the one the host settings place (another version's).
    const TreeLocation* m_tree = nullptr;
};

// False with a message when the settings file cannot be read or there is no tree at the
// resource root; files that cannot be read go to result.m_errors.
bool RunLintChecks(const LintRequest& request, TreeLint& result, std::string& error);
// Gives sink every entry of the files the request reads, each file with the layer of a
// selection that reads it (files named on their own have none), as RunLintChecks reads them.
bool FeedSchemaSink(const LintRequest& request, SchemaSink& sink, TreeLint& result,
                    std::string& error);

// The schema file beside the tree that the host settings place, which check uses when none is
// named: ShippedRoot/dev/QuendelFileName.schema.json, next to the text store's directory and
// the binary store's resource file.
std::string DefaultSchemaFile();
// The same for a tree already located: ROOT.schema.json beside its resource root ROOT/.
std::string SchemaFileBeside(const TreeLocation& tree);
// The schema's findings of one open selection's merged view (quendel check -F -P -A), sorted,
// those of the rules disabled left out.
std::vector<LintFinding> CheckSelectionAgainst(const Schema& schema, const std::string& schemaPath,
                                               const Selection& selection,
                                               const std::vector<std::string>& disabled);
// A schema finding as lint reports it.
LintFinding LintFindingOf(SchemaFinding finding);
// Leaves out the findings of the rules named.
void DropDisabled(std::vector<LintFinding>& findings, const std::vector<std::string>& disabled);

#endif
