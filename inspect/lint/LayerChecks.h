// The checks across the layers of a tree, one entry at a time. An override that names an entry
// no base-level file defines (unknown-override, with "did you mean"), or whose value does not
// read as the base-level value's type, or a list of another length than every other file agrees
// on (type-mismatch), changes nothing a query sees but the default; a file at no layer path is
// read by no selection (dead-file). The settings are indexed by name, so that checking an entry
// costs the settings of its name, and a file can be taken out and put back alone when its text
// changes.
#ifndef QUENDEL_INSPECT_LINT_LAYERCHECKS_H
#define QUENDEL_INSPECT_LINT_LAYERCHECKS_H

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "inspect/lint/NameSuggestion.h"
#include "inspect/lint/ParamLint.h"
#include "inspect/matrix/HolderIndex.h"
#include "inspect/tree/LayerPaths.h"

class LayerChecks {
  public:
    static constexpr uint32_t kNotBase = UINT32_MAX;

    // Puts a file in under id (ids are the caller's, from 0): base-level files with their
    // precedence among the base-level files (0 first), whose first setting of a name defines
    // it. lint stays alive and unchanged until the file is taken out.
    void Put(uint32_t id, const FileLint* lint, std::string relative, Layer layer,
             uint32_t baseRank);
    // Takes a file's settings out of the index (its lint must still be alive).
    void TakeOut(uint32_t id);

    // The findings of one entry of an override file, added to found: unknown-override,
    // type-mismatch, or a number read otherwise (out-of-range, fraction-cut, empty-number) and
    // a list's deviant count. An entry that a finding of its own file explains gets none.
    void CheckEntry(uint32_t id, uint32_t entry, std::vector<LintFinding>& found);
    // The dead-file finding of a file that no selection reads.
    bool CheckDeadFile(uint32_t id, LintFinding& finding) const;

    // Every base-level and override setting of a name, as a lookup names it (the key without
    // blanks); null when there is none.
    const std::vector<Holder>* Settings(std::string_view section, std::string_view key) const;
    // The base-level setting that defines a name, or null.
    const Holder* Definition(std::string_view section, std::string_view key) const;
    // Whether a base-level file names the section.
    bool SectionDefined(const std::string& section) const;
    // The section paths that base-level files name, and the keys they define in one section.
    std::vector<std::string> DefinedSections() const;
    std::vector<std::string> DefinedKeys(const std::string& section) const;
    // The name an entry is indexed under, and where the setting stands ("ImgResBase.pp:4").
    HolderIndex::Name NameOf(const Holder& holder) const;
    const LintEntry& Entry(const Holder& holder) const;
    std::string Origin(const Holder& holder) const;
    const FileLint* Lint(uint32_t id) const { return m_files[id].m_lint; }
    bool IsBaseLevel(uint32_t id) const { return m_files[id].m_baseRank != kNotBase; }
    uint32_t BaseRank(uint32_t id) const { return m_files[id].m_baseRank; }
    bool IsOverride(uint32_t id) const { return m_files[id].m_layer == Layer::kOverride; }

  private:
    struct File {
        const FileLint* m_lint = nullptr;
        std::string m_relative;
        Layer m_layer = Layer::kDead;
        uint32_t m_baseRank = kNotBase;
        std::vector<std::pair<size_t, size_t>> m_explained;  // own findings, (line, column)
    };
    struct Section {
        std::vector<uint32_t> m_baseFiles;                 // base-level files that name it
        std::unordered_map<std::string, uint32_t> m_keys;  // defined keys, by files setting them
        std::unique_ptr<NameSuggestion> m_suggestion;      // of the keys; made when asked
    };

    bool Indexed(uint32_t id) const {
        return m_files[id].m_lint != nullptr &&
               (m_files[id].m_layer == Layer::kBase || m_files[id].m_layer == Layer::kOverride);
    }
    void Index(uint32_t id, bool add);
    bool Explained(const File& file, const LintEntry& entry) const;
    NameSuggestion& KeySuggestion(Section& section);
    std::string SectionHint(const std::string& section, const std::string& key,
                            std::vector<LintSuggestion>& suggestions);
    LintSuggestion Suggest(bool isSection, const std::string& name, const std::string& section,
                           const std::string& key) const;
    bool CheckNumber(const Holder& self, const Holder& definition, LintFinding& finding) const;
    bool CheckCount(const Holder& self, const std::vector<Holder>& settings,
                    const Holder& definition, LintFinding& finding) const;
    static bool Report(const FileLint& lint, const LintEntry& entry, const char* rule,
                       std::string message, LintFinding& finding);

    std::vector<File> m_files;
    HolderIndex m_settings;
    // The names of override keys written with blanks, without them; kept while indexed.
    std::unordered_set<std::string> m_blankless;
    std::unordered_map<std::string, Section> m_sections;
    std::unique_ptr<NameSuggestion> m_sectionSuggestion;  // made when asked
};

#endif
