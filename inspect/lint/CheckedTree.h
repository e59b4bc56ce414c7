// A parameter tree held in memory with the findings of each file: every ".pp" file read once
// (through a reader that may hand in an editor's unsaved text), the checks across its layers
// and, with the model of every selection, across its selections. A file's text can be replaced
// alone: it is parsed again, indexed again, and only the settings of the names it touched are
// checked again, wherever they are.
#ifndef QUENDEL_INSPECT_LINT_CHECKEDTREE_H
#define QUENDEL_INSPECT_LINT_CHECKEDTREE_H

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "fileset/FileSet.h"
#include "inspect/lint/LayerChecks.h"
#include "inspect/lint/ParamLint.h"
#include "inspect/matrix/TreeModel.h"
#include "inspect/tree/LayerPaths.h"

class CheckedTree {
  public:
    static constexpr uint32_t kNoFile = UINT32_MAX;

    struct File {
        std::string m_path;      // as reported, lexically normal
        std::string m_relative;  // below the resource root or the user-defined directory
        bool m_userDefined = false;
        Layer m_layer = Layer::kDead;
        std::string m_what;                      // "group file", ...
        std::shared_ptr<const FileLint> m_lint;  // null when it could not be read
        const char* m_kind = nullptr;      // what it is when not a regular file (it is not read)
        bool m_directory = false;          // a directory named "*.pp"
        std::optional<LintFinding> m_own;  // the finding of a path not read: not-regular
        uint32_t m_modelFile = TreeModel::kNoFile;
        // Findings of the checks across files, by entry (ascending); the findings of other
        // files on the same line are left out only when the file's findings are asked for.
        std::vector<std::pair<uint32_t, LintFinding>> m_cross;
    };

    CheckedTree() = default;
    CheckedTree(const CheckedTree&) = delete;
    CheckedTree& operator=(const CheckedTree&) = delete;

    // Reads the tree (the disk when reader is empty): every ".pp" file below the resource root
    // and the user-defined directory. acrossSelections: the model of every selection and its
    // checks too. False with a message when the resource root is not a directory; files that
    // cannot be read go to errors.
    bool Load(const TreeLocation& tree, const FileReader& reader, bool acrossSelections,
              std::vector<std::string>& errors, std::string& error);

    const TreeLocation& Tree() const { return m_tree; }
    const std::vector<File>& Files() const { return m_files; }
    // The file at path (lexically normal, as Files() names it), or kNoFile.
    uint32_t FindFile(const std::string& path) const;
    // The file the model knows as file.
    uint32_t FromModel(uint32_t modelFile) const { return m_fromModel[modelFile]; }
    // Empty without the checks across selections.
    const TreeModel& Model() const { return m_model; }
    bool HasModel() const { return m_acrossSelections; }
    const LayerChecks& Layers() const { return m_layers; }

    // Every finding of a file, in FindingBefore order.
    std::vector<LintFinding> FindingsOf(uint32_t file) const;

    // Puts lint (a new text of the file) in place of the file's, and checks again what it
    // touched; touched receives the file and every other file whose findings changed. False when
    // the change reaches what the tree reads (a file configuration that lists other files): Load
    // again then.
    bool Replace(uint32_t file, std::shared_ptr<const FileLint> lint,
                 std::vector<uint32_t>& touched);

  private:
    using Name = std::pair<std::string, std::string>;

    void CheckEntry(uint32_t file, uint32_t entry, std::vector<LintFinding>& found);
    // Checks the settings of entries again: (file, entry) pairs, each once.
    void Recheck(std::vector<std::pair<uint32_t, uint32_t>> entries,
                 std::vector<uint32_t>& touched);
    // The names whose settings in a file differ between two of its lints, as the checks name
    // them, and whether a base-level file's defined names or sections changed.
    std::vector<Name> ChangedNames(uint32_t file, const FileLint& before, const FileLint& after,
                                   bool& definitionsChanged) const;

    TreeLocation m_tree;
    bool m_acrossSelections = false;
    std::vector<File> m_files;
    std::map<std::string, uint32_t> m_byPath;
    std::vector<uint32_t> m_fromModel;
    std::vector<std::string> m_listed;  // the file configuration's list, as the text store reads
    TreeModel m_model;
    LayerChecks m_layers;
};

#endif
