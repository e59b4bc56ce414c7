// One parameter text file (".pp") parsed into a tree of section lists.
//
// A line holds a comment, a section line "[Name]" (switches lines on or off by a filter), a tag
// "<Group:Child:...>" that selects where the following entries of the file go, and entries
// "Key<value>"; pieces may follow each other on one line. No content is an error: every
// malformed construct has a defined reading (see ParamFile.cpp).
#ifndef QUENDEL_TEXTSTORE_PARAMFILE_H
#define QUENDEL_TEXTSTORE_PARAMFILE_H

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The text of one entry and the line of its file that last set it (1 is the first line).
struct ParamValue {
    std::string m_text;
    size_t m_line = 0;
};

// The entries and the child lists that one section path holds in one file. A key or a child
// name occurs at most once per list, so a list is kept as a single block of two maps; child
// lists are reached by name, entries by key, both in byte order.
//
// Tags nest to any depth, so nothing that walks the tree, destruction included, recurses.
struct ParamBlock {
    using Children = std::map<std::string, std::unique_ptr<ParamBlock>, std::less<>>;

    ParamBlock() = default;
    ParamBlock(const ParamBlock&) = delete;
    ParamBlock& operator=(const ParamBlock&) = delete;
    ~ParamBlock();

    Children m_children;
    std::map<std::string, ParamValue, std::less<>> m_values;
};
using BlockList = ParamBlock;

class ParamFile {
  public:
    using GroupMap = std::map<std::string, BlockList, std::less<>>;

    explicit ParamFile(std::string path) : m_path(std::move(path)) {}
    ParamFile(const ParamFile&) = delete;
    ParamFile& operator=(const ParamFile&) = delete;

    // Reads the file at Path() and adds what it holds to the tree; false only when the file
    // cannot be opened or read at all (a directory, say). Only lines of sections named filter
    // are read; the empty filter reads all.
    bool Parse(const std::string& filter);
    // Parses text as the content of a file (the bytes Parse would have read).
    void ParseText(std::string text, const std::string& filter);
    // Releases the whole tree; the path, the filter and the section state stay.
    void Clear();

    // Interprets one prepared line (tabs turned into spaces, comment cut off) piece by piece.
    void ProcessLine(const std::string& line);
    // Reads one entry, stores it, then reads the rest of the line.
    void ParseKeyValue(const std::string& line);

    // Value of an entry by section path and key, with the forgiving name rules of this format:
    // blanks are ignored, an empty section or one beginning with ":" names "GlobalParameters".
    bool Lookup(const std::string& section, const std::string& key, std::string& value) const;
    // The list whose section path is exactly sectionPath ("Group:Child:..."), or null.
    const BlockList* FindList(std::string_view sectionPath) const;

    const std::string& Path() const { return m_path; }
    void SetPath(std::string path) { m_path = std::move(path); }
    const GroupMap& Groups() const { return m_groups; }

    // Calls visit(const std::string& sectionPath, const BlockList& list) for every list of the
    // tree: groups in name order, each list before its children, children in name order.
    template <class Visit>
    void ForEachList(Visit&& visit) const;

  private:
    void ProcessPieces(std::string_view line);
    std::string_view TakeSection(std::string_view s);
    std::string_view TakeTag(std::string_view s);
    std::string_view TakeEntry(std::string_view piece);
    void SelectList(std::string_view name, std::string_view path);
    void StoreEntry(std::string_view key, std::string_view value);
    BlockList& GroupList(std::string_view name);

    std::string m_path;
    std::string m_filter;
    bool m_active = true;
    GroupMap m_groups;
    BlockList* m_curList = nullptr;  // receives the next entry; not owning
    size_t m_lineNo = 0;             // line being parsed
    std::string m_scratch;           // names with blanks removed, reused across pieces
};

// Reads the whole file at path into bytes; false when it cannot be opened or read at all.
bool ReadFileBytes(const std::string& path, std::string& bytes);

// A hash of a file's bytes: HashBytes of the bytes ReadFileBytes gives, or HashFileBytes reading
// the file itself without keeping it (false as for ReadFileBytes; size is the length read).
size_t HashBytes(std::string_view bytes);
bool HashFileBytes(const std::string& path, size_t& size, size_t& hash);

// Splits a tag piece s (beginning with "<") into group name, path below the group and the rest
// of the line after ">". False when the tag names nothing and nothing follows it.
bool ParseTag(const std::string& s, std::string& name, std::string& path, std::string& rest);

// Value of key in one list; false (value unchanged) when the list is null or lacks the key.
bool FindInList(const std::string& key, std::string& value, const BlockList* list);

// Depth first with an explicit stack; the path grows and shrinks by one name per step, so the
// walk is linear in the size of the tree whatever its depth.
template <class Visit>
void ParamFile::ForEachList(Visit&& visit) const {
    struct Level {
        ParamBlock::Children::const_iterator m_next;
        ParamBlock::Children::const_iterator m_end;
        size_t m_pathLength;
    };
    std::vector<Level> levels;
    std::string path;
    for (const auto& [name, group] : m_groups) {
        path.assign(name);
        visit(std::as_const(path), group);
        levels.push_back({group.m_children.begin(), group.m_children.end(), path.size()});
        while (!levels.empty()) {
            Level& level = levels.back();
            if (level.m_next == level.m_end) {
                levels.pop_back();
                continue;
            }
            const auto& [childName, child] = *level.m_next++;
            path.resize(level.m_pathLength);
            path += ':';
            path += childName;
            visit(std::as_const(path), *child);
            levels.push_back({child->m_children.begin(), child->m_children.end(), path.size()});
        }
    }
}

#endif
