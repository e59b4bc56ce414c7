#include "ResourceImage.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <xxhash.h>

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <new>
#include <utility>

namespace fendrel {

using namespace format;

namespace {

// First index in [0, count) for which less(index) is false.
template <class Less>
uint32_t LowerBound(uint32_t count, Less less) {
    uint32_t low = 0;
    uint32_t high = count;
    while (low < high) {
        const uint32_t mid = low + (high - low) / 2;
        if (less(mid)) {
            low = mid + 1;
        } else {
            high = mid;
        }
    }
    return low;
}

int CompareHash(const unsigned char* stored, const uint64_t* words) {
    for (std::size_t i = 0; i < kHashWords; ++i) {
        const uint64_t word = LoadU64(stored + 8 * i);
        if (word != words[i]) {
            return word < words[i] ? -1 : 1;
        }
    }
    return 0;
}

int CompareStoredHashes(const unsigned char* a, const unsigned char* b) {
    uint64_t words[kHashWords];
    for (std::size_t i = 0; i < kHashWords; ++i) {
        words[i] = LoadU64(b + 8 * i);
    }
    return CompareHash(a, words);
}

bool Refuse(std::string& error, std::string reason) {
    error = std::move(reason);
    return false;
}

bool RecordError(std::string& error, Table table, uint32_t index, const std::string& what) {
    return Refuse(
        error, std::string(kTableName[table]) + " record " + std::to_string(index) + ": " + what);
}

std::string SystemError(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

std::string Hex(uint64_t value, int digits) {
    char text[19];
    std::snprintf(text, sizeof text, "0x%0*" PRIx64, digits, value);
    return text;
}

// Reads a regular file whole. Opening without blocking keeps a FIFO from hanging the caller;
// the size comes from the file itself, so no allocation is sized by file content.
bool ReadRegularFile(const std::string& path, std::unique_ptr<unsigned char[]>& bytes,
                     std::size_t& size, std::string& error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return Refuse(error, SystemError("cannot open"));
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        error = SystemError("cannot read");
    } else if (!S_ISREG(info.st_mode)) {
        error = "not a regular file";
    } else if (info.st_size < 0 || static_cast<uint64_t>(info.st_size) > kMaxFileSize) {
        error = "too large: " + std::to_string(info.st_size) +
                " bytes (a resource file stays below 4 GiB)";
    } else {
        size = static_cast<std::size_t>(info.st_size);
        bytes.reset(new (std::nothrow) unsigned char[size]);
        if (bytes == nullptr) {
            error = "not enough memory to read " + std::to_string(size) + " bytes";
        }
    }
    std::size_t done = 0;
    while (error.empty() && done < size) {
        const ssize_t got = ::read(fd, bytes.get() + done, size - done);
        if (got > 0) {
            done += static_cast<std::size_t>(got);
        } else if (got == 0) {
            error = "the file shrank while it was read";
        } else if (errno != EINTR) {
            error = SystemError("cannot read");
        }
    }
    ::close(fd);
    if (!error.empty()) {
        bytes.reset();
        return false;
    }
    return true;
}

std::string TooSmall(std::size_t size) {
    return "too small: " + std::to_string(size) + " bytes (a resource file has at least " +
           std::to_string(kHeaderSize) + ")";
}

}  // namespace

bool ResourceImage::Load(const std::string& path, std::string& error) {
    Clear();
    error.clear();
    if (!ReadRegularFile(path, m_bytes, m_size, error) || !Parse(error)) {
        Clear();
        return false;
    }
    return true;
}

void ResourceImage::Clear() {
    m_bytes.reset();
    m_size = 0;
    for (unsigned t = 0; t < kTableCount; ++t) {
        m_table[t] = nullptr;
        m_count[t] = 0;
    }
}

bool ResourceImage::Parse(std::string& error) {
    return CheckHeader(error) && ParseDirectory(error) && ValidateFiles(error) &&
           Sections().Validate(error) && Keys().Validate(error) && ValidatePairs(error);
}

// The fixed header fields, in the order that names the most telling fault: a file of another
// kind, another version, a cut-off copy, then damage anywhere (the checksum).
bool ResourceImage::CheckHeader(std::string& error) const {
    const unsigned char* b = m_bytes.get();
    if (m_size < sizeof kMagic || std::memcmp(b + kMagicOffset, kMagic, sizeof kMagic) != 0) {
        return Refuse(error,
                      m_size < kHeaderSize ? TooSmall(m_size) : "bad magic: not a resource file");
    }
    if (m_size < kChecksumStart + 8) {
        return Refuse(error, TooSmall(m_size));
    }
    const uint32_t version = LoadU32(b + kVersionOffset);
    if (version != kVersion) {
        return Refuse(error, "unknown format version " + std::to_string(version) +
                                 " (this parser reads version " + std::to_string(kVersion) + ")");
    }
    if (LoadU32(b + kFlagsOffset) != 0) {
        return Refuse(error, "unknown flags " + Hex(LoadU32(b + kFlagsOffset), 8));
    }
    const uint64_t recorded = LoadU64(b + kFileSizeOffset);
    if (recorded != m_size) {
        return Refuse(error, recorded > m_size
                                 ? "truncated at " + std::to_string(m_size) + " of " +
                                       std::to_string(recorded) + " bytes"
                                 : "size mismatch: the file has " + std::to_string(m_size) +
                                       " bytes, its header records " + std::to_string(recorded));
    }
    if (m_size < kHeaderSize) {
        return Refuse(error, TooSmall(m_size));
    }
    const uint64_t sum = XXH3_64bits(b + kChecksumStart, m_size - kChecksumStart);
    if (sum != LoadU64(b + kChecksumOffset)) {
        return Refuse(error, "checksum mismatch: the header records " +
                                 Hex(LoadU64(b + kChecksumOffset), 16) + ", the content gives " +
                                 Hex(sum, 16));
    }
    return true;
}

// Tables lie in directory order, without overlap, inside the file.
bool ResourceImage::ParseDirectory(std::string& error) {
    uint64_t end = kHeaderSize;
    for (unsigned t = 0; t < kTableCount; ++t) {
        const unsigned char* slot = m_bytes.get() + kDirectoryOffset + t * kDirectorySlotSize;
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
        m_table[t] = m_bytes.get() + offset;
        m_count[t] = static_cast<uint32_t>(count);  // below the file size, so it fits
        end = offset + count * kRecordSize[t];
    }
    return true;
}

const unsigned char* ResourceImage::Record(Table table, uint32_t index) const {
    return m_table[table] + static_cast<std::size_t>(index) * kRecordSize[table];
}

bool ResourceImage::ValidText(const unsigned char* ref) const {
    const uint32_t offset = LoadU32(ref);
    return offset <= m_count[kPool] && LoadU32(ref + 4) <= m_count[kPool] - offset;
}

std::string_view ResourceImage::Text(const unsigned char* ref) const {
    return {reinterpret_cast<const char*>(m_table[kPool]) + LoadU32(ref), LoadU32(ref + 4)};
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

std::string_view ResourceImage::FilePath(uint32_t file) const {
    return Text(Record(kFiles, file));
}

uint32_t ResourceImage::FindFile(std::string_view path) const {
    const uint32_t i = LowerBound(FileCount(), [&](uint32_t f) { return FilePath(f) < path; });
    return i < FileCount() && FilePath(i) == path ? i : kNone;
}

ResourceImage::NameTable ResourceImage::Sections() const {
    return {this,
            m_table[kSections],
            m_table[kSectionsByHash],
            m_count[kSections],
            m_count[kSectionsByHash],
            kSections};
}

ResourceImage::NameTable ResourceImage::Keys() const {
    return {this,           m_table[kKeys],       m_table[kKeysByHash],
            m_count[kKeys], m_count[kKeysByHash], kKeys};
}

std::string_view ResourceImage::NameTable::Text(uint32_t id) const {
    return image->Text(records + static_cast<std::size_t>(id) * kNameRecordSize);
}

const unsigned char* ResourceImage::NameTable::Hash(uint32_t id) const {
    return records + static_cast<std::size_t>(id) * kNameRecordSize + kTextRefSize;
}

uint32_t ResourceImage::NameTable::Find(std::string_view text) const {
    const uint32_t i = LowerBound(count, [&](uint32_t id) { return Text(id) < text; });
    return i < count && Text(i) == text ? i : kNone;
}

uint32_t ResourceImage::NameTable::Find(const std::vector<uint64_t>& hash) const {
    if (hash.size() != kHashWords) {
        return kNone;
    }
    auto idAt = [&](uint32_t i) { return LoadU32(byHash + std::size_t{i} * kIndexRecordSize); };
    const uint32_t i = LowerBound(
        count, [&](uint32_t at) { return CompareHash(Hash(idAt(at)), hash.data()) < 0; });
    return i < count && CompareHash(Hash(idAt(i)), hash.data()) == 0 ? idAt(i) : kNone;
}

// Texts strictly ascending; the index by hash holds as many ids as there are names, each in
// range, with strictly ascending hashes, which also makes it a permutation of the ids.
bool ResourceImage::NameTable::Validate(std::string& error) const {
    const Table index = static_cast<Table>(table + 1);
    for (uint32_t id = 0; id < count; ++id) {
        if (!image->ValidText(records + std::size_t{id} * kNameRecordSize)) {
            return RecordError(error, table, id, "name outside the string pool");
        }
        if (id > 0 && !(Text(id - 1) < Text(id))) {
            return RecordError(error, table, id,
                               "name not after the one before (names are strictly ascending)");
        }
    }
    if (byHashCount != count) {
        return Refuse(error, std::string(kTableName[index]) +
                                 " table: " + std::to_string(byHashCount) + " entries for " +
                                 std::to_string(count) + " names");
    }
    for (uint32_t at = 0; at < count; ++at) {
        const uint32_t id = LoadU32(byHash + std::size_t{at} * kIndexRecordSize);
        if (id >= count) {
            return RecordError(
                error, index, at,
                "id " + std::to_string(id) + " out of range (" + std::to_string(count) + " names)");
        }
        if (at > 0) {
            const uint32_t before = LoadU32(byHash + std::size_t{at - 1} * kIndexRecordSize);
            if (CompareStoredHashes(Hash(before), Hash(id)) >= 0) {
                return RecordError(error, index, at,
                                   "hashed key not above the one before (hashed keys are "
                                   "strictly ascending)");
            }
        }
    }
    return true;
}

// Pairs strictly ascending by (section, key), each owning a non-empty run of holders; the runs
// follow each other and cover the holder table exactly. Within a run the files are strictly
// ascending.
bool ResourceImage::ValidatePairs(std::string& error) const {
    const uint32_t holderCount = m_count[kHolders];
    const auto outOfRange = [](const char* what, uint32_t id, uint32_t count) {
        return std::string(what) + " id " + std::to_string(id) + " out of range (" +
               std::to_string(count) + " " + what + "s)";
    };
    uint32_t next = 0;
    for (uint32_t p = 0; p < m_count[kPairs]; ++p) {
        const unsigned char* rec = Record(kPairs, p);
        const uint32_t section = LoadU32(rec);
        const uint32_t key = LoadU32(rec + 4);
        const Range holders = Holders(p);
        if (section >= m_count[kSections]) {
            return RecordError(error, kPairs, p, outOfRange("section", section, SectionCount()));
        }
        if (key >= m_count[kKeys]) {
            return RecordError(error, kPairs, p, outOfRange("key", key, KeyCount()));
        }
        if (holders.first != next) {
            return RecordError(error, kPairs, p,
                               "holder run starts at " + std::to_string(holders.first) +
                                   ", not where the one before ends (" + std::to_string(next) +
                                   ")");
        }
        if (holders.count == 0) {
            return RecordError(error, kPairs, p, "empty holder run");
        }
        if (holders.count > holderCount - next) {
            return RecordError(error, kPairs, p,
                               "holder run of " + std::to_string(holders.count) +
                                   " passes the end of the holders table (" +
                                   std::to_string(holderCount) + " holders)");
        }
        if (p > 0) {
            const unsigned char* before = Record(kPairs, p - 1);
            const uint32_t beforeSection = LoadU32(before);
            if (beforeSection > section ||
                (beforeSection == section && LoadU32(before + 4) >= key)) {
                return RecordError(error, kPairs, p,
                                   "not after the one before (pairs are strictly ascending)");
            }
        }
        for (uint32_t h = holders.first; h < holders.first + holders.count; ++h) {
            const unsigned char* holder = Record(kHolders, h);
            if (LoadU32(holder) >= FileCount()) {
                return RecordError(error, kHolders, h,
                                   outOfRange("file", LoadU32(holder), FileCount()));
            }
            if (!ValidText(holder + 4)) {
                return RecordError(error, kHolders, h, "value outside the string pool");
            }
            if (h > holders.first && LoadU32(Record(kHolders, h - 1)) >= LoadU32(holder)) {
                return RecordError(
                    error, kHolders, h,
                    "file id not above the one before in its run (pair " + std::to_string(p) + ")");
            }
        }
        next += holders.count;
    }
    if (next != holderCount) {
        return Refuse(error, "holders table: the pairs' runs cover " + std::to_string(next) +
                                 " of " + std::to_string(holderCount) + " holders");
    }
    return true;
}

uint32_t ResourceImage::FindPair(uint32_t section, uint32_t key) const {
    const uint32_t count = m_count[kPairs];
    const uint32_t i = LowerBound(count, [&](uint32_t p) {
        const unsigned char* rec = Record(kPairs, p);
        const uint32_t s = LoadU32(rec);
        return s < section || (s == section && LoadU32(rec + 4) < key);
    });
    if (i < count && LoadU32(Record(kPairs, i)) == section &&
        LoadU32(Record(kPairs, i) + 4) == key) {
        return i;
    }
    return kNone;
}

ResourceImage::Range ResourceImage::SectionPairs(uint32_t section) const {
    const uint32_t count = m_count[kPairs];
    auto sectionOf = [&](uint32_t p) { return LoadU32(Record(kPairs, p)); };
    const uint32_t first = LowerBound(count, [&](uint32_t p) { return sectionOf(p) < section; });
    const uint32_t end = LowerBound(count, [&](uint32_t p) { return sectionOf(p) <= section; });
    return {first, end - first};
}

uint32_t ResourceImage::PairKey(uint32_t pair) const {
    return LoadU32(Record(kPairs, pair) + 4);
}

ResourceImage::Range ResourceImage::Holders(uint32_t pair) const {
    const unsigned char* rec = Record(kPairs, pair);
    return {LoadU32(rec + 8), LoadU32(rec + 12)};
}

uint32_t ResourceImage::HolderFile(uint32_t holder) const {
    return LoadU32(Record(kHolders, holder));
}

std::string_view ResourceImage::HolderValue(uint32_t holder) const {
    return Text(Record(kHolders, holder) + 4);
}

uint32_t ResourceImage::FindHolder(Range holders, uint32_t file) const {
    const uint32_t i = LowerBound(
        holders.count, [&](uint32_t at) { return HolderFile(holders.first + at) < file; });
    return i < holders.count && HolderFile(holders.first + i) == file ? holders.first + i : kNone;
}

}  // namespace fendrel
