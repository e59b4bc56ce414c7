// The settings of entries by name (section, key): for each name, the files that set it, in
// file order. Names are views into the strings of the files' lints, which the owner keeps alive;
// a file can be taken out and put back on its own, so that an edit re-indexes that file alone.
#ifndef QUENDEL_INSPECT_MATRIX_HOLDERINDEX_H
#define QUENDEL_INSPECT_MATRIX_HOLDERINDEX_H

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

// One file's setting of an entry: an index into the file's entries.
struct Holder {
    uint32_t m_file;
    uint32_t m_entry;
};

class HolderIndex {
  public:
    using Name = std::pair<std::string_view, std::string_view>;
    // The name of a holder, as views into the strings that stay while it is indexed.
    using NameOf = std::function<Name(const Holder&)>;

    void Clear() { m_holders.clear(); }
    void Reserve(size_t names) { m_holders.reserve(names); }
    // Adds a setting; the name's list stays in file order.
    void Add(const Name& name, Holder holder);
    // Takes a setting out. When the name's views point into the strings of the setting taken
    // out (which may go away next), they move to those of a setting that stays.
    void Remove(const Name& name, Holder holder, const NameOf& nameOf);

    const std::vector<Holder>* Find(const Name& name) const;
    size_t Size() const { return m_holders.size(); }

    template <class Visit>
    void ForEach(Visit visit) const {
        for (const auto& item : m_holders) {
            visit(item.first, item.second);
        }
    }

  private:
    struct NameHash {
        size_t operator()(const Name& name) const {
            const size_t h = std::hash<std::string_view>()(name.first);
            return h ^ (std::hash<std::string_view>()(name.second) + 0x9e3779b97f4a7c15ULL +
                        (h << 6) + (h >> 2));
        }
    };
    std::unordered_map<Name, std::vector<Holder>, NameHash> m_holders;
};

#endif
