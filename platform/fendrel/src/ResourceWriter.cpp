#include "fendrel/ResourceWriter.h"

#include <algorithm>
#include <iterator>
#include <numeric>
#include <unordered_map>

#include "Format.h"

namespace fendrel {

using namespace format;

namespace {

// Section paths or key names in text order (their ids), with their hashed keys.
struct NameSet {
    std::map<std::string_view, uint32_t> ids;
    std::vector<std::string_view> texts;
    std::vector<KeyWords> hashes;
};

// Appends every text once and hands out its pool reference.
class Pool {
  public:
    std::pair<uint32_t, uint32_t> Add(std::string_view text) {
        auto [it, added] = m_offsets.try_emplace(text, static_cast<uint32_t>(m_bytes.size()));
        if (added) {
            m_bytes.append(text);
        }
        return {it->second, static_cast<uint32_t>(text.size())};
    }
    const std::string& Bytes() const { return m_bytes; }

  private:
    std::string m_bytes;
    std::unordered_map<std::string_view, uint32_t> m_offsets;
};

struct Holder {
    uint32_t file;
    std::string_view value;
};

// Names and their hashed keys; two names sharing a hashed key could not be told apart.
bool FinishNames(NameSet& names, const std::map<std::string, KeyWords, std::less<>>& fixed,
                 const char* what, std::string& error) {
    uint32_t id = 0;
    for (auto& [text, slot] : names.ids) {
        slot = id++;
        names.texts.push_back(text);
        const auto it = fixed.find(text);
        names.hashes.push_back(it != fixed.end() ? it->second : TextKey(text));
    }
    std::vector<uint32_t> byHash(names.texts.size());
    std::iota(byHash.begin(), byHash.end(), 0);
    std::sort(byHash.begin(), byHash.end(),
              [&](uint32_t a, uint32_t b) { return names.hashes[a] < names.hashes[b]; });
    for (std::size_t i = 1; i < byHash.size(); ++i) {
        const uint32_t a = byHash[i - 1];
        const uint32_t b = byHash[i];
        if (names.hashes[a] == names.hashes[b]) {
            error = std::string("the ") + what + " \"" + std::string(names.texts[a]) + "\" and \"" +
                    std::string(names.texts[b]) + "\" have the same hashed key";
            return false;
        }
    }
    return true;
}

// A slot table placing records 0 to hashes.size() - 1 by linear probing: a power of two of at
// least twice as many slots, at least one.
std::vector<uint32_t> SlotTable(const std::vector<uint64_t>& hashes) {
    std::size_t size = 1;
    while (size < 2 * hashes.size()) {
        size *= 2;
    }
    std::vector<uint32_t> slots(size, 0);
    for (std::size_t id = 0; id < hashes.size(); ++id) {
        std::size_t at = hashes[id] & (size - 1);
        while (slots[at] != 0) {
            at = (at + 1) & (size - 1);
        }
        slots[at] = static_cast<uint32_t>(id + 1);
    }
    return slots;
}

std::size_t Align(std::size_t offset) {
    return (offset + kTableAlignment - 1) / kTableAlignment * kTableAlignment;
}

unsigned char* At(std::string& image, std::size_t offset) {
    return reinterpret_cast<unsigned char*>(&image[offset]);
}

void StoreText(unsigned char* p, std::pair<uint32_t, uint32_t> ref) {
    StoreU32(p, ref.first);
    StoreU32(p + 4, ref.second);
}

void StoreNames(std::string& image, std::size_t records, const NameSet& names, Pool& pool) {
    for (std::size_t id = 0; id < names.texts.size(); ++id) {
        unsigned char* rec = At(image, records + id * kNameRecordSize);
        StoreText(rec, pool.Add(names.texts[id]));
        StoreU64(rec + kNameTextHashAt, TextHash(names.texts[id]));
        for (std::size_t w = 0; w < kHashWords; ++w) {
            StoreU64(rec + kNameKeyAt + 8 * w, names.hashes[id][w]);
        }
    }
}

void StoreSlots(std::string& image, std::size_t offset, const std::vector<uint32_t>& slots) {
    for (std::size_t at = 0; at < slots.size(); ++at) {
        StoreU32(At(image, offset + at * kSlotSize), slots[at]);
    }
}

std::vector<uint64_t> KeyHashes(const NameSet& names) {
    std::vector<uint64_t> hashes;
    for (const KeyWords& key : names.hashes) {
        hashes.push_back(KeyHash(key.data()));
    }
    return hashes;
}

}  // namespace

KeyWords TextKey(std::string_view text) {
    const XXH128_hash_t h = XXH3_128bits(text.data(), text.size());
    return {h.low64, h.high64, 0, 0};
}

void ResourceWriter::SetFixedKeys(std::map<std::string, KeyWords, std::less<>> keys) {
    m_fixedKeys = std::move(keys);
}

bool ResourceWriter::AddFile(const std::string& path, const std::vector<ResourceEntry>& entries,
                             std::string& error) {
    FileSections sections;
    for (const ResourceEntry& e : entries) {
        sections[e.section][e.key] = e.value;
    }
    return AddFileSections(path, std::move(sections), error);
}

bool ResourceWriter::AddFileSections(const std::string& path, FileSections sections,
                                     std::string& error) {
    if (path.empty()) {
        error = "a contained file needs a path";
        return false;
    }
    auto [it, added] = m_files.try_emplace(path);
    if (!added) {
        error = "the file \"" + path + "\" was added twice";
        return false;
    }
    // A section without keys holds no pair, so it is no name of the resource file either.
    for (auto section = sections.begin(); section != sections.end();) {
        section = section->second.empty() ? sections.erase(section) : std::next(section);
    }
    it->second = std::move(sections);
    return true;
}

bool ResourceWriter::Build(std::string& image, std::string& error) const {
    NameSet sections;
    NameSet keys;
    for (const auto& [path, fileSections] : m_files) {
        for (const auto& [section, entries] : fileSections) {
            sections.ids.try_emplace(section, 0);
            for (const auto& entry : entries) {
                keys.ids.try_emplace(entry.first, 0);
            }
        }
    }
    if (!FinishNames(sections, m_fixedKeys, "sections", error) ||
        !FinishNames(keys, m_fixedKeys, "keys", error)) {
        return false;
    }

    // Files in path order are numbered as they come, so every holder list is in file order.
    std::map<std::pair<uint32_t, uint32_t>, std::vector<Holder>> pairs;
    std::size_t holderCount = 0;
    uint32_t file = 0;
    for (const auto& [path, fileSections] : m_files) {
        for (const auto& [section, entries] : fileSections) {
            const uint32_t sectionId = sections.ids.at(section);
            for (const auto& [key, value] : entries) {
                pairs[{sectionId, keys.ids.at(key)}].push_back({file, value});
                ++holderCount;
            }
        }
        ++file;
    }
    if (holderCount >= kMaxFileSize / 12) {
        error = "the resource file would reach 4 GiB";
        return false;
    }

    std::vector<uint64_t> pairHashes;
    std::vector<uint64_t> crowdedHashes;  // by holder id; only crowded holders are placed
    std::vector<uint32_t> crowdedIds;
    uint32_t holderId = 0;
    for (const auto& [ids, holders] : pairs) {
        const auto pairId = static_cast<uint32_t>(pairHashes.size());
        pairHashes.push_back(
            PairHash(TextHash(sections.texts[ids.first]), TextHash(keys.texts[ids.second])));
        for (const Holder& h : holders) {
            if (holders.size() > kScanLimit) {
                crowdedHashes.push_back(HolderHash(pairId, h.file));
                crowdedIds.push_back(holderId);
            }
            ++holderId;
        }
    }
    std::vector<uint32_t> holderSlots = SlotTable(crowdedHashes);
    for (uint32_t& slot : holderSlots) {
        slot = slot == 0 ? 0 : crowdedIds[slot - 1] + 1;
    }
    const std::vector<uint32_t> slotTables[kTableCount] = {{},
                                                           {},
                                                           SlotTable(KeyHashes(sections)),
                                                           {},
                                                           SlotTable(KeyHashes(keys)),
                                                           {},
                                                           SlotTable(pairHashes),
                                                           {},
                                                           {},
                                                           holderSlots,
                                                           {}};

    const std::size_t counts[kTableCount] = {m_files.size(),
                                             sections.texts.size(),
                                             slotTables[kSectionSlots].size(),
                                             keys.texts.size(),
                                             slotTables[kKeySlots].size(),
                                             pairs.size(),
                                             slotTables[kPairSlots].size(),
                                             holderCount,
                                             holderCount,
                                             slotTables[kHolderSlots].size(),
                                             0};
    std::size_t offsets[kTableCount] = {};
    std::size_t end = kHeaderSize;
    for (unsigned t = 0; t < kPool; ++t) {
        offsets[t] = Align(end);
        end = offsets[t] + counts[t] * kRecordSize[t];
    }
    offsets[kPool] = Align(end);
    if (offsets[kPool] > kMaxFileSize) {
        error = "the resource file would reach 4 GiB";
        return false;
    }
    image.assign(offsets[kPool], '\0');

    Pool pool;
    uint32_t index = 0;
    for (const auto& entry : m_files) {
        StoreText(At(image, offsets[kFiles] + index++ * kTextRefSize), pool.Add(entry.first));
    }
    StoreNames(image, offsets[kSections], sections, pool);
    StoreNames(image, offsets[kKeys], keys, pool);
    for (Table t : {kSectionSlots, kKeySlots, kPairSlots, kHolderSlots}) {
        StoreSlots(image, offsets[t], slotTables[t]);
    }
    uint32_t pairIndex = 0;
    uint32_t holderIndex = 0;
    for (const auto& [ids, holders] : pairs) {
        unsigned char* rec = At(image, offsets[kPairs] + pairIndex++ * kPairRecordSize);
        StoreU32(rec, ids.first);
        StoreU32(rec + 4, ids.second);
        StoreU32(rec + 8, holderIndex);
        StoreU32(rec + 12, static_cast<uint32_t>(holders.size()));
        for (const Holder& h : holders) {
            StoreU32(At(image, offsets[kHolderFiles] + holderIndex * 4), h.file);
            StoreText(At(image, offsets[kHolderValues] + holderIndex * kTextRefSize),
                      pool.Add(h.value));
            ++holderIndex;
        }
    }
    if (image.size() + pool.Bytes().size() > kMaxFileSize) {
        error = "the resource file would reach 4 GiB";
        return false;
    }
    image += pool.Bytes();

    unsigned char* header = At(image, 0);
    std::copy(std::begin(kMagic), std::end(kMagic), header + kMagicOffset);
    StoreU32(header + kVersionOffset, kVersion);
    StoreU64(header + kFileSizeOffset, image.size());
    for (unsigned t = 0; t < kTableCount; ++t) {
        unsigned char* slot = header + kDirectoryOffset + t * kDirectorySlotSize;
        StoreU64(slot, offsets[t]);
        StoreU64(slot + 8, t == kPool ? pool.Bytes().size() : counts[t]);
    }
    StoreU64(header + kChecksumOffset,
             XXH3_64bits(image.data() + kChecksumStart, image.size() - kChecksumStart));
    return true;
}

}  // namespace fendrel
