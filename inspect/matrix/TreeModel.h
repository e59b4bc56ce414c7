// A parameter tree as all its selections read it at once: every file parsed once, the files of
// each selection in the order of precedence, and for each entry the files that set it. It is
// built from the layer paths and the file configuration, not by a store per selection, so that
// a question about every selection costs one pass over the files that matter. The stores stay
// the authority: the tests check the model's winners against theirs for every selection.
#ifndef QUENDEL_INSPECT_MATRIX_TREEMODEL_H
#define QUENDEL_INSPECT_MATRIX_TREEMODEL_H

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "fileset/FileConfig.h"
#include "fileset/FileSet.h"
#include "inspect/lint/ParamLint.h"
#include "inspect/matrix/HolderIndex.h"
#include "inspect/matrix/SelectionSet.h"
#include "resource/IStoreProvenance.h"

// One selection the tree offers, as one store reads it.
struct ModelSelection {
    std::string m_group;
    std::string m_probe;
    std::string m_clinical;
    StoreKind m_store = StoreKind::kText;
    // The binary store only: the product rule directory whose transducer file the selection
    // reads instead of the common one; empty for none.
    std::string m_product;
};

// One file that some layer path or the file configuration names.
struct ModelFile {
    std::string m_path;      // as reported: below the tree's parent, or inside the resource file
    std::string m_relative;  // below the resource root, the user-defined directory, or the prefix
    // Its entries (lines are 0 in a resource file) and own findings; versions of a tree share
    // the lint of a file that both hold.
    std::shared_ptr<const FileLint> m_lint;
    const FileLint& Lint() const { return *m_lint; }
    // A file that defines entries for every selection (the base file, the clinical base file,
    // the listed files, and a product's own versions of them), not one that overrides them.
    bool m_baseLevel = false;
};

// Where one file stands in one selection: 0 is the highest precedence.
struct Reading {
    uint32_t m_selection;
    uint32_t m_rank;
};

// Reads and lints one file for the model: null with a message when it cannot be read. The
// default reads the disk (LintFile); an editor's unsaved buffers, lints made already, or a
// revision's files may stand in.
using FileReader =
    std::function<std::shared_ptr<const FileLint>(const std::string& path, std::string& error)>;

// Which files a text tree has and how the model reads them, and which of its selections it
// models.
struct ModelSource {
    // With the binary store's reading of the same files packed, where a product rule is set.
    bool m_packed = false;
    // The ".pp" files below the resource root, by their paths below it; the disk is walked when
    // the list is not given.
    const std::vector<std::string>* m_files = nullptr;
    FileReader m_reader;
    // The selections to model (group, transducer, clinical setting); every one when not given.
    std::function<bool(const std::string& f, const std::string& p, const std::string& a)> m_select;
};

class TreeModel {
  public:
    TreeModel() = default;
    TreeModel(TreeModel&&) = default;
    TreeModel& operator=(TreeModel&&) = default;
    // Its entry index points into its files.
    TreeModel(const TreeModel&) = delete;
    TreeModel& operator=(const TreeModel&) = delete;

    // The text store's tree: every ".pp" file at a layer path below the resource root, the
    // listed files and the user-defined files. Files are read when a modelled selection first
    // names them; those that cannot be read go to errors. False with a message when the
    // resource root is not a directory (and no file list is given).
    bool LoadText(const TreeLocation& tree, const ModelSource& source,
                  std::vector<std::string>& errors, std::string& error);
    // A resource file: its files as the binary store names them, without lines. With only, of
    // the entries just that one (section, key) and the file configuration's, which the
    // resource file's index finds without reading the rest.
    bool LoadResource(const TreeLocation& tree, std::string& error,
                      const std::pair<std::string, std::string>* only = nullptr);

    const std::vector<ModelSelection>& Selections() const { return m_selections; }
    // Every selection the tree offers, whether modelled or not (ModelSource::m_select).
    const std::vector<SelectionName>& Offered() const { return m_offered; }
    // The files a file configuration lists, in index order, as the store that reads it.
    static std::vector<std::string> ListedFiles(const FileLint& config, FileCountReading reading);
    const std::vector<ModelFile>& Files() const { return m_files; }
    // The file read from path (as LintFile names it), or kNoFile.
    uint32_t FindFile(const std::string& path) const;
    static constexpr uint32_t kNoFile = UINT32_MAX;
    // The files of a selection, highest precedence first.
    const std::vector<uint32_t>& Stack(size_t selection) const { return m_stacks[selection]; }
    // The selections that read a file, with its rank in each.
    const std::vector<Reading>& Readers(size_t file) const { return m_readers[file]; }
    // The layer name of a file in a selection, as the store's provenance names it ("group",
    // "File0", "transducer (product)").
    const std::string& LayerName(size_t selection, uint32_t rank) const {
        return m_layerNames[m_layers[selection][rank]];
    }
    const std::string& LayerNameOf(uint32_t id) const { return m_layerNames[id]; }
    // The same name has the same id in every selection.
    uint32_t LayerId(size_t selection, uint32_t rank) const { return m_layers[selection][rank]; }
    // The selection's place in Offered(): the text and binary readings of one selection share it.
    uint32_t OfferedIndex(size_t selection) const { return m_offeredIndex[selection]; }
    // Every file that sets the entry, in file order; null when none does. Names as a lookup
    // compares them.
    const std::vector<Holder>* Holders(std::string_view section, std::string_view key) const;
    // The setting a lookup of the selection returns, or null.
    const Holder* Winner(size_t selection, const std::vector<Holder>& holders) const;
    // The same for every selection at once, by the files' readers: winners[s] for selection s.
    // ranks is scratch space.
    void Winners(const std::vector<Holder>* holders, std::vector<const Holder*>& winners,
                 std::vector<uint32_t>& ranks) const;
    // Calls visit(const std::vector<Holder>&) once for every entry that some file sets.
    template <class Visit>
    void ForEachHolders(Visit visit) const {
        m_holders.ForEach([&visit](const HolderIndex::Name&, const std::vector<Holder>& holders) {
            visit(holders);
        });
    }
    // Every entry name (section, key) that some file sets, in byte order.
    std::vector<std::pair<std::string, std::string>> EntryNames() const;

    const LintEntry& Entry(const Holder& holder) const {
        return m_files[holder.m_file].Lint().m_entries[holder.m_entry];
    }
    const std::string& Section(const Holder& holder) const {
        const FileLint& lint = m_files[holder.m_file].Lint();
        return lint.m_sections[lint.m_entries[holder.m_entry].m_section];
    }
    // "Clns/Cardiac/ImgResCln.pp:8" (no line in a resource file).
    std::string Where(const Holder& holder) const;
    // The rank of a file in a selection, or kUnread.
    uint32_t RankIn(uint32_t file, size_t selection) const;
    static constexpr uint32_t kUnread = UINT32_MAX;

    // Puts lint in the place of a file's lint (an edited text of it): the file's settings are
    // indexed anew; what reads the file stays, as it follows from paths alone.
    void ReplaceLint(uint32_t file, std::shared_ptr<const FileLint> lint);

    // What the model was built from, for reports.
    StoreKind Kind() const { return m_kind; }
    const std::string& Source() const { return m_source; }

  private:
    uint32_t AddFile(std::string path, std::string relative, std::shared_ptr<const FileLint> lint);

    std::map<std::string, uint32_t> m_byPath;
    void AddSelection(ModelSelection selection, std::vector<uint32_t> stack,
                      std::vector<std::string> layers);
    void IndexHolders();
    // Adds or takes out the settings of one file.
    void IndexFile(uint32_t file, bool add);

    StoreKind m_kind = StoreKind::kText;
    std::string m_source;
    std::vector<ModelFile> m_files;
    std::vector<ModelSelection> m_selections;
    std::vector<SelectionName> m_offered;
    std::vector<std::vector<uint32_t>> m_stacks;
    std::vector<std::vector<uint32_t>> m_layers;  // per selection, per rank: into m_layerNames
    std::vector<std::string> m_layerNames;
    std::unordered_map<std::string, uint32_t> m_layerIds;
    std::vector<uint32_t> m_offeredIndex;
    std::vector<std::vector<Reading>> m_readers;
    // For the files that many selections read, the rank in every selection: the lookups of the
    // winners ask for them most.
    std::vector<std::vector<uint32_t>> m_denseRanks;
    // Entry names point into the files' lints, which stay where they are while indexed.
    HolderIndex m_holders;
};

#endif
