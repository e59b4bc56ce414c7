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
    uint64_t treeBytes = 0;         // the ".pp" files of the tree
    uint64_t selectionEntries = 0;  // merged entries of the start selection
    uint64_t selectionPpBytes = 0;  // size of the merged selection as one ".pp" file
};

// Sections of the parameter schema: about 6.7 MB of merged parameters per selection and about
// 40 MB of tree at the default; the size scales with it.
inline constexpr int kDefaultSections = 3260;

// Replaces whatever an earlier run wrote below out.
GeneratorStats Generate(const std::string& out, uint64_t seed, int sections = kDefaultSections);

}  // namespace reftree

#endif
