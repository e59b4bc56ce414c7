// Where a store's answers come from, for the library's own tools: the files that make up the
// selection, every entry with the file that sets it, and every file that holds one entry. Both
// stores implement it beside IResourceMsg, which stays the interface of the queries; nothing
// here is computed until asked for, so lookups never pay for it.
#ifndef QUENDEL_RESOURCE_ISTOREPROVENANCE_H
#define QUENDEL_RESOURCE_ISTOREPROVENANCE_H

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

enum class StoreKind { kText, kBinary };

// One file that takes part in the selection. The text store names its layers "user-defined",
// "clinical", "clinical base", "group clinical", "transducer", "group", "base", then the listed
// files by their entry ("File0", ...); the binary store "clinical", "clinical base",
// "group clinical (product)", "group clinical", "transducer (product)", "transducer", "group",
// "base" and "listed".
struct LayerInfo {
    std::string m_name;
    std::string m_path;  // the text store's file; the binary store's file inside the resource file
};

// One file's value of one entry.
struct ValueOrigin {
    std::string m_layer;  // LayerInfo::m_name
    std::string m_path;   // LayerInfo::m_path
    size_t m_line = 0;    // line of the file, 1 for the first; 0 when not known (binary store)
    std::string m_value;
};

// One entry that a lookup answers, with the value it returns and where that comes from.
struct StoreEntry {
    // Shared by the entries of one section: a section path may be as long as its file.
    std::shared_ptr<const std::string> m_section;
    std::string m_key;
    ValueOrigin m_origin;
};

struct EntryTable {
    std::vector<StoreEntry> m_entries;  // by section, then key, in byte order
    // Entries that the files hold but no lookup reaches: names with blanks inside, which
    // lookups remove.
    size_t m_unreachable = 0;
};

// Where the store looked for the file of one level, and whether it found one there.
struct LevelFiles {
    bool m_found = true;
    std::vector<std::string> m_paths;  // each place a file of the level may be
};

// The base file and the file of each selected level (group, transducer, clinical setting).
struct SelectionCheck {
    LevelFiles m_base;
    LevelFiles m_group;
    LevelFiles m_probe;
    LevelFiles m_clinical;
    // The binary store's product rule directory ("Compact/"), when one is set, and whether the
    // resource file holds anything below it.
    std::string m_productRule;
    bool m_productRuleFound = true;
};

// What became of one file the store reads for its selection.
enum class FileState {
    kRead,
    kMissing,
    kUnreadable,
    kNotRegular,
    kRedirected,  // the product rule directory holds the product's own version, read instead
};

// One file of the store's reading list, in the order the store reads them.
struct FileReading {
    std::string m_layer;  // LayerInfo::m_name, "file configuration", or a listed file's entry
    std::string m_path;   // the text store's file; the binary store's file inside the resource file
    FileState m_state = FileState::kRead;
    // The kind of a file that is not regular, the system's reason for one that cannot be read,
    // the product's file that replaces a redirected one.
    std::string m_detail;
    size_t m_entries = 0;  // the entries of a file read
};

class IStoreProvenance {
  public:
    virtual StoreKind Kind() const = 0;
    // Where the store reads: the text store's resource root, the binary store's resource file.
    virtual const std::string& Source() const = 0;
    // The directory that origins name their files below: the resource root, or the resource
    // file's directory prefix.
    virtual const std::string& FileRoot() const = 0;
    // False, with the reason when one is known, when the store has nothing to read from at
    // all (a resource file that did not open).
    virtual bool IsOpen(std::string& reason) const = 0;

    // The files of the selection that a lookup may answer from, highest precedence first.
    virtual std::vector<LayerInfo> GetLayers() const = 0;
    // Every file of the selection that holds the entry, highest precedence first: front() is
    // the value a lookup returns, the others are what it overrides. Names as a lookup takes
    // them.
    virtual std::vector<ValueOrigin> GetOrigins(const std::string& section,
                                                const std::string& key) const = 0;
    // Every entry of the selection with the value a lookup returns and its origin.
    virtual EntryTable GetEntries() = 0;
    // The base file and the files of the selected levels, found or not.
    virtual SelectionCheck CheckSelection() const = 0;
    // Every file the selection reads or looks for, in the order the store reads them: the
    // file configuration, then the text store's listed files and layers, or the binary store's
    // base list and selection list. Entries are counted only when asked for.
    virtual std::vector<FileReading> GetReadings(bool countEntries) const = 0;

  protected:
    // Not owned through this interface: the store belongs to whoever holds its IResourceMsg.
    ~IStoreProvenance() = default;
};

#endif
