// The checks a resource file passes before any lookup sees it: the header before anything is
// mapped, then the checksum over the mapped bytes and one pass over each table, without
// allocation. FORMAT.md lists them.
#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <utility>

#include "ResourceImage.h"

namespace fendrel {

using namespace format;

namespace {

bool Refuse(std::string& error, std::string reason) {
    error = std::move(reason);
    return false;
}

bool RecordError(std::string& error, Table table, uint32_t index, const std::string& what) {
    return Refuse(
        error, std::string(kTableName[table]) + " record " + std::to_string(index) + ": " + what);
}

std::string Hex(uint64_t value, int digits) {
    char text[19];
    std::snprintf(text, sizeof text, "0x%0*" PRIx64, digits, value);
    return text;
}

std::string TooSmall(std::size_t size) {
    return "too small: " + std::to_string(size) + " bytes (a resource file has at least " +
           std::to_string(kHeaderSize) + ")";
}

std::string OutOfRange(const char* what, uint32_t id, uint32_t count) {
    return std::string(what) + " id " + std::to_string(id) + " out of range (" +
           std::to_string(count) + " " + what + "s)";
}

}  // namespace

// The fixed header fields, in the order that names the most telling fault: a file of another
// kind, another version, a cut-off copy. Read before mapping, so the size that is mapped is the
// size the header records.
bool ResourceImage::CheckHeader(const unsigned char* b, std::size_t length,
                                std::string& error) const {
    const std::size_t size = m_file.Size();
    if (length < std::min(size, kHeaderSize)) {
        return Refuse(error, "the file shrank while it was read");
    }
    if (size < sizeof kMagic || std::memcmp(b + kMagicOffset, kMagic, sizeof kMagic) != 0) {
        return Refuse(error,
                      size < kHeaderSize ? TooSmall(size) : "bad magic: not a resource file");
    }
    if (size < kChecksumStart + 8) {
        return Refuse(error, TooSmall(size));
    }
    const uint32_t version = LoadU32(b + kVersionOffset);
    if (version == 1) {
        return Refuse(error, "format version 1: re-pack the tree with quendel pack");
    }
    if (version != kVersion) {
        return Refuse(error, "unknown format version " + std::to_string(version) +
                                 " (this parser reads version " + std::to_string(kVersion) + ")");
    }
    if (LoadU32(b + kFlagsOffset) != 0) {
        return Refuse(error, "unknown flags " + Hex(LoadU32(b + kFlagsOffset), 8));
    }
    const uint64_t recorded = LoadU64(b + kFileSizeOffset);
    if (recorded != size) {
        return Refuse(error, recorded > size
                                 ? "truncated at " + std::to_string(size) + " of " +
                                       std::to_string(recorded) + " bytes"
                                 : "size mismatch: the file has " + std::to_string(size) +
                                       " bytes, its header records " + std::to_string(recorded));
    }
    if (size < kHeaderSize) {
        return Refuse(error, TooSmall(size));
    }
    return true;
}

// One pass of the checksum over the mapped bytes, with the tables checked in the middle of it:
// the hash has just brought them into the cache, before it goes on through the string pool that
// fills most of the file. A mismatch of the checksum is the reason given before any other. A
// file that shrank under the mapping reads as zeros from then on, which any check may trip over;
// that is then the reason given.
bool ResourceImage::Validate(std::string& error) {
    XXH3_state_t hash;
    XXH3_64bits_reset(&hash);
    std::string unsound;
    bool sound = ParseDirectory(unsound);
    const std::size_t tablesEnd = sound ? m_table[kPool] - m_bytes : kChecksumStart;
    XXH3_64bits_update(&hash, m_bytes + kChecksumStart, tablesEnd - kChecksumStart);
    sound = sound && ValidateFiles(unsound) && ValidateNames(kSections, unsound) &&
            ValidateNames(kKeys, unsound) && ValidatePairs(unsound) && ValidatePlacement(unsound);
    XXH3_64bits_update(&hash, m_bytes + tablesEnd, m_size - tablesEnd);
    const uint64_t sum = XXH3_64bits_digest(&hash);
    const uint64_t stored = LoadU64(m_bytes + kChecksumOffset);
    if (Damaged()) {
        return Refuse(error, "the file shrank while it was read");
    }
    if (sum != stored) {
        return Refuse(error, "checksum mismatch: the header records " + Hex(stored, 16) +
                                 ", the content gives " + Hex(sum, 16));
    }
    error = std::move(unsound);
    return sound;
}

// Tables lie in directory order, without overlap, inside the file.
bool ResourceImage::ParseDirectory(std::string& error) {
    uint64_t end = kHeaderSize;
    for (unsigned t = 0; t < kTableCount; ++t) {
        const unsigned char* slot = m_bytes + kDirectoryOffset + t * kDirectorySlotSize;
        const uint64_t offset = LoadU64(slot);
        const uint64_t count = LoadU64(slot + 8);
        const auto refuse = [&](const std::string& what) {
            return Refuse(error, std::string(kTableName[t]) + " table: " + what);
        };
        const std::string at = "offset " + std::to_string(offset);
        if (offset < end) {
            return refuse("starts at " + at + ", inside the header or the table before it, " +
                          "which ends at " + std::to_string(end));
        }
        if (offset > m_size) {
            return refuse("starts at " + at + ", past the end of the file (" +
                          std::to_string(m_size) + " bytes)");
        }
        if (count > (m_size - offset) / kRecordSize[t]) {
            return refuse(std::to_string(count) + " records from " + at +
                          " pass the end of the file (" + std::to_string(m_size) + " bytes)");
        }
        m_table[t] = m_bytes + offset;
        m_count[t] = static_cast<uint32_t>(count);  // below the file size, so it fits
        end = offset + count * kRecordSize[t];
    }
    return true;
}

// Paths are non-empty and strictly ascending, which the binary search relies on.
bool ResourceImage::ValidateFiles(std::string& error) const {
    for (uint32_t i = 0; i < FileCount(); ++i) {
        const unsigned char* ref = Record(kFiles, i);
        if (!ValidText(ref)) {
            return RecordError(error, kFiles, i, "path outside the string pool");
        }
        if (LoadU32(ref + 4) == 0) {
            return RecordError(error, kFiles, i, "empty path");
        }
        if (i > 0 && !(Text(Record(kFiles, i - 1)) < Text(ref))) {
            return RecordError(error, kFiles, i,
                               "path not after the one before (paths are strictly ascending)");
        }
    }
    return true;
}

// Texts strictly ascending, each with the hash of its text, which lookups by names compare.
bool ResourceImage::ValidateNames(Table table, std::string& error) const {
    for (uint32_t id = 0; id < m_count[table]; ++id) {
        const unsigned char* record = Record(table, id);
        if (!ValidText(record)) {
            return RecordError(error, table, id, "name outside the string pool");
        }
        if (id > 0 && !(Text(Record(table, id - 1)) < Text(record))) {
            return RecordError(error, table, id,
                               "name not after the one before (names are strictly ascending)");
        }
        if (LoadU64(record + kNameTextHashAt) != TextHash(Text(record))) {
            return RecordError(error, table, id, "text hash is not that of the name");
        }
    }
    return true;
}

// Pairs strictly ascending by (section, key), each owning a non-empty run of holders; the runs
// follow each other and cover the holder tables exactly. Within a run the files are strictly
// ascending, and every value lies in the pool.
bool ResourceImage::ValidatePairs(std::string& error) const {
    const uint32_t holderCount = HolderCount();
    if (m_count[kHolderValues] != holderCount) {
        return Refuse(error, "holder values table: " + std::to_string(m_count[kHolderValues]) +
                                 " records for " + std::to_string(holderCount) + " holders");
    }
    uint32_t next = 0;
    uint64_t previous = 0;  // (section, key) of the pair before, as one number
    for (uint32_t p = 0; p < m_count[kPairs]; ++p) {
        const unsigned char* record = Record(kPairs, p);
        const uint32_t section = LoadU32(record);
        const uint32_t key = LoadU32(record + 4);
        const uint32_t first = LoadU32(record + 8);
        const uint32_t count = LoadU32(record + 12);
        if (section >= SectionCount()) {
            return RecordError(error, kPairs, p, OutOfRange("section", section, SectionCount()));
        }
        if (key >= KeyCount()) {
            return RecordError(error, kPairs, p, OutOfRange("key", key, KeyCount()));
        }
        if (first != next) {
            return RecordError(error, kPairs, p,
                               "holder run starts at " + std::to_string(first) +
                                   ", not where the one before ends (" + std::to_string(next) +
                                   ")");
        }
        if (count == 0) {
            return RecordError(error, kPairs, p, "empty holder run");
        }
        if (count > holderCount - next) {
            return RecordError(error, kPairs, p,
                               "holder run of " + std::to_string(count) +
                                   " passes the end of the holders table (" +
                                   std::to_string(holderCount) + " holders)");
        }
        const uint64_t ids = uint64_t{section} << 32 | key;
        if (p > 0 && ids <= previous) {
            return RecordError(error, kPairs, p,
                               "not after the one before (pairs are strictly ascending)");
        }
        previous = ids;
        uint32_t fileBefore = 0;
        for (uint32_t h = first; h < first + count; ++h) {
            const uint32_t file = LoadU32(Record(kHolderFiles, h));
            if (file >= FileCount()) {
                return RecordError(error, kHolderFiles, h, OutOfRange("file", file, FileCount()));
            }
            if (h > first && file <= fileBefore) {
                return RecordError(
                    error, kHolderFiles, h,
                    "file id not above the one before in its run (pair " + std::to_string(p) + ")");
            }
            fileBefore = file;
        }
        next += count;
    }
    if (next != holderCount) {
        return Refuse(error, "holder files table: the pairs' runs cover " + std::to_string(next) +
                                 " of " + std::to_string(holderCount) + " holders");
    }
    // One pass of its own: no branch inside, so it runs at memory speed.
    bool outside = false;
    for (uint32_t h = 0; h < holderCount; ++h) {
        outside |= !ValidText(Record(kHolderValues, h));
    }
    for (uint32_t h = 0; outside && h < holderCount; ++h) {
        if (!ValidText(Record(kHolderValues, h))) {
            return RecordError(error, kHolderValues, h, "value outside the string pool");
        }
    }
    return true;
}

// A power-of-two size above the records placed, so every probe meets an empty slot; exactly
// that many non-empty slots, each naming a record below limit.
bool ResourceImage::ValidateSlots(Table slots, uint32_t placed, uint32_t limit,
                                  std::string& error) const {
    const uint32_t size = m_count[slots];
    if ((size & (size - 1)) != 0 || size <= placed) {
        return Refuse(error, std::string(kTableName[slots]) + " table: " + std::to_string(size) +
                                 " slots, not a power of two above the " + std::to_string(placed) +
                                 " records it places");
    }
    uint32_t filled = 0;
    for (uint32_t at = 0; at < size; ++at) {
        const uint32_t slot = LoadU32(Record(slots, at));
        if (slot > limit) {
            return RecordError(error, slots, at, OutOfRange("record", slot - 1, limit));
        }
        filled += slot != 0;
    }
    if (filled != placed) {
        return Refuse(error, std::string(kTableName[slots]) + " table: " + std::to_string(filled) +
                                 " filled slots for " + std::to_string(placed) + " records");
    }
    return true;
}

// Every record is found by probing from its hash as lookups probe, and found as itself: with as
// many filled slots as records, the slots then name each record exactly once. A hashed key
// shared by two names is found as the other name.
bool ResourceImage::ValidatePlacement(std::string& error) const {
    for (Table names : {kSections, kKeys}) {
        const Table slots = static_cast<Table>(names + 1);
        if (!ValidateSlots(slots, m_count[names], m_count[names], error)) {
            return false;
        }
        for (uint32_t id = 0; id < m_count[names]; ++id) {
            uint64_t key[kHashWords];
            for (std::size_t w = 0; w < kHashWords; ++w) {
                key[w] = LoadU64(Record(names, id) + kNameKeyAt + 8 * w);
            }
            const uint32_t found = FindName(names, key);
            if (found != id) {
                return RecordError(
                    error, names, id,
                    found == kNone ? "not found through its slots"
                                   : "hashed key equal to that of record " + std::to_string(found));
            }
        }
    }
    if (!ValidateSlots(kPairSlots, m_count[kPairs], m_count[kPairs], error)) {
        return false;
    }
    uint32_t crowded = 0;
    for (uint32_t p = 0; p < m_count[kPairs]; ++p) {
        const unsigned char* record = Record(kPairs, p);
        const uint32_t s = LoadU32(record);
        const uint32_t k = LoadU32(record + 4);
        const uint32_t found = Probe(
            kPairSlots, PairHash(NameHash(kSections, s), NameHash(kKeys, k)), [&](uint32_t pair) {
                return pair < m_count[kPairs] && LoadU32(Record(kPairs, pair)) == s &&
                       LoadU32(Record(kPairs, pair) + 4) == k;
            });
        if (found != p) {
            return RecordError(error, kPairs, p, "not found through the pair slots");
        }
        const Range holders = Holders(p);
        crowded += holders.count > kScanLimit ? holders.count : 0;
    }
    if (!ValidateSlots(kHolderSlots, crowded, HolderCount(), error)) {
        return false;
    }
    for (uint32_t p = 0; p < m_count[kPairs]; ++p) {
        const Range holders = Holders(p);
        for (uint32_t h = holders.first;
             holders.count > kScanLimit && h < holders.first + holders.count; ++h) {
            if (FindHolderSlot(p, holders, HolderFile(h)) != h) {
                return RecordError(error, kHolderFiles, h, "not found through the holder slots");
            }
        }
    }
    return true;
}

}  // namespace fendrel
