// The text store's lookup table: for every (section path, key) the merged files hold, the entry
// of the file that answers it, in one open-addressing table of 16-byte slots. A lookup hashes
// both names in one pass that also notices blanks, and probes once; names compare exactly.
#ifndef QUENDEL_TEXTSTORE_MERGEDTABLE_H
#define QUENDEL_TEXTSTORE_MERGEDTABLE_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "textstore/ParamFile.h"

// One entry of a parsed file's list: its key and its value, a node of the file's map.
using ParamEntry = std::pair<const std::string, ParamValue>;

class MergedTable {
  public:
    // The hash of a (section, key) pair, and in blanks whether either name holds a space or a
    // tab, which a lookup must first remove.
    static uint64_t Hash(std::string_view section, std::string_view key, bool& blanks);

    // The entry that answers (section, key), or null; hash is Hash(section, key).
    const ParamEntry* Find(std::string_view section, std::string_view key, uint64_t hash) const;
    // Makes entry, which must outlive its place in the table, answer (section, its key).
    void Set(const std::string& section, const ParamEntry& entry);
    // Makes lower answer (section, key) instead, or removes the pair when lower is null.
    void Reset(std::string_view section, std::string_view key, const ParamEntry* lower);
    void Clear();

  private:
    struct Slot {
        uint32_t hash = 0;  // the low half of Hash
        uint32_t section = 0;
        const ParamEntry* entry = nullptr;  // null: an empty slot
    };
    struct Section {
        const std::string* path;  // the key of its m_sectionIds entry
        uint32_t entries;
    };

    // The slot holding (section, key), or the empty slot where it would go.
    std::size_t Locate(std::string_view section, std::string_view key, uint32_t hash) const;
    void Grow();

    std::vector<Slot> m_slots;  // a power of two, at most half full
    std::size_t m_size = 0;
    std::unordered_map<std::string, uint32_t> m_sectionIds;  // index into m_sections
    std::vector<Section> m_sections;
    std::vector<uint32_t> m_freeSections;  // indexes of m_sections no section uses
};

#endif
