// Layout constants of the resource file, the little-endian field access and the hashes that
// place records in its slot tables, shared by the reader and the writer. FORMAT.md describes
// the layout in prose.
#ifndef FENDREL_FORMAT_H
#define FENDREL_FORMAT_H

#include <cstddef>
#include <cstdint>
#include <string_view>

#ifndef XXH_INLINE_ALL
#define XXH_INLINE_ALL  // the short hashes of lookups are inlined; xxhash.h is header-only then
#endif
#include <xxhash.h>

namespace fendrel::format {

constexpr char kMagic[8] = {'F', 'N', 'D', 'R', 'L', 'R', 'E', 'S'};
constexpr uint32_t kVersion = 2;

// Header fields, by byte offset.
constexpr std::size_t kMagicOffset = 0;
constexpr std::size_t kVersionOffset = 8;
constexpr std::size_t kFlagsOffset = 12;
constexpr std::size_t kChecksumOffset = 16;
constexpr std::size_t kFileSizeOffset = 24;
constexpr std::size_t kDirectoryOffset = 32;
// The checksum covers every byte from here to the end of the file.
constexpr std::size_t kChecksumStart = 24;

enum Table : unsigned {
    kFiles,
    kSections,
    kSectionSlots,
    kKeys,
    kKeySlots,
    kPairs,
    kPairSlots,
    kHolderFiles,
    kHolderValues,
    kHolderSlots,
    kPool,
    kTableCount
};
// Table names as refusal messages give them.
constexpr const char* kTableName[kTableCount] = {
    "files",      "sections",     "section slots", "keys",         "key slots",  "pairs",
    "pair slots", "holder files", "holder values", "holder slots", "string pool"};
// Each directory slot is (offset, count), two 64-bit words.
constexpr std::size_t kDirectorySlotSize = 16;
constexpr std::size_t kHeaderSize = kDirectoryOffset + kTableCount * kDirectorySlotSize;
constexpr std::size_t kTableAlignment = 8;

constexpr std::size_t kHashWords = 4;
constexpr std::size_t kTextRefSize = 8;  // pool offset, length
// A section or key: its text, the hash of its text, its hashed key.
constexpr std::size_t kNameTextHashAt = kTextRefSize;
constexpr std::size_t kNameKeyAt = kNameTextHashAt + 8;
constexpr std::size_t kNameRecordSize = kNameKeyAt + kHashWords * 8;
constexpr std::size_t kSlotSize = 4;         // record index + 1, or 0 for an empty slot
constexpr std::size_t kPairRecordSize = 16;  // section, key, first holder, holder count
constexpr std::size_t kRecordSize[kTableCount] = {
    kTextRefSize, kNameRecordSize, kSlotSize, kNameRecordSize,
    kSlotSize,    kPairRecordSize, kSlotSize, 4,
    kTextRefSize, kSlotSize,       1};

// A pair held by more files than this has its holders in the holder slots as well, so that a
// lookup finds the holder of a given file without searching the run.
constexpr uint32_t kScanLimit = 16;

// Pool offsets and lengths, ids and counts are 32-bit, so the whole file stays below 4 GiB.
constexpr uint64_t kMaxFileSize = UINT32_MAX;

// Byte-wise so that any host byte order reads the same file; compilers make one load of it.
inline uint32_t LoadU32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

inline uint64_t LoadU64(const unsigned char* p) {
    return static_cast<uint64_t>(LoadU32(p)) | static_cast<uint64_t>(LoadU32(p + 4)) << 32;
}

inline void StoreU32(unsigned char* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        p[i] = static_cast<unsigned char>(v >> (8 * i));
    }
}

inline void StoreU64(unsigned char* p, uint64_t v) {
    StoreU32(p, static_cast<uint32_t>(v));
    StoreU32(p + 4, static_cast<uint32_t>(v >> 32));
}

// The hashes that place records in the slot tables. Each table is probed linearly from the
// slot the hash gives modulo its size.
inline uint64_t TextHash(std::string_view text) {
    return XXH3_64bits(text.data(), text.size());
}

// The 64-bit finaliser of MurmurHash3: every input bit reaches every output bit, so the low
// bits that pick a slot depend on all of the input. Cheaper than a hash call for fixed-size ids.
inline uint64_t Mix64(uint64_t x) {
    x ^= x >> 33;
    x *= 0xff51afd7ed558ccdULL;
    x ^= x >> 33;
    x *= 0xc4ceb9fe1a85ec53ULL;
    return x ^ (x >> 33);
}

// Of the four words of a hashed key.
inline uint64_t KeyHash(const uint64_t* words) {
    return Mix64(words[0] ^ words[1] * 0x9e3779b97f4a7c15ULL ^ words[2] * 0xbf58476d1ce4e5b9ULL ^
                 words[3] * 0x94d049bb133111ebULL);
}

// Of a (section, key) pair, from the hashes of the two texts.
inline uint64_t PairHash(uint64_t sectionHash, uint64_t keyHash) {
    return Mix64(sectionHash ^ keyHash * 0x9e3779b97f4a7c15ULL);
}

// Of the holder of one pair in one file.
inline uint64_t HolderHash(uint32_t pair, uint32_t file) {
    return Mix64(uint64_t{pair} << 32 | file);
}

}  // namespace fendrel::format

#endif
