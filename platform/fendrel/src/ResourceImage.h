// One resource file, mapped and validated as a whole when it is loaded, with the lookups through
// its slot tables. Lookups bounds-check every id, run and text they read from the file against
// the table sizes copied at load, so bytes that change under the mapping can make them miss,
// never read outside it.
#ifndef FENDREL_RESOURCEIMAGE_H
#define FENDREL_RESOURCEIMAGE_H

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "Format.h"
#include "MappedFile.h"

namespace fendrel {

class ResourceImage {
  public:
    static constexpr uint32_t kNone = UINT32_MAX;

    struct Range {
        uint32_t first;
        uint32_t count;
    };

    // Maps and validates the file; on failure the image is left empty and error says why:
    // what the system said, what the header holds, or the first table record found unsound.
    bool Load(const std::string& path, std::string& error);
    bool IsOpen() const { return m_bytes != nullptr; }
    // True once the file shrank under the mapping: from then on nothing it answered counts.
    bool Damaged() const { return m_file.Damaged(); }
    void Clear();

    // The header of the loaded file.
    uint32_t Version() const { return format::LoadU32(m_bytes + format::kVersionOffset); }
    uint64_t Checksum() const { return format::LoadU64(m_bytes + format::kChecksumOffset); }
    std::size_t Size() const { return m_size; }

    uint32_t FileCount() const { return m_count[format::kFiles]; }
    uint32_t SectionCount() const { return m_count[format::kSections]; }
    uint32_t KeyCount() const { return m_count[format::kKeys]; }
    uint32_t PairCount() const { return m_count[format::kPairs]; }
    // Entries of all contained files together: one holder per file and entry.
    uint32_t HolderCount() const { return m_count[format::kHolderFiles]; }
    std::string_view FilePath(uint32_t file) const;
    uint32_t FindFile(std::string_view path) const;
    std::string_view SectionText(uint32_t section) const;
    std::string_view KeyText(uint32_t key) const;
    // By bisection of the sorted section table, for the listings.
    uint32_t FindSection(std::string_view text) const;

    // The pair of a section and a key, each named by its text or its hashed key; kNone when
    // the resource file holds no such pair. One probe sequence for every form: the forms with a
    // hashed key probe pair slots of their own, made by the first lookup of the form.
    uint32_t FindPair(std::string_view section, std::string_view key) const;
    uint32_t FindPair(const std::vector<uint64_t>& section, std::string_view key) const;
    uint32_t FindPair(std::string_view section, const std::vector<uint64_t>& key) const;
    uint32_t FindPair(const std::vector<uint64_t>& section, const std::vector<uint64_t>& key) const;
    // The pairs of one section, in key order.
    Range SectionPairs(uint32_t section) const;
    uint32_t PairKey(uint32_t pair) const;
    // The holders of one pair, in file order.
    Range Holders(uint32_t pair) const;
    uint32_t HolderFile(uint32_t holder) const;
    std::string_view HolderValue(uint32_t holder) const {
        return holder < HolderCount() ? Text(Record(format::kHolderValues, holder))
                                      : std::string_view();
    }
    // The holder of pair in file, or kNone.
    uint32_t FindHolder(uint32_t pair, uint32_t file) const;
    // Whether file holds some pair held by more than kScanLimit files (a crowded pair).
    bool HoldsCrowded(uint32_t file) const {
        return file < m_crowdedBits.size() && m_crowdedBits[file] != 0;
    }
    // The holder of pair whose file ranks best: rank holds a rank per file id (kNone outside
    // the view), crowdedRanked the files with a rank that HoldsCrowded, best first. kNone when
    // no ranked file holds it.
    uint32_t BestHolder(uint32_t pair, const std::vector<uint32_t>& rank,
                        const std::vector<uint32_t>& crowdedRanked) const;

  private:
    const unsigned char* Record(format::Table table, uint32_t index) const {
        return m_table[table] + static_cast<std::size_t>(index) * format::kRecordSize[table];
    }
    bool ValidText(const unsigned char* ref) const {
        const uint32_t offset = format::LoadU32(ref);
        const uint32_t pool = m_count[format::kPool];
        return offset <= pool && format::LoadU32(ref + 4) <= pool - offset;
    }
    // A text reference; the empty text when it does not lie inside the pool.
    std::string_view Text(const unsigned char* ref) const {
        if (!ValidText(ref)) {
            return {};
        }
        return {reinterpret_cast<const char*>(m_table[format::kPool]) + format::LoadU32(ref),
                format::LoadU32(ref + 4)};
    }
    // Whether name id of table (sections or keys) exists and has this text hash and text.
    bool NameIs(format::Table table, uint32_t id, uint64_t hash, std::string_view text) const {
        if (id >= m_count[table]) {
            return false;
        }
        const unsigned char* record = Record(table, id);
        if (format::LoadU64(record + format::kNameTextHashAt) != hash) {
            return false;
        }
        const std::string_view stored = Text(record);
        return stored.size() == text.size() && SameBytes(stored.data(), text.data(), text.size());
    }
    // Names are short: up to 32 bytes they are compared a few words at a time, without a call.
    static bool SameBytes(const char* a, const char* b, std::size_t n) {
        const auto same = [a, b](std::size_t at, auto word) {
            std::memcpy(&word, a + at, sizeof word);
            decltype(word) other{};
            std::memcpy(&other, b + at, sizeof other);
            return word == other;
        };
        if (n > 32) {
            return std::memcmp(a, b, n) == 0;
        }
        if (n > 16) {
            return same(0, uint64_t{}) && same(8, uint64_t{}) && same(n - 16, uint64_t{}) &&
                   same(n - 8, uint64_t{});
        }
        if (n >= 8) {
            return same(0, uint64_t{}) && same(n - 8, uint64_t{});
        }
        if (n >= 4) {
            return same(0, uint32_t{}) && same(n - 4, uint32_t{});
        }
        return n == 0 || (a[0] == b[0] && a[n / 2] == b[n / 2] && a[n - 1] == b[n - 1]);
    }
    // The section or key with this hashed key (four words), through its slot table.
    uint32_t FindName(format::Table table, const uint64_t* key) const {
        return Probe(static_cast<format::Table>(table + 1), format::KeyHash(key),
                     [&](uint32_t id) { return NameKeyIs(table, id, key); });
    }
    uint32_t FindName(format::Table table, const std::vector<uint64_t>& key) const;
    template <class SectionIs, class KeyIs>
    uint32_t PairOf(uint64_t sectionHash, uint64_t keyHash, SectionIs sectionIs, KeyIs keyIs) const;
    uint64_t NameHash(format::Table table, uint32_t id) const;
    // The first record that match(id) accepts, probing the slot table from hash; kNone at an
    // empty slot or after every slot.
    template <class Match>
    [[gnu::always_inline]] uint32_t Probe(format::Table slots, uint64_t hash, Match match) const;
    uint32_t FindHolderSlot(uint32_t pair, Range holders, uint32_t file) const;
    static uint64_t CrowdedBit(uint32_t pair) { return uint64_t{1} << (format::Mix64(pair) >> 58); }

    // Checks at load, in ResourceImageChecks.cpp.
    bool CheckHeader(const unsigned char* header, std::size_t length, std::string& error) const;
    bool Validate(std::string& error);
    bool ParseDirectory(std::string& error);
    bool ValidateFiles(std::string& error) const;
    bool ValidateNames(format::Table table, std::string& error) const;
    bool ValidatePairs(std::string& error) const;
    bool ValidateSlots(format::Table slots, uint32_t placed, uint32_t limit,
                       std::string& error) const;
    bool ValidatePlacement(std::string& error) const;

    MappedFile m_file;
    const unsigned char* m_bytes = nullptr;
    std::size_t m_size = 0;
    const unsigned char* m_table[format::kTableCount] = {};
    uint32_t m_count[format::kTableCount] = {};
    // Per file, the bits (CrowdedBit) of the crowded pairs it holds: a file whose bits lack a
    // pair's bit does not hold it, so it is not looked up in the holder slots for it.
    std::vector<uint64_t> m_crowdedBits;

    // Pair slots for the lookups with a hashed key, in the parser's memory: pairs placed by
    // their section's and key's hashed keys (KeyHash) where the lookup names them so, and by
    // their text hashes elsewhere. Made by the first lookup of each form, under a lock, and
    // then only read (ResourceImageHashedPairs.cpp).
    enum HashedForm { kHashedSection, kHashedKey, kHashedBoth, kHashedFormCount };
    struct HashedSlots {
        std::unique_ptr<uint32_t[]> m_slots;  // pair id + 1, or 0 for an empty slot
        uint32_t m_mask = 0;                  // the size, a power of two, less one
        uint32_t m_shift = 64;                // 64 less the bits of the mask
    };
    // Null when the memory for them cannot be had; lookups then go through the name slots.
    const HashedSlots* HashedPairSlots(HashedForm form) const;
    const HashedSlots* MakeHashedPairSlots(HashedForm form) const;
    template <class Match>
    uint32_t ProbeHashed(const HashedSlots& slots, uint64_t sectionHash, uint64_t keyHash,
                         Match match) const;
    // Whether name id of table carries the four words of key.
    bool NameKeyIs(format::Table table, uint32_t id, const uint64_t* key) const {
        if (id >= m_count[table]) {
            return false;
        }
        const unsigned char* stored = Record(table, id) + format::kNameKeyAt;
        return format::LoadU64(stored) == key[0] && format::LoadU64(stored + 8) == key[1] &&
               format::LoadU64(stored + 16) == key[2] && format::LoadU64(stored + 24) == key[3];
    }
    void ClearHashedPairSlots();
    // The section and key ids of pair; false for an id out of range.
    bool PairNames(uint32_t pair, uint32_t& section, uint32_t& key) const {
        if (pair >= m_count[format::kPairs]) {
            return false;
        }
        const unsigned char* record = Record(format::kPairs, pair);
        section = format::LoadU32(record);
        key = format::LoadU32(record + 4);
        return true;
    }

    mutable std::mutex m_hashedMaking;
    mutable std::atomic<const HashedSlots*> m_hashed[kHashedFormCount] = {};
    mutable std::unique_ptr<const HashedSlots> m_hashedOwned[kHashedFormCount];
};

// The pair whose section and key ids the two tests accept, probed from the names' hashes.
template <class SectionIs, class KeyIs>
inline uint32_t ResourceImage::PairOf(uint64_t sectionHash, uint64_t keyHash, SectionIs sectionIs,
                                      KeyIs keyIs) const {
    return Probe(format::kPairSlots, format::PairHash(sectionHash, keyHash), [&](uint32_t pair) {
        uint32_t section = 0;
        uint32_t key = 0;
        return PairNames(pair, section, key) && sectionIs(section) && keyIs(key);
    });
}

template <class Match>
inline uint32_t ResourceImage::Probe(format::Table slots, uint64_t hash, Match match) const {
    const uint32_t size = m_count[slots];
    const uint32_t mask = size - 1;  // a power of two, checked at load
    uint32_t at = static_cast<uint32_t>(hash) & mask;
    for (uint32_t probed = 0; probed < size; ++probed) {
        const uint32_t slot = format::LoadU32(m_table[slots] + std::size_t{at} * format::kSlotSize);
        if (slot == 0) {
            return kNone;
        }
        if (match(slot - 1)) {
            return slot - 1;
        }
        at = (at + 1) & mask;
    }
    return kNone;
}

}  // namespace fendrel

#endif
