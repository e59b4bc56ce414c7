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
                                uint32_t hash) const {
    const std::size_t mask = m_slots.size() - 1;
    std::size_t at = hash & mask;
    while (m_slots[at].entry != nullptr) {
        const Slot& slot = m_slots[at];
        if (slot.hash == hash && Same(*m_sections[slot.section].path, section) &&
            Same(slot.entry->first, key)) {
            break;
        }
        at = (at + 1) & mask;
    }
    return at;
}

const ParamEntry* MergedTable::Find(std::string_view section, std::string_view key,
                                    uint64_t hash) const {
    return m_slots.empty() ? nullptr
                           : m_slots[Locate(section, key, static_cast<uint32_t>(hash))].entry;
}

void MergedTable::Set(const std::string& section, const ParamEntry& entry) {
    if ((m_size + 1) * 2 > m_slots.size()) {
        Grow();
    }
    // Room for every section to come free, so that Reset never allocates.
    if (m_freeSections.capacity() <= m_sections.size()) {
        m_freeSections.reserve(2 * m_sections.size() + 16);
    }
    auto [id, added] = m_sectionIds.try_emplace(section, 0);
    if (added) {
        try {
            if (m_freeSections.empty()) {
                m_sections.push_back({&id->first, 0});
                id->second = static_cast<uint32_t>(m_sections.size() - 1);
            } else {
                id->second = m_freeSections.back();
                m_freeSections.pop_back();
                m_sections[id->second] = {&id->first, 0};
            }
        } catch (...) {
            m_sectionIds.erase(id);
            throw;
        }
    }
    bool blanks = false;
    const auto hash = static_cast<uint32_t>(Hash(section, entry.first, blanks));
    Slot& slot = m_slots[Locate(section, entry.first, hash)];
    if (slot.entry != nullptr) {
        slot.entry = &entry;
        return;
    }
    slot = Slot{hash, id->second, &entry};
    ++m_size;
    ++m_sections[id->second].entries;
}

// Backward-shift deletion: each entry after the hole moves into it unless its own slot lies
// between the hole and it, so every entry stays reachable from its slot without tombstones.
void MergedTable::Reset(std::string_view section, std::string_view key, const ParamEntry* lower) {
    bool blanks = false;
    const auto hash = static_cast<uint32_t>(Hash(section, key, blanks));
    std::size_t hole = m_slots.empty() ? 0 : Locate(section, key, hash);
    if (m_slots.empty() || m_slots[hole].entry == nullptr) {
        return;
    }
    if (lower != nullptr) {
        m_slots[hole].entry = lower;
        return;
    }
    Section& owner = m_sections[m_slots[hole].section];
    if (--owner.entries == 0) {
        m_freeSections.push_back(m_slots[hole].section);  // reserved by Set, cannot throw
        m_sectionIds.erase(m_sectionIds.find(*owner.path));
    }
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t at = (hole + 1) & mask; m_slots[at].entry != nullptr; at = (at + 1) & mask) {
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
    m_sectionIds.clear();
    m_sections.clear();
    m_freeSections.clear();
}

void MergedTable::Grow() {
    std::vector<Slot> grown(m_slots.empty() ? 16 : 2 * m_slots.size());
    const std::size_t mask = grown.size() - 1;
    for (const Slot& slot : m_slots) {
        if (slot.entry != nullptr) {
            std::size_t at = slot.hash & mask;
            while (grown[at].entry != nullptr) {
                at = (at + 1) & mask;
            }
            grown[at] = slot;
        }
    }
    m_slots.swap(grown);
}
