// The entries a selection answers and where each value comes from, taken from the store that
// the library built: values are what its lookups return, origins what its provenance says.
#ifndef QUENDEL_TOOLS_STOREENTRIES_H
#define QUENDEL_TOOLS_STOREENTRIES_H

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "Selection.h"

struct EntryOrigin {
    // The layer: "user-defined", "clinical", "clinical base", "group clinical", "transducer",
    // "group", "base", the listed files ("File0", ...; "listed" in a resource file), and in a
    // resource file the product's own "group clinical (product)" and "transducer (product)".
    std::string m_layer;
    std::string m_file;  // text store: the file's path; binary store: the contained file
    size_t m_line = 0;   // 0 when not known (binary store)
};

struct StoreEntry {
    // One string per section, shared by its entries of one table: a section path may be as long
    // as the file it comes from.
    std::shared_ptr<const std::string> m_section;
    std::string m_key;
    std::string m_value;
    EntryOrigin m_origin;
};

struct EntryTable {
    std::vector<StoreEntry> m_entries;  // by section, then key, in byte order
    // Entries that the files hold but no lookup can reach: names with blanks inside, which
    // lookups remove.
    size_t m_unreachable = 0;
};

// The whole merged view of the selection.
EntryTable MergedEntries(Selection& selection);

// Every layer that holds the entry, highest precedence first: front() is the value a lookup
// returns, the others are what it overrides. Names as a lookup takes them.
std::vector<StoreEntry> EntryLayers(Selection& selection, const std::string& section,
                                    const std::string& key);

#endif
