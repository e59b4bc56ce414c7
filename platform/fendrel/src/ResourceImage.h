// One resource file held in memory, validated as a whole when it is loaded, with the
// binary searches over its sorted tables. After a successful Load every offset, length, id and
// order in the image is known to be sound, so the accessors check nothing further.
#ifndef FENDREL_RESOURCEIMAGE_H
#define FENDREL_RESOURCEIMAGE_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Format.h"

namespace fendrel {

class ResourceImage {
  public:
    static constexpr uint32_t kNone = UINT32_MAX;

    struct Range {
        uint32_t first;
        uint32_t count;
    };

    // Reads and validates the file; on failure the image is left empty and error says why:
    // what the system said, what the header holds, or the first table record found unsound.
    bool Load(const std::string& path, std::string& error);
    bool IsOpen() const { return m_bytes != nullptr; }
    void Clear();

    // The header of the loaded file.
    uint32_t Version() const { return format::LoadU32(m_bytes.get() + format::kVersionOffset); }
    uint64_t Checksum() const { return format::LoadU64(m_bytes.get() + format::kChecksumOffset); }
    std::size_t Size() const { return m_size; }

    uint32_t FileCount() const { return m_count[format::kFiles]; }
    uint32_t KeyCount() const { return m_count[format::kKeys]; }
    // Entries of all contained files together: one holder per file and entry.
    uint32_t HolderCount() const { return m_count[format::kHolders]; }
    std::string_view FilePath(uint32_t file) const;
    uint32_t FindFile(std::string_view path) const;

    uint32_t SectionCount() const { return m_count[format::kSections]; }
    std::string_view SectionText(uint32_t section) const { return Sections().Text(section); }
    uint32_t FindSection(std::string_view text) const { return Sections().Find(text); }
    uint32_t FindSection(const std::vector<uint64_t>& hash) const { return Sections().Find(hash); }
    uint32_t FindKey(std::string_view text) const { return Keys().Find(text); }
    uint32_t FindKey(const std::vector<uint64_t>& hash) const { return Keys().Find(hash); }
    std::string_view KeyText(uint32_t key) const { return Keys().Text(key); }

    uint32_t FindPair(uint32_t section, uint32_t key) const;
    // The pairs of one section, in key order.
    Range SectionPairs(uint32_t section) const;
    uint32_t PairKey(uint32_t pair) const;
    // The holders of one pair, in file order.
    Range Holders(uint32_t pair) const;
    uint32_t HolderFile(uint32_t holder) const;
    std::string_view HolderValue(uint32_t holder) const;
    uint32_t FindHolder(Range holders, uint32_t file) const;

  private:
    // The section table or the key table with its index by hashed key.
    struct NameTable {
        const ResourceImage* image;
        const unsigned char* records;
        const unsigned char* byHash;
        uint32_t count;
        uint32_t byHashCount;
        format::Table table;  // the index by hash is the table after it

        std::string_view Text(uint32_t id) const;
        const unsigned char* Hash(uint32_t id) const;
        uint32_t Find(std::string_view text) const;
        uint32_t Find(const std::vector<uint64_t>& hash) const;
        bool Validate(std::string& error) const;
    };

    NameTable Sections() const;
    NameTable Keys() const;
    const unsigned char* Record(format::Table table, uint32_t index) const;
    std::string_view Text(const unsigned char* ref) const;
    bool ValidText(const unsigned char* ref) const;

    bool Parse(std::string& error);
    bool CheckHeader(std::string& error) const;
    bool ParseDirectory(std::string& error);
    bool ValidateFiles(std::string& error) const;
    bool ValidatePairs(std::string& error) const;

    std::unique_ptr<unsigned char[]> m_bytes;
    std::size_t m_size = 0;
    const unsigned char* m_table[format::kTableCount] = {};
    uint32_t m_count[format::kTableCount] = {};
};

}  // namespace fendrel

#endif
