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

#include "textstore/ParamObserver.h"

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
    // Calls observer (not owned; null for none) from the following parses.
    void SetObserver(ParamObserver* observer) { m_observer = observer; }

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
    // Makes the list at the tag's path (below "GlobalParameters" when global) the current one.
    void SelectList(bool global, std::string_view path);
    // Whether the key was already set in the current list, and on which line.
    struct StoreResult {
        bool m_replaced = false;
        size_t m_previousLine = 0;
    };
    StoreResult StoreEntry(std::string_view key, std::string_view value);
    BlockList& GroupList(std::string_view name);
    // The list at path below list, or below the groups when list is null; null when missing.
    const BlockList* Follow(const BlockList* list, std::string_view path) const;

    // Only with an observer: what it is told, and where. mark is the length of a byte-order
    // mark that begins the line, which columns do not count.
    void BeginLine(std::string_view line, const char* hash, size_t fullLength, size_t mark);
    ParamPosition PositionOf(const char* at);
    void ObserveTag(std::string_view s, bool global, std::string_view path);
    void ObserveOpen(ParamObserver::Construct construct, const char* at, std::string_view what);
    void ObserveEntry(std::string_view s, size_t open, std::string_view key, std::string_view value,
                      StoreResult stored);

    std::string m_path;
    std::string m_filter;
    bool m_active = true;
    GroupMap m_groups;
    BlockList* m_curList = nullptr;  // receives the next entry; not owning
    size_t m_lineNo = 0;             // line being parsed
    std::string m_scratch;           // names with blanks removed, reused across pieces

    ParamObserver* m_observer = nullptr;
    // The line being read, for positions: its start, its first "#" (null without), its end
    // with the comment, bytes not counted in columns, and the last position computed (pieces
    // are read left to right, so columns are counted once per line).
    struct LineContext {
        const char* m_start = nullptr;
        const char* m_hash = nullptr;
        const char* m_end = nullptr;
        size_t m_skip = 0;
        const char* m_cursor = nullptr;
        size_t m_column = 1;
    };
    LineContext m_line;
    std::string m_sectionPath;  // the path of m_curList, kept only with an observer
};

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
