#include "textstore/MergedTable.h"

#include "resource/StringOps.h"

namespace {

constexpr uint64_t kMultiplier = 0x9e3779b97f4a7c15ULL;

// The 64-bit finaliser of MurmurHash3: the low bits that pick a slot depend on every input bit.
uint64_t Mix64(uint64_t x) {
    x ^= x >> 33;
    x *= 0xff51afd7ed558ccdULL;
    x ^= x >> 33;
    x *= 0xc4ceb9fe1a85ec53ULL;
    return x ^ (x >> 33);
}

uint64_t Fold(uint64_t h, uint64_t word) {
    return ((h << 27 | h >> 37) ^ word) * kMultiplier;
}

// Folds the length and the bytes of name into h, eight at a time, and collects in low the
// bytes below '!' (LowBytes) of each word on the way.
uint64_t HashName(std::string_view name, uint64_t h, uint64_t& low) {
    const char* p = name.data();
    std::size_t n = name.size();
    h = Fold(h, n);
    uint64_t word = 0;
    uint64_t lows = 0;
    for (; n > 8; n -= 8, p += 8) {
        std::memcpy(&word, p, 8);
        lows |= LowBytes(word);
        h = Fold(h, word);
    }
    if (n > 0) {
        word = ShortWord(p, n);
        lows |= LowBytes(word);
        h = Fold(h, word);
    }
    low |= lows;
    return h;
}

bool Same(const std::string& stored, std::string_view name) {
    return stored.size() == name.size() &&
           std::memcmp(stored.data(), name.data(), name.size()) == 0;
}

}  // namespace

// Only names with a byte below '!' are looked at again for spaces and tabs.
uint64_t MergedTable::Hash(std::string_view section, std::string_view key, bool& blanks) {
    uint64_t low = 0;
    const uint64_t h = HashName(key, HashName(section, 0, low), low);
    blanks = low != 0 && (HasBlank(section) || HasBlank(key));
    return Mix64(h);
}

std::size_t MergedTable::Locate(std::string_view section, std::string_view key,
                                uint64_t hash) const {
    const std::size_t mask = m_slots.size() - 1;
    std::size_t at = hash & mask;
    while (m_slots[at].value != nullptr) {
        const Slot& slot = m_slots[at];
        if (slot.hash == hash && Same(*slot.section, section) && Same(*slot.key, key)) {
            break;
        }
        at = (at + 1) & mask;
    }
    return at;
}

const std::string* MergedTable::Find(std::string_view section, std::string_view key,
                                     uint64_t hash) const {
    return m_slots.empty() ? nullptr : m_slots[Locate(section, key, hash)].value;
}

bool MergedTable::Set(const std::string& section, const std::string& key,
                      const std::string* value) {
    if ((m_size + 1) * 2 > m_slots.size()) {
        Grow();
    }
    bool blanks = false;
    const uint64_t hash = Hash(section, key, blanks);
    Slot& slot = m_slots[Locate(section, key, hash)];
    const bool added = slot.value == nullptr;
    if (added) {
        slot = Slot{hash, &section, &key, value};
        ++m_size;
    }
    slot.value = value;
    return added;
}

void MergedTable::Replace(std::string_view section, std::string_view key,
                          const std::string* value) {
    bool blanks = false;
    m_slots[Locate(section, key, Hash(section, key, blanks))].value = value;
}

// Backward-shift deletion: each entry after the hole moves into it unless its own slot lies
// between the hole and it, so every entry stays reachable from its slot without tombstones.
void MergedTable::Erase(std::string_view section, std::string_view key) {
    bool blanks = false;
    const std::size_t mask = m_slots.size() - 1;
    std::size_t hole = Locate(section, key, Hash(section, key, blanks));
    for (std::size_t at = (hole + 1) & mask; m_slots[at].value != nullptr; at = (at + 1) & mask) {
        const std::size_t home = m_slots[at].hash & mask;
        const bool stays = hole <= at ? hole < home && home <= at : hole < home || home <= at;
        if (!stays) {
            m_slots[hole] = m_slots[at];
            hole = at;
        }
    }
    m_slots[hole] = Slot{};
    --m_size;
}

void MergedTable::Clear() {
    m_slots.clear();
    m_size = 0;
}

void MergedTable::Grow() {
    std::vector<Slot> grown(m_slots.empty() ? 16 : 2 * m_slots.size());
    const std::size_t mask = grown.size() - 1;
    for (const Slot& slot : m_slots) {
        if (slot.value != nullptr) {
            std::size_t at = slot.hash & mask;
            while (grown[at].value != nullptr) {
                at = (at + 1) & mask;
            }
            grown[at] = slot;
        }
    }
    m_slots.swap(grown);
}
