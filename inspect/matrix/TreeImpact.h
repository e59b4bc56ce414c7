// What changes between two versions of a tree, for every selection: each change of an entry's
// value with the selections it reaches, the changes in files that no selection sees (a higher
// layer outranks them), and the selections that come or go. Only the files that differ, and the
// files of the selections that read them, are read.
#ifndef QUENDEL_INSPECT_MATRIX_TREEIMPACT_H
#define QUENDEL_INSPECT_MATRIX_TREEIMPACT_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "fileset/FileSet.h"
#include "inspect/matrix/SelectionSet.h"
#include "resource/IStoreProvenance.h"

// One version: the tree the location places, read as the store says, on disk or (text store)
// as a git revision holds it.
struct ImpactSide {
    TreeLocation m_tree;
    StoreKind m_store = StoreKind::kText;
    std::string m_revision;  // empty: the disk
};

// Where a value comes from: the file below its tree, its line (0 in a resource file) and layer,
// the names kept once in the impact (TreeImpact::m_names).
struct ImpactPlace {
    static constexpr uint32_t kNone = UINT32_MAX;
    uint32_t m_file = kNone;  // kNone: the entry is absent
    size_t m_line = 0;
    uint32_t m_layer = kNone;
    bool operator==(const ImpactPlace& other) const {
        return m_file == other.m_file && m_line == other.m_line && m_layer == other.m_layer;
    }
};

// One change of one entry, the same in every selection it lists. The texts point into the files
// the impact keeps (null where the entry is absent): a change of a whole tree holds every value
// of it, which are not copied.
struct ImpactChange {
    const std::string* m_section = nullptr;
    const std::string* m_key = nullptr;
    const std::string* m_from = nullptr;  // null: the entry is new in these selections
    const std::string* m_to = nullptr;    // null: the entry is gone
    std::vector<bool> m_selections;       // one flag per TreeImpact::m_selections
    size_t m_count = 0;                   // of selections reached
    // The distinct (from, to) winners, the first kShownPlaces of them; m_morePlaces says how
    // many others there are.
    std::vector<std::pair<ImpactPlace, ImpactPlace>> m_places;
    size_t m_morePlaces = 0;
    static constexpr size_t kShownPlaces = 3;
};

// A setting that changed in a file without changing what any selection gets.
struct MaskedChange {
    std::string m_file;
    size_t m_line = 0;  // in the newer version, or the older one for a removed setting
    std::string m_section;
    std::string m_key;
    std::optional<std::string> m_from;
    std::optional<std::string> m_to;
};

struct TreeImpact {
    std::string m_from;  // "text store examples/shipped/dev/Quendel/, revision HEAD~1 (...)"
    std::string m_to;
    std::vector<SelectionName> m_selections;  // the selections both versions offer
    std::vector<ImpactChange> m_changes;      // by section, key, then values
    std::vector<MaskedChange> m_masked;       // by file, line
    std::vector<SelectionName> m_added;       // offered by the newer version only
    std::vector<SelectionName> m_removed;     // by the older version only
    size_t m_changedFiles = 0;
    std::vector<std::string> m_names;  // the files and layers of the places
    // The files the changes' texts point into.
    std::vector<std::shared_ptr<const void>> m_kept;

    bool Changed() const {
        return !m_changes.empty() || !m_masked.empty() || !m_added.empty() || !m_removed.empty();
    }
    static const std::string& Text(const std::string* text) {
        static const std::string kNone;
        return text != nullptr ? *text : kNone;
    }
};

// False with a message when a version cannot be read at all; files that cannot be read go to
// warnings.
bool ComputeImpact(const ImpactSide& from, const ImpactSide& to, TreeImpact& impact,
                   std::vector<std::string>& warnings, std::string& error);

#endif
