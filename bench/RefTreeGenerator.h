// Writes the reference tree: the layered ".pp" files of a scanner in their real layout, and
// the merged parameters of the start selection as one ".pp" file and as INI, TOML and
// libconfig files of equal content. The same seed always gives the same bytes.
#ifndef QUENDEL_BENCH_REFTREEGENERATOR_H
#define QUENDEL_BENCH_REFTREEGENERATOR_H

#include <cstdint>
#include <string>

namespace reftree {

struct GeneratorStats {
    int files = 0;
    uint64_t treeBytes = 0;          // the ".pp" files of the tree
    uint64_t selectionEntries = 0;   // merged entries of the start selection
    uint64_t selectionPpBytes = 0;   // size of the merged selection as one ".pp" file
};

// Replaces whatever an earlier run wrote below out.
GeneratorStats Generate(const std::string& out, uint64_t seed);

}  // namespace reftree

#endif
