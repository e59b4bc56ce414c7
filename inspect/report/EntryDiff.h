// What changes between two selections: entries only one of them answers, and entries both
// answer with different values.
#ifndef QUENDEL_INSPECT_REPORT_ENTRYDIFF_H
#define QUENDEL_INSPECT_REPORT_ENTRYDIFF_H

#include <string>
#include <vector>

#include "resource/IStoreProvenance.h"

struct EntryChange {
    std::string m_kind;                  // "added", "removed", "changed"
    const StoreEntry* m_from = nullptr;  // null for "added"
    const StoreEntry* m_to = nullptr;    // null for "removed"
};

// Both tables sorted by section and key, as the stores give them; the changes point into them,
// in the same order.
std::vector<EntryChange> DiffEntries(const EntryTable& from, const EntryTable& to);

#endif
