// The hashed keys of the IdEnum parameter groups: the identifiers by which the binary resource
// files name those groups as sections or keys.
#ifndef QUENDEL_API_IDKEYTABLE_H
#define QUENDEL_API_IDKEYTABLE_H

#include <cstddef>
#include <cstdint>
#include <vector>

constexpr int kIdKeyCount = 116;
// Every hashed key of the table has this many words: two identifying words, then two zeros.
constexpr std::size_t kIdKeyWords = 4;

// The hashed key of id, or an empty vector when id is outside 0 to kIdKeyCount - 1.
std::vector<uint64_t> IdHashedKey(int id);

// Every id's key, made on first use, in order of the id.
std::vector<std::vector<uint64_t>> AllIdHashedKeys();

// The same key, made once per process, for an id in 0 to kIdKeyCount - 1: every Quendel's table
// holds exactly these keys, so a query can take its key here without searching the map. Inline:
// a query by IdEnum then pays a load and a test for it.
inline const std::vector<uint64_t>& IdHashedKeyRef(int id) {
    static const std::vector<std::vector<uint64_t>> keys = AllIdHashedKeys();
    return keys[static_cast<size_t>(id)];
}

#endif
