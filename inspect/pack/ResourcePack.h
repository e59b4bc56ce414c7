// Packing a tree of parameter text files into one resource file for the binary store: every
// file by its path below the tree's parent, each with its entries flattened as the text store
// merges them, so that both stores answer alike for the same tree.
#ifndef QUENDEL_INSPECT_PACK_RESOURCEPACK_H
#define QUENDEL_INSPECT_PACK_RESOURCEPACK_H

#include <fendrel/ResourceWriter.h>

#include <cstddef>
#include <string>
#include <vector>

#include "textstore/ParamFile.h"

// The output name that stands for standard output.
constexpr char kStandardOutput[] = "-";

struct PackOptions {
    std::string m_dir;      // the tree; its last name starts every stored path
    std::string m_output;   // empty: the tree's path followed by ".bin"; "-": standard output
    std::string m_idsFile;  // empty: no name carries an IdEnum key
    std::string m_name;     // the first component of every stored path; empty: DIR's name
    bool m_force = false;   // replace an existing file that is not a resource file
};

struct PackResult {
    std::string m_output;
    size_t m_files = 0;
    size_t m_entries = 0;
    // The resource file answers a store other than the one its name suggests.
    std::vector<std::string> m_warnings;
};

// Every entry of one parsed file by section path ("Group:Child:...") and key; sections without
// entries are left out, as the text store leaves them out of its table.
fendrel::FileSections FlattenParamFile(const ParamFile& file);
size_t CountEntries(const fendrel::FileSections& sections);

// Packs every regular "*.pp" file below options.m_dir (recursively, in path order; directory
// links are not followed) as "<name of the tree>/<path inside it>". False with a message
// when the tree holds no such file or something else named "*.pp" (a FIFO, a directory, ...), the
// tree or the ids file cannot be read, or the output cannot be written: it must lead to a regular
// file or to nothing, and an existing file must be a resource file unless forced (OutputFile.h says
// how it is replaced). An existing output file is then left as it was.
bool PackTree(const PackOptions& options, PackResult& result, std::string& error);

#endif
