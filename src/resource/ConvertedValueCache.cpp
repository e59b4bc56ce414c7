#include "resource/ConvertedValueCache.h"

#include <cstdint>

namespace {

constexpr size_t kFirstTableSize = 64;

// The 64-bit finaliser of MurmurHash3: the low bits that pick a slot depend on every bit of the
// address, whose low bits alone are mostly alike.
uint64_t Mix64(uint64_t x) {
    x ^= x >> 33;
    x *= 0xff51afd7ed558ccdULL;
    x ^= x >> 33;
    x *= 0xc4ceb9fe1a85ec53ULL;
    return x ^ (x >> 33);
}

size_t SlotOf(std::string_view text, size_t mask) {
    return Mix64(reinterpret_cast<uintptr_t>(text.data()) ^ uint64_t{text.size()} << 48) & mask;
}

bool Same(const ConvertedValue& value, std::string_view text) {
    return value.Text().data() == text.data() && value.Text().size() == text.size();
}

}  // namespace

ConvertedValueCache::~ConvertedValueCache() = default;

ConvertedValue* ConvertedValueCache::Find(const Table& table, std::string_view text) {
    for (size_t at = SlotOf(text, table.m_mask);; at = (at + 1) & table.m_mask) {
        ConvertedValue* value = table.m_slots[at].load(std::memory_order_acquire);
        if (value == nullptr || Same(*value, text)) {
            return value;
        }
    }
}

// Tables stay at most half full, so every probe meets an empty slot.
void ConvertedValueCache::Place(Table& table, ConvertedValue* value) {
    size_t at = SlotOf(value->Text(), table.m_mask);
    while (table.m_slots[at].load(std::memory_order_relaxed) != nullptr) {
        at = (at + 1) & table.m_mask;
    }
    table.m_slots[at].store(value, std::memory_order_release);
}

ConvertedValue& ConvertedValueCache::Of(std::string_view text) {
    if (const Table* table = m_table.load(std::memory_order_acquire)) {
        if (ConvertedValue* value = Find(*table, text)) {
            return *value;
        }
    }
    std::lock_guard<std::mutex> lock(m_adding);
    Table* table = m_table.load(std::memory_order_relaxed);
    if (table != nullptr) {
        if (ConvertedValue* value = Find(*table, text)) {
            return *value;
        }
    }
    auto value = std::make_unique<ConvertedValue>(text);
    m_values.reserve(m_values.size() + 1);
    if (table == nullptr || (m_values.size() + 1) * 2 > table->m_mask + 1) {
        auto grown =
            std::make_unique<Table>(table == nullptr ? kFirstTableSize : 2 * (table->m_mask + 1));
        for (const auto& held : m_values) {
            Place(*grown, held.get());
        }
        m_tables.reserve(m_tables.size() + 1);
        table = grown.get();
        m_tables.push_back(std::move(grown));
        m_table.store(table, std::memory_order_release);
    }
    Place(*table, value.get());
    m_values.push_back(std::move(value));
    return *m_values.back();
}

void ConvertedValueCache::Clear() {
    std::lock_guard<std::mutex> lock(m_adding);
    m_table.store(nullptr, std::memory_order_relaxed);
    m_tables.clear();
    m_values.clear();
}
