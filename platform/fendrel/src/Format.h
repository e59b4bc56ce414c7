// Layout constants of the resource file and the little-endian field access shared by the
// reader and the writer. FORMAT.md describes the layout in prose.
#ifndef FENDREL_FORMAT_H
#define FENDREL_FORMAT_H

#include <cstddef>
#include <cstdint>

namespace fendrel::format {

constexpr char kMagic[8] = {'F', 'N', 'D', 'R', 'L', 'R', 'E', 'S'};
constexpr uint32_t kVersion = 1;

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
    kSectionsByHash,
    kKeys,
    kKeysByHash,
    kPairs,
    kHolders,
    kPool,
    kTableCount
};
// Table names as refusal messages give them.
constexpr const char* kTableName[kTableCount] = {"files",   "sections",     "sections by hash",
                                                 "keys",    "keys by hash", "pairs",
                                                 "holders", "string pool"};
// Each directory slot is (offset, count), two 64-bit words.
constexpr std::size_t kDirectorySlotSize = 16;
constexpr std::size_t kHeaderSize = kDirectoryOffset + kTableCount * kDirectorySlotSize;
constexpr std::size_t kTableAlignment = 8;

constexpr std::size_t kHashWords = 4;
constexpr std::size_t kTextRefSize = 8;  // pool offset, length
constexpr std::size_t kFileRecordSize = kTextRefSize;
constexpr std::size_t kNameRecordSize = kTextRefSize + kHashWords * 8;
constexpr std::size_t kIndexRecordSize = 4;
constexpr std::size_t kPairRecordSize = 16;    // section, key, first holder, holder count
constexpr std::size_t kHolderRecordSize = 12;  // file, value text
constexpr std::size_t kRecordSize[kTableCount] = {
    kFileRecordSize,  kNameRecordSize, kIndexRecordSize,  kNameRecordSize,
    kIndexRecordSize, kPairRecordSize, kHolderRecordSize, 1};

// Pool offsets and lengths, ids and counts are 32-bit, so the whole file stays below 4 GiB.
constexpr uint64_t kMaxFileSize = UINT32_MAX;

// Byte-wise so that any alignment and any host byte order read the same file.
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

}  // namespace fendrel::format

#endif
