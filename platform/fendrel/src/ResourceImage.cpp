#include "ResourceImage.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <xxhash.h>

#include <cerrno>
#include <cstring>
#include <new>

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

// Reads a regular file whole. Opening without blocking keeps a FIFO from hanging the caller;
// the size comes from the file itself, so no allocation is sized by file content.
bool ReadRegularFile(const std::string& path, std::unique_ptr<unsigned char[]>& bytes,
                     std::size_t& size) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat info {};
    bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size >= 0 &&
              static_cast<uint64_t>(info.st_size) >= kHeaderSize &&
              static_cast<uint64_t>(info.st_size) <= kMaxFileSize;
    if (ok) {
        size = static_cast<std::size_t>(info.st_size);
        bytes.reset(new (std::nothrow) unsigned char[size]);
        ok = bytes != nullptr;
    }
    std::size_t done = 0;
    while (ok && done < size) {
        const ssize_t got = ::read(fd, bytes.get() + done, size - done);
        if (got > 0) {
            done += static_cast<std::size_t>(got);
        } else if (got == 0 || errno != EINTR) {
            ok = false;  // shrank under us, or a read error
        }
    }
    ::close(fd);
    if (!ok) {
        bytes.reset();
    }
    return ok;
}

}  // namespace

bool ResourceImage::Load(const std::string& path) {
    Clear();
    if (!ReadRegularFile(path, m_bytes, m_size) || !Parse()) {
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

bool ResourceImage::Parse() {
    const unsigned char* b = m_bytes.get();
    if (std::memcmp(b + kMagicOffset, kMagic, sizeof kMagic) != 0 ||
        LoadU32(b + kVersionOffset) != kVersion || LoadU32(b + kFlagsOffset) != 0 ||
        LoadU64(b + kFileSizeOffset) != m_size) {
        return false;
    }
    if (XXH3_64bits(b + kChecksumStart, m_size - kChecksumStart) != LoadU64(b + kChecksumOffset)) {
        return false;
    }
    return ParseDirectory() && ValidateFiles() && Sections().Validate() && Keys().Validate() &&
           ValidatePairs();
}

// Tables lie in directory order, without overlap, inside the file.
bool ResourceImage::ParseDirectory() {
    uint64_t end = kHeaderSize;
    for (unsigned t = 0; t < kTableCount; ++t) {
        const unsigned char* slot = m_bytes.get() + kDirectoryOffset + t * kDirectorySlotSize;
        const uint64_t offset = LoadU64(slot);
        const uint64_t count = LoadU64(slot + 8);
        if (offset < end || offset > m_size || count > (m_size - offset) / kRecordSize[t]) {
            return false;
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
bool ResourceImage::ValidateFiles() const {
    for (uint32_t i = 0; i < FileCount(); ++i) {
        const unsigned char* ref = Record(kFiles, i);
        if (!ValidText(ref) || LoadU32(ref + 4) == 0) {
            return false;
        }
        if (i > 0 && !(Text(Record(kFiles, i - 1)) < Text(ref))) {
            return false;
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
    return {this, m_table[kSections], m_table[kSectionsByHash], m_count[kSections],
            m_count[kSectionsByHash]};
}

ResourceImage::NameTable ResourceImage::Keys() const {
    return {this, m_table[kKeys], m_table[kKeysByHash], m_count[kKeys], m_count[kKeysByHash]};
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
bool ResourceImage::NameTable::Validate() const {
    for (uint32_t id = 0; id < count; ++id) {
        if (!image->ValidText(records + std::size_t{id} * kNameRecordSize)) {
            return false;
        }
        if (id > 0 && !(Text(id - 1) < Text(id))) {
            return false;
        }
    }
    if (byHashCount != count) {
        return false;
    }
    for (uint32_t at = 0; at < count; ++at) {
        const uint32_t id = LoadU32(byHash + std::size_t{at} * kIndexRecordSize);
        if (id >= count) {
            return false;
        }
        if (at > 0) {
            const uint32_t before = LoadU32(byHash + std::size_t{at - 1} * kIndexRecordSize);
            if (CompareStoredHashes(Hash(before), Hash(id)) >= 0) {
                return false;
            }
        }
    }
    return true;
}

// Pairs strictly ascending by (section, key), each owning a non-empty run of holders; the runs
// follow each other and cover the holder table exactly. Within a run the files are strictly
// ascending.
bool ResourceImage::ValidatePairs() const {
    const uint32_t holderCount = m_count[kHolders];
    uint32_t next = 0;
    for (uint32_t p = 0; p < m_count[kPairs]; ++p) {
        const unsigned char* rec = Record(kPairs, p);
        const uint32_t section = LoadU32(rec);
        const uint32_t key = LoadU32(rec + 4);
        const Range holders = Holders(p);
        if (section >= m_count[kSections] || key >= m_count[kKeys] || holders.first != next ||
            holders.count == 0 || holders.count > holderCount - next) {
            return false;
        }
        if (p > 0) {
            const unsigned char* before = Record(kPairs, p - 1);
            const uint32_t beforeSection = LoadU32(before);
            if (beforeSection > section ||
                (beforeSection == section && LoadU32(before + 4) >= key)) {
                return false;
            }
        }
        for (uint32_t h = holders.first; h < holders.first + holders.count; ++h) {
            const unsigned char* holder = Record(kHolders, h);
            if (LoadU32(holder) >= FileCount() || !ValidText(holder + 4)) {
                return false;
            }
            if (h > holders.first && LoadU32(Record(kHolders, h - 1)) >= LoadU32(holder)) {
                return false;
            }
        }
        next += holders.count;
    }
    return next == holderCount;
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
