// The lookups of a pair with a hashed key: one probe sequence in pair slots of their own, which
// the first lookup of each form makes in the parser's memory, instead of finding the section or
// the key through its slots first. FORMAT.md ("Lookups") describes them.
#include <new>

#include "ResourceImage.h"

namespace fendrel {

using namespace format;

namespace {

// A power of two above twice count, and at least two, so that probes stay short and always meet
// an empty slot.
uint32_t SlotCount(uint32_t count) {
    uint32_t size = 2;
    while (size <= 2 * uint64_t{count}) {
        size *= 2;
    }
    return size;
}

// A name as these slots hash it: a hashed key by its words, which are hashes already (of the
// text, or fixed identifiers of the same kind), a text by its stored text hash.
uint64_t WordsHash(const uint64_t* key) {
    return key[0] ^ key[1] ^ key[2] ^ key[3];
}

// One multiplication, its high bits picking the slot: the pair hash of the file mixes twice as
// much, which a lookup would wait for.
uint32_t Slot(uint64_t sectionHash, uint64_t keyHash, uint32_t shift) {
    const uint64_t mixed = (sectionHash ^ (keyHash << 31 | keyHash >> 33)) * 0x9e3779b97f4a7c15ULL;
    return static_cast<uint32_t>(mixed >> shift);
}

}  // namespace

const ResourceImage::HashedSlots* ResourceImage::HashedPairSlots(HashedForm form) const {
    const HashedSlots* slots = m_hashed[form].load(std::memory_order_acquire);
    return slots != nullptr ? slots : MakeHashedPairSlots(form);
}

// Every pair at the slot of its hash as the lookups of the form compute it: from the hashed key
// where they name a section or key by one, from the text hash (stored) where they name it by
// text. Record ids were checked at load, so they are read without another check.
const ResourceImage::HashedSlots* ResourceImage::MakeHashedPairSlots(HashedForm form) const {
    std::lock_guard<std::mutex> lock(m_hashedMaking);
    if (const HashedSlots* made = m_hashed[form].load(std::memory_order_relaxed)) {
        return made;
    }
    const auto nameHashes = [this](Table table, bool hashed) {
        std::unique_ptr<uint64_t[]> hashes(new (std::nothrow) uint64_t[m_count[table] + 1]);
        for (uint32_t id = 0; hashes != nullptr && id < m_count[table]; ++id) {
            uint64_t key[kHashWords];
            for (std::size_t w = 0; hashed && w < kHashWords; ++w) {
                key[w] = LoadU64(Record(table, id) + kNameKeyAt + 8 * w);
            }
            hashes[id] = hashed ? WordsHash(key) : NameHash(table, id);
        }
        return hashes;
    };
    const auto sectionHashes = nameHashes(kSections, form != kHashedKey);
    const auto keyHashes = nameHashes(kKeys, form != kHashedSection);
    const uint32_t size = SlotCount(m_count[kPairs]);
    auto slots = std::unique_ptr<HashedSlots>(new (std::nothrow) HashedSlots);
    if (slots != nullptr) {
        slots->m_slots.reset(new (std::nothrow) uint32_t[size]());
    }
    if (sectionHashes == nullptr || keyHashes == nullptr || slots == nullptr ||
        slots->m_slots == nullptr) {
        return nullptr;
    }
    uint32_t bits = 1;
    while (uint64_t{1} << bits < size) {
        ++bits;
    }
    slots->m_mask = size - 1;
    slots->m_shift = 64 - bits;
    for (uint32_t pair = 0; pair < m_count[kPairs]; ++pair) {
        const unsigned char* record = Record(kPairs, pair);
        uint32_t at =
            Slot(sectionHashes[LoadU32(record)], keyHashes[LoadU32(record + 4)], slots->m_shift);
        while (slots->m_slots[at] != 0) {
            at = (at + 1) & slots->m_mask;
        }
        slots->m_slots[at] = pair + 1;
    }
    m_hashedOwned[form] = std::move(slots);
    m_hashed[form].store(m_hashedOwned[form].get(), std::memory_order_release);
    return m_hashedOwned[form].get();
}

void ResourceImage::ClearHashedPairSlots() {
    for (int form = 0; form < kHashedFormCount; ++form) {
        m_hashed[form].store(nullptr, std::memory_order_relaxed);
        m_hashedOwned[form].reset();
    }
}

template <class Match>
uint32_t ResourceImage::ProbeHashed(const HashedSlots& slots, uint64_t sectionHash,
                                    uint64_t keyHash, Match match) const {
    for (uint32_t at = Slot(sectionHash, keyHash, slots.m_shift);; at = (at + 1) & slots.m_mask) {
        const uint32_t slot = slots.m_slots[at];
        if (slot == 0) {
            return kNone;
        }
        if (match(slot - 1)) {
            return slot - 1;
        }
    }
}

uint32_t ResourceImage::FindPair(const std::vector<uint64_t>& section, std::string_view key) const {
    if (section.size() != kHashWords) {
        return kNone;
    }
    const HashedSlots* slots = HashedPairSlots(kHashedSection);
    const uint64_t keyHash = TextHash(key);
    if (slots == nullptr) {
        const uint32_t s = FindName(kSections, section.data());
        return s == kNone
                   ? kNone
                   : PairOf(
                         NameHash(kSections, s), keyHash, [s](uint32_t id) { return id == s; },
                         [&](uint32_t k) { return NameIs(kKeys, k, keyHash, key); });
    }
    return ProbeHashed(*slots, WordsHash(section.data()), keyHash, [&](uint32_t pair) {
        uint32_t s = 0;
        uint32_t k = 0;
        return PairNames(pair, s, k) && NameKeyIs(kSections, s, section.data()) &&
               NameIs(kKeys, k, keyHash, key);
    });
}

uint32_t ResourceImage::FindPair(std::string_view section, const std::vector<uint64_t>& key) const {
    if (key.size() != kHashWords) {
        return kNone;
    }
    const HashedSlots* slots = HashedPairSlots(kHashedKey);
    const uint64_t sectionHash = TextHash(section);
    if (slots == nullptr) {
        const uint32_t k = FindName(kKeys, key.data());
        return k == kNone
                   ? kNone
                   : PairOf(
                         sectionHash, NameHash(kKeys, k),
                         [&](uint32_t s) { return NameIs(kSections, s, sectionHash, section); },
                         [k](uint32_t id) { return id == k; });
    }
    return ProbeHashed(*slots, sectionHash, WordsHash(key.data()), [&](uint32_t pair) {
        uint32_t s = 0;
        uint32_t k = 0;
        return PairNames(pair, s, k) && NameKeyIs(kKeys, k, key.data()) &&
               NameIs(kSections, s, sectionHash, section);
    });
}

uint32_t ResourceImage::FindPair(const std::vector<uint64_t>& section,
                                 const std::vector<uint64_t>& key) const {
    if (section.size() != kHashWords || key.size() != kHashWords) {
        return kNone;
    }
    const HashedSlots* slots = HashedPairSlots(kHashedBoth);
    if (slots == nullptr) {
        const uint32_t s = FindName(kSections, section.data());
        const uint32_t k = s == kNone ? kNone : FindName(kKeys, key.data());
        return k == kNone ? kNone
                          : PairOf(
                                NameHash(kSections, s), NameHash(kKeys, k),
                                [s](uint32_t id) { return id == s; },
                                [k](uint32_t id) { return id == k; });
    }
    return ProbeHashed(
        *slots, WordsHash(section.data()), WordsHash(key.data()), [&](uint32_t pair) {
            uint32_t s = 0;
            uint32_t k = 0;
            return PairNames(pair, s, k) && NameKeyIs(kSections, s, section.data()) &&
                   NameKeyIs(kKeys, k, key.data());
        });
}

}  // namespace fendrel
