// The text store: a layered set of parameter text files, each parsed in its own slot, merged
// into one lookup table by a fixed order of precedence. Lookups see a selection only after
// Refresh. Answers lookups by names only; lookups by hashed keys report a miss.
#ifndef QUENDEL_TEXTSTORE_RESOURCEMSGIMP_H
#define QUENDEL_TEXTSTORE_RESOURCEMSGIMP_H

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "resource/ConvertedValueCache.h"
#include "resource/IResourceMsg.h"
#include "resource/IStoreProvenance.h"
#include "resource/IStoredValues.h"
#include "textstore/FileBytes.h"
#include "textstore/MergedTable.h"
#include "textstore/ParamFile.h"

// Section path to key to the origin of the value a lookup returns.
using OriginTable =
    std::map<std::string, std::map<std::string, ValueOrigin, std::less<>>, std::less<>>;

class ResourceMsgImp : public IResourceMsg, public IStoreProvenance, public IStoredValues {
  public:
    // Reads every file of the selection (f, p, a); lookups stay empty until Refresh.
    ResourceMsgImp(const std::string& f, const std::string& p, const std::string& a);
    ~ResourceMsgImp() override;
    ResourceMsgImp(const ResourceMsgImp&) = delete;
    ResourceMsgImp& operator=(const ResourceMsgImp&) = delete;

    bool SetGroup(const std::string& f) override;
    bool SetProbe(const std::string& p) override;
    bool SetClinical(const std::string& a) override;
    // Reads the user-defined file of the selection held; the arguments are not used.
    bool SetUserDefined(const std::string& f, const std::string& p, const std::string& a) override;
    void Refresh() override;
    // Re-reads the listed files and the base file and clears the selection; arguments unused.
    void Reload(const std::string& f, const std::string& p, const std::string& a) override;
    using IResourceMsg::GetRawValue;
    // Blanks in either name are ignored; names are then compared exactly.
    bool GetRawValue(const std::string& section, const std::string& key,
                     std::string& value) override;
    // Releases and re-reads the base file.
    virtual bool LoadBase();

    // The text GetRawValue copies, in place; none by hashed keys.
    bool FindText(const std::string& section, const std::string& key,
                  std::string_view& text) override;
    bool FindText(const HashedKey& section, const std::string& key,
                  std::string_view& text) override;
    bool FindText(const std::string& section, const HashedKey& key,
                  std::string_view& text) override;
    bool FindText(const HashedKey& section, const HashedKey& key, std::string_view& text) override;
    ConvertedValueCache& ConvertedValues() override { return m_converted; }

    // Provenance: these describe the files loaded now, which are what the table holds after
    // Refresh. The root is both the source and the directory the files are named below.
    StoreKind Kind() const override { return StoreKind::kText; }
    const std::string& Source() const override { return m_root; }
    const std::string& FileRoot() const override { return m_root; }
    // The store reads whatever files it finds; it has no source that could fail to open.
    bool IsOpen(std::string& /*reason*/) const override { return true; }
    std::vector<LayerInfo> GetLayers() const override;
    std::vector<ValueOrigin> GetOrigins(const std::string& section,
                                        const std::string& key) const override;
    EntryTable GetEntries() override;
    SelectionCheck CheckSelection() const override;
    std::vector<FileReading> GetReadings(bool countEntries) const override;
    // The whole merged view with the winning origin of each entry.
    OriginTable GetMergedOrigins() const;

  private:
    // A parsed file is never changed once loaded: a new reading makes a new one. So the
    // table can point into the files it was merged from, which it keeps alive.
    using FileSlot = std::shared_ptr<const ParamFile>;
    struct ListedFile {
        std::string m_entry;  // "File<i>" of the file configuration
        FileSlot m_file;
    };
    struct Layer {
        std::string_view m_name;
        const ParamFile* m_file;
        const FileSlot* m_slot;
    };
    // A file read earlier, reused while its bytes are unchanged (same size and hash).
    struct ParsedFile {
        std::weak_ptr<const ParamFile> m_file;
        size_t m_size = 0;
        size_t m_hash = 0;
    };

    bool ReadFile(FileSlot& slot, const std::string& path);
    // The parsed file at path: the earlier one when the bytes are unchanged; null, with the
    // problem, when the file cannot be read.
    FileSlot ParseFile(const std::string& path, FileProblem& problem);
    void LogReadFailure(const std::string& path, const FileProblem& problem) const;
    // The listed files of the file configuration read: (entry key, path), in reading order.
    std::vector<std::pair<std::string, std::string>> ListedPaths() const;
    void LoadFileConfig();
    std::string UserDefinedPath() const;
    // Loaded files in order of precedence, highest first.
    std::vector<Layer> LoadedLayers() const;
    // Copies the entries of one file into the table, replacing values already there.
    void Merge(const ParamFile& file);
    // Takes the entries of the most recently merged file out of the table again, giving back
    // the values of the files below it.
    void Unmerge();
    // The entry that answers a lookup of the names, or null.
    const ParamEntry* FindEntry(const std::string& section, const std::string& key) const;

    FileSlot m_pConfigFile;
    FileSlot m_pBaseFile;
    FileSlot m_pClinicalFile;
    FileSlot m_pClinicalBaseFile;
    FileSlot m_pGroupFile;
    FileSlot m_pProbeFile;
    FileSlot m_pGroupClinicalFile;
    FileSlot m_pUserDefinedFile;
    // user-defined, clinical, clinical base, group clinical, transducer, group, base: the
    // order of precedence, highest first.
    std::vector<FileSlot*> m_fileSlots;
    std::vector<ListedFile> m_extraFiles;  // File0 first
    // The lookup table and the files merged into it, lowest precedence first. Refresh takes
    // out only the files above the first one that changed and merges the new ones.
    MergedTable m_merged;
    std::vector<FileSlot> m_mergedFiles;
    std::unordered_map<std::string, ParsedFile> m_parsedFiles;  // by path
    // Converted forms of the values queried, which lie in the merged files: emptied before a
    // file leaves the table.
    ConvertedValueCache m_converted;
    // Why the last reading of a path failed, for the files that could not be read; a path
    // leaves when it is read.
    std::unordered_map<std::string, FileProblem> m_unread;
    std::string m_root;
    std::string m_probe;
    std::string m_group;
    std::string m_clinical;
};

#endif
