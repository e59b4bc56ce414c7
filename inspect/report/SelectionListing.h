// The selections the tree of an open selection offers, as `quendel list` shows them.
#ifndef QUENDEL_INSPECT_REPORT_SELECTIONLISTING_H
#define QUENDEL_INSPECT_REPORT_SELECTIONLISTING_H

#include <string>
#include <vector>

#include "inspect/selection/Selection.h"
#include "inspect/tree/TreeListing.h"

// The tree of an open selection's store: the text store's resource root on disk, or the paths
// in the binary store's resource file. What could not be read adds a message to warnings; false
// with a message when the resource file cannot be read at all.
bool ListSelection(const Selection& selection, TreeListing& listing,
                   std::vector<std::string>& warnings, std::string& error);

#endif
