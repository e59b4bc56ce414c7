// Where the editor's parameter tree is. The client's initializationOptions name it as the
// tool's options do ({"settings", "root", "name", "userRoot", "productRule", "store"}, with
// "schema" and the default "selection"), relative paths against the workspace root. Without
// "settings" and "root", the workspace root is the tree's root when it holds dev/NAME/; else the
// tree is found above the first opened file that lies in a dev/NAME/ directory holding a base
// file or a file configuration.
#ifndef QUENDEL_LSP_TREELOCATOR_H
#define QUENDEL_LSP_TREELOCATOR_H

#include <string>
#include <vector>

#include "LspJson.h"
#include "fileset/FileSet.h"
#include "inspect/matrix/SelectionSet.h"
#include "inspect/selection/Selection.h"

struct TreeOptions {
    std::string m_workspaceRoot;  // absolute; the working directory when the client names none
    SelectionOptions m_location;  // the options that place the tree, paths made absolute
    std::string m_schema;         // absolute; empty for none
    SelectionName m_selection;    // the default selection; an empty part is left to the tree
};

// Reads initialize's params. An option of the wrong type is left out with a line in problems.
TreeOptions ReadTreeOptions(const Json& params, std::vector<std::string>& problems);

// The tree the options place, with its paths absolute; openedPath is a file the editor opened
// (empty for none). False when no tree is known (yet: a file opened later may show one), with a
// message when the options place one that is not there or the settings cannot be read.
bool LocateTree(const TreeOptions& options, const std::string& openedPath, TreeLocation& tree,
                bool& textStore, std::string& error);

#endif
