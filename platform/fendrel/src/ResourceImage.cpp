#include "ResourceImage.h"

#include <algorithm>

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

}  // namespace

bool ResourceImage::Load(const std::string& path, std::string& error) {
    Clear();
    error.clear();
    unsigned char header[kHeaderSize];
    if (!m_file.Open(path, kMaxFileSize, error) ||
        !CheckHeader(header, m_file.ReadStart(header, sizeof header), error) ||
        !m_file.Map(error)) {
        Clear();
        return false;
    }
    m_bytes = m_file.Data();
    m_size = m_file.Size();
    if (!Validate(error)) {
        Clear();
        return false;
    }
    m_crowdedBits.assign(FileCount(), 0);
    for (uint32_t p = 0; p < m_count[kPairs]; ++p) {
        const Range holders = Holders(p);
        for (uint32_t h = holders.first;
             holders.count > kScanLimit && h < holders.first + holders.count; ++h) {
            m_crowdedBits[HolderFile(h)] |= CrowdedBit(p);
        }
    }
    return true;
}

void ResourceImage::Clear() {
    m_file.Close();
    m_bytes = nullptr;
    m_size = 0;
    std::fill(std::begin(m_table), std::end(m_table), nullptr);
    std::fill(std::begin(m_count), std::end(m_count), 0);
    m_crowdedBits.clear();
    ClearHashedPairSlots();
}

std::string_view ResourceImage::FilePath(uint32_t file) const {
    return file < FileCount() ? Text(Record(kFiles, file)) : std::string_view();
}

uint32_t ResourceImage::FindFile(std::string_view path) const {
    const uint32_t i = LowerBound(FileCount(), [&](uint32_t f) { return FilePath(f) < path; });
    return i < FileCount() && FilePath(i) == path ? i : kNone;
}

std::string_view ResourceImage::SectionText(uint32_t section) const {
    return section < SectionCount() ? Text(Record(kSections, section)) : std::string_view();
}

std::string_view ResourceImage::KeyText(uint32_t key) const {
    return key < KeyCount() ? Text(Record(kKeys, key)) : std::string_view();
}

uint32_t ResourceImage::FindSection(std::string_view text) const {
    const uint32_t i =
        LowerBound(SectionCount(), [&](uint32_t s) { return SectionText(s) < text; });
    return i < SectionCount() && SectionText(i) == text ? i : kNone;
}

uint64_t ResourceImage::NameHash(Table table, uint32_t id) const {
    return LoadU64(Record(table, id) + kNameTextHashAt);
}

uint32_t ResourceImage::FindName(Table table, const std::vector<uint64_t>& key) const {
    return key.size() == kHashWords ? FindName(table, key.data()) : kNone;
}

uint32_t ResourceImage::FindPair(std::string_view section, std::string_view key) const {
    const uint64_t sectionHash = TextHash(section);
    const uint64_t keyHash = TextHash(key);
    return PairOf(
        sectionHash, keyHash,
        [&](uint32_t s) { return NameIs(kSections, s, sectionHash, section); },
        [&](uint32_t k) { return NameIs(kKeys, k, keyHash, key); });
}

ResourceImage::Range ResourceImage::SectionPairs(uint32_t section) const {
    const uint32_t count = m_count[kPairs];
    auto sectionOf = [&](uint32_t p) { return LoadU32(Record(kPairs, p)); };
    const uint32_t first = LowerBound(count, [&](uint32_t p) { return sectionOf(p) < section; });
    const uint32_t end = LowerBound(count, [&](uint32_t p) { return sectionOf(p) <= section; });
    return {first, end - first};
}

uint32_t ResourceImage::PairKey(uint32_t pair) const {
    return pair < m_count[kPairs] ? LoadU32(Record(kPairs, pair) + 4) : kNone;
}

ResourceImage::Range ResourceImage::Holders(uint32_t pair) const {
    if (pair >= m_count[kPairs]) {
        return {0, 0};
    }
    const unsigned char* record = Record(kPairs, pair);
    const uint32_t first = LoadU32(record + 8);
    const uint32_t count = LoadU32(record + 12);
    const uint32_t holders = HolderCount();
    return first <= holders && count <= holders - first ? Range{first, count} : Range{0, 0};
}

uint32_t ResourceImage::HolderFile(uint32_t holder) const {
    return holder < HolderCount() ? LoadU32(Record(kHolderFiles, holder)) : kNone;
}

uint32_t ResourceImage::FindHolderSlot(uint32_t pair, Range holders, uint32_t file) const {
    // holders lies inside the holder tables (Holders checks it), so a holder of the run is read
    // without another check.
    return Probe(kHolderSlots, HolderHash(pair, file), [&](uint32_t holder) {
        return holder - holders.first < holders.count &&
               LoadU32(Record(kHolderFiles, holder)) == file;
    });
}

uint32_t ResourceImage::FindHolder(uint32_t pair, uint32_t file) const {
    const Range holders = Holders(pair);
    if (holders.count > kScanLimit) {
        return FindHolderSlot(pair, holders, file);
    }
    for (uint32_t h = holders.first; h < holders.first + holders.count; ++h) {
        if (HolderFile(h) == file) {
            return h;
        }
    }
    return kNone;
}

uint32_t ResourceImage::BestHolder(uint32_t pair, const std::vector<uint32_t>& rank,
                                   const std::vector<uint32_t>& crowdedRanked) const {
    const Range holders = Holders(pair);
    if (holders.count > kScanLimit) {
        const uint64_t bit = CrowdedBit(pair);
        for (uint32_t file : crowdedRanked) {
            const uint32_t h =
                (m_crowdedBits[file] & bit) != 0 ? FindHolderSlot(pair, holders, file) : kNone;
            if (h != kNone) {
                return h;
            }
        }
        return kNone;
    }
    const unsigned char* files = Record(kHolderFiles, holders.first);
    uint32_t best = kNone;
    uint32_t bestRank = kNone;
    for (uint32_t i = 0; i < holders.count; ++i) {
        const uint32_t file = LoadU32(files + 4 * std::size_t{i});
        const uint32_t r = file < rank.size() ? rank[file] : kNone;
        if (r < bestRank) {
            bestRank = r;
            best = holders.first + i;
        }
    }
    return best;
}

}  // namespace fendrel
