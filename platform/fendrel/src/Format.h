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

// The 64-bit finaliser of MurmurHash3: every input bit reaches every output bit, so the low
// bits that pick a slot depend on all of the input. Cheaper than a hash call for fixed-size ids.
inline uint64_t Mix64(uint64_t x) {
    x ^= x >> 33;
    x *= 0xff51afd7ed558ccdULL;
    x ^= x >> 33;
    x *= 0xc4ceb9fe1a85ec53ULL;
    return x ^ (x >> 33);
}

// One step of the text hash: the hash so far, rotated, takes in a word and is multiplied.
inline uint64_t Fold(uint64_t hash, uint64_t word) {
    return ((hash << 27 | hash >> 37) ^ word) * 0x9e3779b97f4a7c15ULL;
}

// Of a section or key text: its length, then its bytes eight at a time as little-endian words
// (the last word the last eight bytes, overlapping the one before), folded in. A text of 1 to 8
// bytes is one word: for 4 to 8 bytes its first four bytes and its last four (high half); for 1
// to 3 bytes b0, b(n/2), b(n-1), b0 as four bytes, twice. Names are short, so this costs a few
// operations per name where a general hash costs a call. It is not mixed: it only places
// records through the pair hash, which mixes.
inline uint64_t TextHash(std::string_view text) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    uint64_t hash = Fold(0, n);
    if (n > 8) {
        for (std::size_t at = 0; at + 8 < n; at += 8) {
            hash = Fold(hash, LoadU64(p + at));
        }
        hash = Fold(hash, LoadU64(p + n - 8));
    } else if (n >= 4) {
        hash = Fold(hash, LoadU32(p) | uint64_t{LoadU32(p + n - 4)} << 32);
    } else if (n > 0) {
        const uint32_t bytes = p[0] | p[n / 2] << 8 | p[n - 1] << 16 | uint32_t{p[0]} << 24;
        hash = Fold(hash, bytes | uint64_t{bytes} << 32);
    }
    return hash;
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
