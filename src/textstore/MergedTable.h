// The text store's lookup table: every (section path, key) the merged files hold, with the text
// of the value a lookup returns, in one open-addressing table. A lookup hashes both names in one
// pass that also notices blanks, and probes once; the texts are compared exactly.
#ifndef QUENDEL_TEXTSTORE_MERGEDTABLE_H
#define QUENDEL_TEXTSTORE_MERGEDTABLE_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class MergedTable {
  public:
    // The hash of a (section, key) pair, and in blanks whether either name holds a space or a
    // tab, which a lookup must first remove.
    static uint64_t Hash(std::string_view section, std::string_view key, bool& blanks);

    // The value text of (section, key), or null; hash is Hash(section, key).
    const std::string* Find(std::string_view section, std::string_view key, uint64_t hash) const;
    // Sets the value of (section, key); section and key must outlive the entry (the key is kept
    // from the first Set). True when the entry is new.
    bool Set(const std::string& section, const std::string& key, const std::string* value);
    // Replaces the value of an entry that exists.
    void Replace(std::string_view section, std::string_view key, const std::string* value);
    // Removes an entry that exists.
    void Erase(std::string_view section, std::string_view key);
    void Clear();
    std::size_t Size() const { return m_size; }

  private:
    struct Slot {
        uint64_t hash = 0;
        const std::string* section = nullptr;
        const std::string* key = nullptr;
        const std::string* value = nullptr;  // null: an empty slot
    };

    // The slot holding (section, key), or the empty slot where it would go.
    std::size_t Locate(std::string_view section, std::string_view key, uint64_t hash) const;
    void Grow();

    std::vector<Slot> m_slots;  // a power of two, at most half full
    std::size_t m_size = 0;
};

#endif
