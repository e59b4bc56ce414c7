// The tree model of the tree that the options place, read as the store the settings choose:
// the text store's files on disk, or the binary store's resource file.
#ifndef QUENDEL_INSPECT_MATRIX_MODELLOAD_H
#define QUENDEL_INSPECT_MATRIX_MODELLOAD_H

#include <string>
#include <vector>

#include "inspect/matrix/TreeImpact.h"
#include "inspect/matrix/TreeModel.h"
#include "inspect/selection/Selection.h"

// False with a message when the settings file cannot be read or there is no tree; files that
// cannot be read go to warnings.
// With only, a resource file's model holds just that entry (and the file configuration).
bool LoadModel(const SelectionOptions& options, TreeModel& model,
               std::vector<std::string>& warnings, std::string& error,
               const std::pair<std::string, std::string>* only = nullptr);

// One version for impact: the tree the options place, read by the store the settings choose, as
// the git revision holds it when one is given (text store only). False with a message.
bool LocateVersion(const SelectionOptions& options, const std::string& revision, ImpactSide& side,
                   std::string& error);

#endif
