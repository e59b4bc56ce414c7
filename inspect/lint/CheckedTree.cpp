#include "inspect/lint/CheckedTree.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <system_error>

#include "inspect/lint/LintRules.h"
#include "inspect/lint/OverrideReach.h"
#include "inspect/tree/ParamFileWalk.h"
#include "resource/StringOps.h"

namespace fs = std::filesystem;

namespace {

std::string Normal(const std::string& path) {
    return fs::path(path).lexically_normal().generic_string();
}

bool IsReach(const std::string& rule) {
    return rule == rule::kMaskedOverride || rule == rule::kRedundantOverride;
}

// The base-level files in the order of their precedence: clinical base, base, the listed files
// in their order, then the product files the binary store takes instead.
std::vector<uint32_t> BaseLevelOrder(const std::vector<CheckedTree::File>& files,
                                     const std::vector<std::string>& listed) {
    std::map<std::string, uint32_t> byRelative;
    for (uint32_t i = 0; i < files.size(); ++i) {
        if (files[i].m_layer == Layer::kBase) {
            byRelative.emplace(Normal(files[i].m_relative), i);
        }
    }
    std::vector<uint32_t> order;
    const auto take = [&](const std::string& relative) {
        const auto it = byRelative.find(Normal(relative));
        if (it != byRelative.end()) {
            order.push_back(it->second);
            byRelative.erase(it);
        }
    };
    take(FileSet::ClinicalBaseFile(""));
    take(FileSet::BaseFile(""));
    for (const std::string& relative : listed) {
        take(relative);
    }
    for (const CheckedTree::File& file : files) {
        if (byRelative.count(Normal(file.m_relative)) != 0) {
            take(file.m_relative);
        }
    }
    return order;
}

std::vector<std::string> ListedOf(const FileLint& config) {
    std::vector<std::string> listed;
    for (const LintEntry* entry : ListedFileEntries(config)) {
        listed.push_back(entry->m_value);
    }
    return listed;
}

}  // namespace

uint32_t CheckedTree::FindFile(const std::string& path) const {
    const auto it = m_byPath.find(Normal(path));
    return it == m_byPath.end() ? kNoFile : it->second;
}

bool CheckedTree::Load(const TreeLocation& tree, const FileReader& reader, bool acrossSelections,
                       std::vector<std::string>& errors, std::string& error) {
    m_tree = tree;
    m_acrossSelections = acrossSelections;
    m_files.clear();
    m_byPath.clear();
    m_fromModel.clear();
    m_listed.clear();
    m_model = TreeModel();
    m_layers = LayerChecks();
    std::error_code fsError;
    if (!fs::is_directory(tree.m_root, fsError)) {
        error = "no parameter tree at " + tree.m_root +
                " (not a directory); point --settings or --root at the directory that holds dev/";
        return false;
    }
    const auto walk = [&](const std::string& dir, bool userDefined) {
        const ParamFileWalk found = WalkParamFiles(dir);
        const size_t first = m_files.size();
        for (const auto* list : {&found.m_files, &found.m_notRegular, &found.m_directories}) {
            for (const ParamFileEntry& entry : *list) {
                File file;
                file.m_path = Normal(entry.m_path);
                file.m_relative = entry.m_relative;
                file.m_userDefined = userDefined;
                file.m_kind = entry.m_kind;
                file.m_directory = list == &found.m_directories;
                m_files.push_back(std::move(file));
            }
        }
        std::sort(m_files.begin() + static_cast<std::ptrdiff_t>(first), m_files.end(),
                  [](const File& a, const File& b) { return a.m_relative < b.m_relative; });
        if (found.m_error) {
            errors.push_back("cannot read the directory " + dir + ": " + found.m_error.message());
        }
    };
    walk(tree.m_root, false);
    // A user-defined tree inside the resource root is walked with it already.
    const std::string userDir = fs::weakly_canonical(tree.m_userDir, fsError).generic_string();
    const std::string rootDir = fs::weakly_canonical(tree.m_root, fsError).generic_string();
    if (!tree.m_userDir.empty() && fs::is_directory(tree.m_userDir, fsError) &&
        (userDir + "/").rfind(rootDir + "/", 0) != 0) {
        walk(tree.m_userDir, true);
    }

    std::vector<std::string> shipped;
    for (uint32_t i = 0; i < m_files.size(); ++i) {
        File& file = m_files[i];
        m_byPath.emplace(file.m_path, i);
        if (file.m_kind != nullptr) {
            continue;  // not a regular file: not read, by lint as by the stores
        }
        if (!file.m_userDefined) {
            shipped.push_back(file.m_relative);
        }
        std::string readError;
        if (reader) {
            file.m_lint = reader(file.m_path, readError);
        } else {
            auto lint = std::make_shared<FileLint>();
            if (LintFile(file.m_path, *lint, readError)) {
                file.m_lint = std::move(lint);
            }
        }
        if (file.m_lint == nullptr) {
            errors.push_back(readError);
        }
    }

    // The file configuration first: the files it lists are base-level files.
    LayerPaths layers(tree.m_productRule);
    for (const File& file : m_files) {
        if (!file.m_userDefined && file.m_relative == FileSet::FileConfigFile("") && file.m_lint) {
            m_listed = ListedOf(*file.m_lint);
        }
    }
    for (const std::string& relative : m_listed) {
        layers.AddListed(relative);
    }
    for (File& file : m_files) {
        file.m_layer = file.m_userDefined
                           ? LayerPaths::ClassifyUserDefined(file.m_relative, file.m_what)
                           : layers.Classify(file.m_relative, file.m_what);
        if (file.m_kind != nullptr) {
            // A directory named "*.pp" matters only where a file would be read.
            if (!file.m_directory || file.m_layer != Layer::kDead) {
                file.m_own = NotRegularFinding(file.m_path, file.m_kind,
                                               file.m_layer == Layer::kDead ? "" : file.m_what);
            }
            file.m_layer = Layer::kDead;  // checked no further
        }
    }
    std::vector<uint32_t> baseRank(m_files.size(), LayerChecks::kNotBase);
    const std::vector<uint32_t> order = BaseLevelOrder(m_files, m_listed);
    for (uint32_t rank = 0; rank < order.size(); ++rank) {
        baseRank[order[rank]] = rank;
    }
    for (uint32_t i = 0; i < m_files.size(); ++i) {
        m_layers.Put(i, m_files[i].m_lint.get(), m_files[i].m_relative, m_files[i].m_layer,
                     baseRank[i]);
    }

    if (acrossSelections) {
        // The model takes the files read here; one outside the walk (a listed file outside the
        // resource root) is left out, as it is of the checks.
        ModelSource source;
        source.m_packed = true;
        source.m_files = &shipped;
        source.m_reader = [this](const std::string& path,
                                 std::string&) -> std::shared_ptr<const FileLint> {
            const uint32_t file = FindFile(path);
            return file == kNoFile ? nullptr : m_files[file].m_lint;
        };
        std::vector<std::string> unread;
        if (!m_model.LoadText(tree, source, unread, error)) {
            return false;
        }
        m_fromModel.assign(m_model.Files().size(), kNoFile);
        for (uint32_t m = 0; m < m_model.Files().size(); ++m) {
            const uint32_t file = FindFile(m_model.Files()[m].m_path);
            m_fromModel[m] = file;
            if (file != kNoFile) {
                m_files[file].m_modelFile = m;
            }
        }
    }

    std::vector<LintFinding> found;
    for (uint32_t file = 0; file < m_files.size(); ++file) {
        if (m_files[file].m_lint == nullptr) {
            continue;
        }
        const uint32_t entries = static_cast<uint32_t>(m_files[file].m_lint->m_entries.size());
        for (uint32_t entry = 0; entry < entries; ++entry) {
            CheckEntry(file, entry, found);
            for (LintFinding& finding : found) {
                m_files[file].m_cross.emplace_back(entry, std::move(finding));
            }
        }
    }
    return true;
}

void CheckedTree::CheckEntry(uint32_t file, uint32_t entry, std::vector<LintFinding>& found) {
    found.clear();
    const File& checked = m_files[file];
    const bool reach = checked.m_modelFile != TreeModel::kNoFile &&
                       !m_model.Files()[checked.m_modelFile].m_baseLevel &&
                       !m_model.Readers(checked.m_modelFile).empty();
    if (!m_layers.IsOverride(file) && !reach) {
        return;
    }
    m_layers.CheckEntry(file, entry, found);
    if (!reach) {
        return;
    }
    const FileLint& lint = *checked.m_lint;
    const LintEntry& setting = lint.m_entries[entry];
    const std::string& section = lint.m_sections[setting.m_section];
    if (!setting.m_live || !ReachableName(section) || !ReachableName(setting.m_key)) {
        return;
    }
    LintFinding finding;
    const std::vector<Holder>* holders = m_model.Holders(section, setting.m_key);
    if (holders != nullptr &&
        CheckReach(m_model, Holder{checked.m_modelFile, entry}, *holders, finding)) {
        found.push_back(std::move(finding));
    }
}

std::vector<LintFinding> CheckedTree::FindingsOf(uint32_t id) const {
    const File& file = m_files[id];
    std::vector<LintFinding> findings;
    if (file.m_lint == nullptr) {
        if (file.m_own) {
            findings.push_back(*file.m_own);
        }
        return findings;
    }
    findings = file.m_lint->m_findings;
    LintFinding dead;
    if (m_layers.CheckDeadFile(id, dead)) {
        findings.push_back(std::move(dead));
    }
    for (const auto& [entry, finding] : file.m_cross) {
        findings.push_back(finding);
    }
    // An entry on a line that another finding explains gets no finding across selections.
    std::vector<size_t> explained;
    for (const LintFinding& finding : findings) {
        if (!IsReach(finding.m_rule)) {
            explained.push_back(finding.m_line);
        }
    }
    std::sort(explained.begin(), explained.end());
    findings.erase(std::remove_if(findings.begin(), findings.end(),
                                  [&](const LintFinding& finding) {
                                      return IsReach(finding.m_rule) &&
                                             std::binary_search(explained.begin(), explained.end(),
                                                                finding.m_line);
                                  }),
                   findings.end());
    std::sort(findings.begin(), findings.end(), FindingBefore);
    return findings;
}

std::vector<CheckedTree::Name> CheckedTree::ChangedNames(uint32_t file, const FileLint& before,
                                                         const FileLint& after,
                                                         bool& definitionsChanged) const {
    const bool base = m_layers.IsBaseLevel(file);
    const auto same = [&](const LintEntry& a, const LintEntry& b) {
        return a.m_line == b.m_line && a.m_column == b.m_column && a.m_live == b.m_live &&
               a.m_key == b.m_key && a.m_value == b.m_value &&
               before.m_sections[a.m_section] == after.m_sections[b.m_section];
    };
    const std::vector<LintEntry>& old = before.m_entries;
    const std::vector<LintEntry>& now = after.m_entries;
    const size_t shorter = std::min(old.size(), now.size());
    size_t prefix = 0;
    while (prefix < shorter && same(old[prefix], now[prefix])) {
        ++prefix;
    }
    size_t suffix = 0;
    while (suffix < shorter - prefix &&
           same(old[old.size() - 1 - suffix], now[now.size() - 1 - suffix])) {
        ++suffix;
    }
    // An entry that a finding of its own file explains counts otherwise in the checks of its
    // name: those whose findings came or went changed too.
    std::set<std::pair<size_t, size_t>> oldAt;
    std::set<std::pair<size_t, size_t>> newAt;
    for (const LintFinding& finding : before.m_findings) {
        oldAt.emplace(finding.m_line, finding.m_column);
    }
    for (const LintFinding& finding : after.m_findings) {
        newAt.emplace(finding.m_line, finding.m_column);
    }
    std::set<std::pair<size_t, size_t>> flipped;
    std::set_symmetric_difference(oldAt.begin(), oldAt.end(), newAt.begin(), newAt.end(),
                                  std::inserter(flipped, flipped.end()));

    std::set<Name> names;
    std::multiset<Name> defined[2];
    std::string buffer;
    const auto add = [&](const FileLint& lint, size_t from, size_t to, int side) {
        for (size_t i = from; i < to; ++i) {
            const LintEntry& entry = lint.m_entries[i];
            const std::string& key = base ? entry.m_key : LookupName(entry.m_key, buffer);
            Name name{lint.m_sections[entry.m_section], key};
            if (base && entry.m_live && side >= 0) {
                defined[side].insert(name);
            }
            names.insert(std::move(name));
        }
    };
    add(before, prefix, old.size() - suffix, 0);
    add(after, prefix, now.size() - suffix, 1);
    if (!flipped.empty()) {
        for (const FileLint* lint : {&before, &after}) {
            for (size_t i = 0; i < lint->m_entries.size(); ++i) {
                const LintEntry& entry = lint->m_entries[i];
                if (flipped.count({entry.m_line, entry.m_column}) != 0) {
                    add(*lint, i, i + 1, -1);
                }
            }
        }
    }
    std::vector<std::string> oldSections = before.m_sections;
    std::vector<std::string> newSections = after.m_sections;
    std::sort(oldSections.begin(), oldSections.end());
    std::sort(newSections.begin(), newSections.end());
    definitionsChanged = base && (defined[0] != defined[1] || oldSections != newSections);
    return std::vector<Name>(names.begin(), names.end());
}

bool CheckedTree::Replace(uint32_t id, std::shared_ptr<const FileLint> lint,
                          std::vector<uint32_t>& touched) {
    File& file = m_files[id];
    const std::shared_ptr<const FileLint> before = file.m_lint;
    // A file that could not be read is in neither the index nor the model.
    if (before == nullptr || lint == nullptr) {
        return false;
    }
    if (file.m_layer == Layer::kFileConfig && !file.m_userDefined && ListedOf(*lint) != m_listed) {
        return false;
    }
    bool definitionsChanged = false;
    const std::vector<Name> changed = ChangedNames(id, *before, *lint, definitionsChanged);
    m_layers.TakeOut(id);
    if (file.m_modelFile != TreeModel::kNoFile) {
        m_model.ReplaceLint(file.m_modelFile, lint);
    }
    file.m_lint = std::move(lint);
    m_layers.Put(id, file.m_lint.get(), file.m_relative, file.m_layer, m_layers.BaseRank(id));

    std::vector<std::pair<uint32_t, uint32_t>> entries;
    file.m_cross.clear();
    if (!m_layers.IsBaseLevel(id)) {
        for (uint32_t entry = 0; entry < file.m_lint->m_entries.size(); ++entry) {
            entries.emplace_back(id, entry);
        }
    }
    for (const Name& name : changed) {
        if (const std::vector<Holder>* settings = m_layers.Settings(name.first, name.second)) {
            for (const Holder& holder : *settings) {
                entries.emplace_back(holder.m_file, holder.m_entry);
            }
        }
    }
    // What a base-level file defines decides which overrides are unknown and what they are
    // told they might mean.
    if (definitionsChanged) {
        for (uint32_t other = 0; other < m_files.size(); ++other) {
            for (const auto& [entry, finding] : m_files[other].m_cross) {
                if (finding.m_rule == rule::kUnknownOverride) {
                    entries.emplace_back(other, entry);
                }
            }
        }
    }
    touched.push_back(id);
    Recheck(std::move(entries), touched);
    return true;
}

void CheckedTree::Recheck(std::vector<std::pair<uint32_t, uint32_t>> entries,
                          std::vector<uint32_t>& touched) {
    std::sort(entries.begin(), entries.end());
    entries.erase(std::unique(entries.begin(), entries.end()), entries.end());
    std::vector<LintFinding> found;
    for (size_t at = 0; at < entries.size();) {
        const uint32_t id = entries[at].first;
        size_t end = at;
        while (end < entries.size() && entries[end].first == id) {
            ++end;
        }
        auto& cross = m_files[id].m_cross;
        const std::vector<std::pair<uint32_t, LintFinding>> before = cross;
        const auto rechecked = [&](uint32_t entry) {
            return std::binary_search(entries.begin() + static_cast<std::ptrdiff_t>(at),
                                      entries.begin() + static_cast<std::ptrdiff_t>(end),
                                      std::make_pair(id, entry));
        };
        cross.erase(std::remove_if(cross.begin(), cross.end(),
                                   [&](const auto& item) { return rechecked(item.first); }),
                    cross.end());
        for (size_t i = at; i < end; ++i) {
            CheckEntry(id, entries[i].second, found);
            for (LintFinding& finding : found) {
                cross.emplace_back(entries[i].second, std::move(finding));
            }
        }
        std::stable_sort(cross.begin(), cross.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        // Only a file whose findings changed is touched: an edit of a name set in hundreds of
        // files mostly leaves their findings as they were.
        const bool same = std::equal(before.begin(), before.end(), cross.begin(), cross.end(),
                                     [](const auto& a, const auto& b) {
                                         return a.first == b.first &&
                                                a.second.m_rule == b.second.m_rule &&
                                                a.second.m_line == b.second.m_line &&
                                                a.second.m_column == b.second.m_column &&
                                                a.second.m_message == b.second.m_message;
                                     });
        if (!same && (touched.empty() || touched.back() != id)) {
            touched.push_back(id);
        }
        at = end;
    }
    std::sort(touched.begin(), touched.end());
    touched.erase(std::unique(touched.begin(), touched.end()), touched.end());
}
