#include "inspect/report/EntryDiff.h"

#include <tuple>

std::vector<EntryChange> DiffEntries(const EntryTable& from, const EntryTable& to) {
    std::vector<EntryChange> changes;
    auto a = from.m_entries.begin();
    auto b = to.m_entries.begin();
    const auto name = [](const StoreEntry& e) { return std::tie(*e.m_section, e.m_key); };
    while (a != from.m_entries.end() || b != to.m_entries.end()) {
        if (b == to.m_entries.end() || (a != from.m_entries.end() && name(*a) < name(*b))) {
            changes.push_back(EntryChange{"removed", &*a++, nullptr});
        } else if (a == from.m_entries.end() || name(*b) < name(*a)) {
            changes.push_back(EntryChange{"added", nullptr, &*b++});
        } else {
            if (a->m_origin.m_value != b->m_origin.m_value) {
                changes.push_back(EntryChange{"changed", &*a, &*b});
            }
            ++a;
            ++b;
        }
    }
    return changes;
}
