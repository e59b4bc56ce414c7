// The converted forms of the stored values that queries have asked for, found by where the
// value's text lies. Lookups take no lock: they probe the current table through atomic loads.
// A value asked for the first time is added under a lock; a table that fills up is replaced by
// a larger one, and the old one is kept, since a lookup may still be probing it.
#ifndef QUENDEL_RESOURCE_CONVERTEDVALUECACHE_H
#define QUENDEL_RESOURCE_CONVERTEDVALUECACHE_H

#include <atomic>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string_view>
#include <vector>

#include "resource/ConvertedValue.h"

class ConvertedValueCache {
  public:
    ConvertedValueCache() = default;
    ~ConvertedValueCache();
    ConvertedValueCache(const ConvertedValueCache&) = delete;
    ConvertedValueCache& operator=(const ConvertedValueCache&) = delete;

    // The forms of text, by the place and length of its characters: text must stay where it
    // is, unchanged, until Clear or the end of the cache.
    ConvertedValue& Of(std::string_view text);
    // Drops every value; never while a query may run.
    void Clear();

  private:
    struct Table {
        explicit Table(size_t size)
            : m_mask(size - 1), m_slots(new std::atomic<ConvertedValue*>[size]()) {}
        size_t m_mask;  // the size, a power of two, less one
        std::unique_ptr<std::atomic<ConvertedValue*>[]> m_slots;
    };

    static ConvertedValue* Find(const Table& table, std::string_view text);
    static void Place(Table& table, ConvertedValue* value);

    std::atomic<Table*> m_table{nullptr};
    std::mutex m_adding;  // held to add a value
    // Under m_adding: every table made (the current one last) and every value.
    std::vector<std::unique_ptr<Table>> m_tables;
    std::vector<std::unique_ptr<ConvertedValue>> m_values;
};

#endif
