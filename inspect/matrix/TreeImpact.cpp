#include "inspect/matrix/TreeImpact.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <tuple>
#include <utility>

#include "inspect/matrix/TreeModel.h"
#include "inspect/matrix/TreeVersion.h"
#include "resource/StringOps.h"

namespace fs = std::filesystem;

namespace {

using EntryName = std::pair<std::string, std::string>;  // section, key as lookups compare them

std::string Normal(const std::string& path) {
    return fs::path(path).lexically_normal().generic_string();
}

// The selections (group, transducer, clinical setting) that read a file of the text store,
// from its path below the resource root: an empty name stands for every one.
struct PathReaders {
    bool m_any = false;  // some selections read it
    std::string m_group;
    std::string m_probe;
    std::string m_clinical;

    bool Match(const std::string& f, const std::string& p, const std::string& a) const {
        return m_any && (m_group.empty() || m_group == f) && (m_probe.empty() || m_probe == p) &&
               (m_clinical.empty() || m_clinical == a);
    }
};

PathReaders ReadersOfPath(const std::string& relative, const std::set<std::string>& listed) {
    const std::string normal = Normal(relative);
    if (normal == FileSet::FileConfigFile("") || normal == FileSet::BaseFile("") ||
        normal == FileSet::ClinicalBaseFile("") || listed.count(normal) != 0) {
        return {true, {}, {}, {}};
    }
    std::vector<std::string> parts;
    for (const auto& part : fs::path(normal)) {
        parts.push_back(part.string());
    }
    if (parts.size() == 2 && normal == FileSet::GroupFile("", parts[0])) {
        return {true, parts[0], {}, {}};
    }
    if (parts.size() == 3 && normal == FileSet::ClinicalFile("", parts[1])) {
        return {true, {}, {}, parts[1]};
    }
    if (parts.size() == 3 && normal == FileSet::ProbeFile("", parts[0], parts[1])) {
        return {true, parts[0], parts[1], {}};
    }
    if (parts.size() == 4 &&
        normal == FileSet::GroupClinicalFile("", parts[0], parts[1], parts[2])) {
        return {true, parts[0], parts[1], parts[2]};
    }
    return {};
}

// The live entries of a file: entry name to value and line.
std::map<EntryName, std::pair<std::string, size_t>> EntriesOf(const FileLint& lint) {
    std::map<EntryName, std::pair<std::string, size_t>> entries;
    for (const LintEntry& entry : lint.m_entries) {
        const std::string& section = lint.m_sections[entry.m_section];
        if (entry.m_live && ReachableName(section) && ReachableName(entry.m_key)) {
            entries[{section, entry.m_key}] = {entry.m_value, entry.m_line};
        }
    }
    return entries;
}

// Lints of files by path below the resource root and the state of their bytes: a file that is
// the same in both versions is read and parsed once.
class ParseCache {
  public:
    bool Lint(const TreeVersion& version, const std::string& relative, const std::string& path,
              FileLint& lint, std::string& error) {
        const auto state = version.Files().find(relative);
        if (state == version.Files().end()) {
            return LintFile(path, lint, error);  // outside the tree: the disk
        }
        const Key key{relative, state->second.m_hash, state->second.m_size};
        auto it = m_lints.find(key);
        if (it == m_lints.end()) {
            std::string bytes;
            if (!version.Read(relative, bytes, error)) {
                return false;
            }
            it = m_lints.emplace(key, LintText(std::move(bytes), path)).first;
        }
        lint = it->second;
        lint.m_path = path;
        return true;
    }

  private:
    using Key = std::tuple<std::string, size_t, size_t>;
    std::map<Key, FileLint> m_lints;
};

// One version read: its files and the model of the selections that matter.
struct Side {
    std::unique_ptr<TreeVersion> m_version;  // text store only
    TreeModel m_model;
    std::string m_root;  // normalised, with "/": what model paths begin with
    std::vector<std::string> m_listed;
    mutable std::map<std::string, FileLint> m_unread;  // changed files no selection reads

    std::string PathOf(const std::string& relative) const { return m_root + relative; }
    std::string RelativeOf(const std::string& path) const {
        return path.compare(0, m_root.size(), m_root) == 0 ? path.substr(m_root.size()) : path;
    }
};

std::string Describe(const ImpactSide& side, const Side& loaded) {
    if (side.m_store == StoreKind::kBinary) {
        return "binary store " + side.m_tree.m_resourceFile;
    }
    return "text store " + side.m_tree.m_root + ", " + loaded.m_version->Describe();
}

bool OpenVersion(const ImpactSide& side, Side& loaded, std::vector<std::string>& warnings,
                 std::string& error) {
    loaded.m_version = side.m_revision.empty()
                           ? DiskVersion(side.m_tree.m_root, warnings, error)
                           : GitVersion(side.m_tree.m_root, side.m_revision, error);
    loaded.m_root = Normal(side.m_tree.m_root + "/");
    if (loaded.m_version == nullptr) {
        return false;
    }
    const std::string config = FileSet::FileConfigFile("");
    if (loaded.m_version->Files().count(config) != 0) {
        FileLint lint;
        std::string ignored;
        std::string bytes;
        if (loaded.m_version->Read(config, bytes, ignored)) {
            loaded.m_listed = TreeModel::ListedFiles(LintText(std::move(bytes), config),
                                                     FileCountReading::kTextStore);
        }
    }
    return true;
}

bool LoadModel(
    const ImpactSide& side, Side& loaded, ParseCache& cache,
    const std::function<bool(const std::string&, const std::string&, const std::string&)>& select,
    std::vector<std::string>& warnings, std::string& error) {
    std::vector<std::string> files;
    for (const auto& [relative, state] : loaded.m_version->Files()) {
        files.push_back(relative);
    }
    ModelSource source;
    source.m_files = &files;
    source.m_select = select;
    source.m_reader = [&](const std::string& path, FileLint& lint, std::string& readError) {
        return cache.Lint(*loaded.m_version, loaded.RelativeOf(path), path, lint, readError);
    };
    return loaded.m_model.LoadText(side.m_tree, source, warnings, error);
}

class Comparison {
  public:
    Comparison(const Side& from, const Side& to, TreeImpact& impact)
        : m_from(from), m_to(to), m_impact(impact) {}

    // The selections both versions offer, and those only one of them does.
    void MatchSelections() {
        std::map<std::tuple<std::string, std::string, std::string>, size_t> older;
        for (const SelectionName& name : m_from.m_model.Offered()) {
            older.emplace(Key(name), 0);
        }
        std::set<std::tuple<std::string, std::string, std::string>> newer;
        for (const SelectionName& name : m_to.m_model.Offered()) {
            newer.insert(Key(name));
            if (older.count(Key(name)) != 0) {
                m_index[Key(name)] = m_impact.m_selections.size();
                m_impact.m_selections.push_back(name);
            } else {
                m_impact.m_added.push_back(name);
            }
        }
        for (const SelectionName& name : m_from.m_model.Offered()) {
            if (newer.count(Key(name)) == 0) {
                m_impact.m_removed.push_back(name);
            }
        }
    }

    // Every entry of names in every selection that both models hold, entry by entry: the few
    // distinct changes of one entry are gathered before the next.
    void Compare(const std::set<EntryName>& names) {
        std::map<std::tuple<std::string, std::string, std::string>, size_t> older;
        const std::vector<ModelSelection>& before = m_from.m_model.Selections();
        for (size_t s = 0; s < before.size(); ++s) {
            older.emplace(Key(before[s]), s);
        }
        // (selection before, selection after, index in the impact's selections)
        std::vector<std::tuple<size_t, size_t, size_t>> pairs;
        const std::vector<ModelSelection>& after = m_to.m_model.Selections();
        for (size_t s = 0; s < after.size(); ++s) {
            const auto old = older.find(Key(after[s]));
            const auto index = m_index.find(Key(after[s]));
            if (old != older.end() && index != m_index.end()) {
                pairs.emplace_back(old->second, s, index->second);
            }
        }
        for (const EntryName& name : names) {
            const std::vector<Holder>* oldHolders = m_from.m_model.Holders(name.first, name.second);
            const std::vector<Holder>* newHolders = m_to.m_model.Holders(name.first, name.second);
            const size_t first = m_impact.m_changes.size();
            for (const auto& [before, after, index] : pairs) {
                const Holder* old = Winner(m_from, oldHolders, before);
                const Holder* now = Winner(m_to, newHolders, after);
                const std::string* oldValue = old ? &m_from.m_model.Entry(*old).m_value : nullptr;
                const std::string* newValue = now ? &m_to.m_model.Entry(*now).m_value : nullptr;
                if (oldValue == newValue ||
                    (oldValue != nullptr && newValue != nullptr && *oldValue == *newValue)) {
                    continue;
                }
                Record(name, first, old, before, now, after, index);
            }
        }
    }

    // Settings that changed in a file of either version but reached no selection.
    void FindMasked(const std::set<std::string>& changed, ParseCache& cache) {
        for (const std::string& relative : changed) {
            if (OnlyComingOrGoing(relative)) {
                continue;  // what it sets reaches the selections that come or go
            }
            const auto before = EntriesOf(LintOf(m_from, relative, cache));
            const auto after = EntriesOf(LintOf(m_to, relative, cache));
            const auto masked = [&](const EntryName& name, const auto* old, const auto* now) {
                if (m_seen.count({relative, name.first, name.second}) != 0) {
                    return;
                }
                MaskedChange change{relative,     now != nullptr ? now->second : old->second,
                                    name.first,   name.second,
                                    std::nullopt, std::nullopt};
                if (old != nullptr) {
                    change.m_from = old->first;
                }
                if (now != nullptr) {
                    change.m_to = now->first;
                }
                m_impact.m_masked.push_back(std::move(change));
            };
            for (const auto& [name, value] : after) {
                const auto old = before.find(name);
                if (old == before.end()) {
                    masked(name, static_cast<decltype(&value)>(nullptr), &value);
                } else if (old->second.first != value.first) {
                    masked(name, &old->second, &value);
                }
            }
            for (const auto& [name, value] : before) {
                if (after.count(name) == 0) {
                    masked(name, &value, static_cast<decltype(&value)>(nullptr));
                }
            }
        }
    }

  private:
    template <class Name>
    static std::tuple<std::string, std::string, std::string> Key(const Name& name) {
        return {name.m_group, name.m_probe, name.m_clinical};
    }

    // Whether the selections that read the file, in either version, are all ones that only
    // one version offers.
    bool OnlyComingOrGoing(const std::string& relative) const {
        bool read = false;
        for (const Side* side : {&m_from, &m_to}) {
            const uint32_t file = side->m_model.FindFile(side->PathOf(relative));
            if (file == TreeModel::kNoFile) {
                continue;
            }
            for (const Reading& reading : side->m_model.Readers(file)) {
                read = true;
                if (m_index.count(Key(side->m_model.Selections()[reading.m_selection])) != 0) {
                    return false;
                }
            }
        }
        return read;
    }

    static const FileLint& LintOf(const Side& side, const std::string& relative,
                                  ParseCache& cache) {
        static const FileLint kNone;
        const std::string path = side.PathOf(relative);
        const uint32_t file = side.m_model.FindFile(path);
        if (file != TreeModel::kNoFile) {
            return side.m_model.Files()[file].m_lint;
        }
        if (side.m_version == nullptr || side.m_version->Files().count(relative) == 0) {
            return kNone;
        }
        // A file that no modelled selection reads: read for its own changes.
        auto [it, added] = side.m_unread.try_emplace(relative);
        std::string error;
        if (added && !cache.Lint(*side.m_version, relative, path, it->second, error)) {
            it->second = FileLint();
        }
        return it->second;
    }

    static const Holder* Winner(const Side& side, const std::vector<Holder>* holders,
                                size_t selection) {
        return holders == nullptr ? nullptr : side.m_model.Winner(selection, *holders);
    }

    static ImpactPlace Place(const Side& side, const Holder* holder, size_t selection) {
        if (holder == nullptr) {
            return {};
        }
        const ModelFile& file = side.m_model.Files()[holder->m_file];
        return {side.RelativeOf(file.m_path), side.m_model.Entry(*holder).m_line,
                side.m_model.LayerName(selection, side.m_model.RankIn(holder->m_file, selection))};
    }

    // Adds the selection to the change of the entry's values among those made since first.
    void Record(const EntryName& name, size_t first, const Holder* old, size_t before,
                const Holder* now, size_t after, size_t index) {
        const std::optional<std::string> from =
            old ? std::optional<std::string>(m_from.m_model.Entry(*old).m_value) : std::nullopt;
        const std::optional<std::string> to =
            now ? std::optional<std::string>(m_to.m_model.Entry(*now).m_value) : std::nullopt;
        auto it = std::find_if(m_impact.m_changes.begin() + static_cast<std::ptrdiff_t>(first),
                               m_impact.m_changes.end(), [&](const ImpactChange& change) {
                                   return change.m_from == from && change.m_to == to;
                               });
        if (it == m_impact.m_changes.end()) {
            m_impact.m_changes.push_back({name.first,
                                          name.second,
                                          from,
                                          to,
                                          std::vector<bool>(m_impact.m_selections.size(), false),
                                          0,
                                          {},
                                          0});
            it = m_impact.m_changes.end() - 1;
        }
        ImpactChange& change = *it;
        if (!change.m_selections[index]) {
            change.m_selections[index] = true;
            ++change.m_count;
        }
        const std::pair<ImpactPlace, ImpactPlace> places{Place(m_from, old, before),
                                                         Place(m_to, now, after)};
        const bool known =
            std::find_if(change.m_places.begin(), change.m_places.end(), [&](const auto& p) {
                return !(p.first < places.first) && !(places.first < p.first) &&
                       !(p.second < places.second) && !(places.second < p.second);
            }) != change.m_places.end();
        if (!known) {
            if (change.m_places.size() < ImpactChange::kShownPlaces) {
                change.m_places.push_back(places);
            } else {
                ++change.m_morePlaces;  // may count a place again: it is a bound
            }
        }
        m_seen.emplace(places.first.m_file, name.first, name.second);
        m_seen.emplace(places.second.m_file, name.first, name.second);
    }

    const Side& m_from;
    const Side& m_to;
    TreeImpact& m_impact;
    std::map<std::tuple<std::string, std::string, std::string>, size_t> m_index;
    std::set<std::tuple<std::string, std::string, std::string>> m_seen;  // file, section, key
};

}  // namespace

bool ImpactPlace::operator<(const ImpactPlace& other) const {
    return std::tie(m_file, m_line, m_layer) < std::tie(other.m_file, other.m_line, other.m_layer);
}

bool ComputeImpact(const ImpactSide& from, const ImpactSide& to, TreeImpact& impact,
                   std::vector<std::string>& warnings, std::string& error) {
    impact = TreeImpact();
    Side before;
    Side after;
    ParseCache cache;
    std::set<std::string> changed;  // paths below the resource root
    std::set<EntryName> names;
    if (from.m_store == StoreKind::kText && to.m_store == StoreKind::kText) {
        if (!OpenVersion(from, before, warnings, error) ||
            !OpenVersion(to, after, warnings, error)) {
            return false;
        }
        const auto& older = before.m_version->Files();
        const auto& newer = after.m_version->Files();
        for (const auto& [relative, state] : newer) {
            const auto it = older.find(relative);
            if (it == older.end() || !(it->second == state)) {
                changed.insert(relative);
            }
        }
        for (const auto& [relative, state] : older) {
            if (newer.count(relative) == 0) {
                changed.insert(relative);
            }
        }
        std::set<std::string> listed;
        for (const Side* side : {&before, &after}) {
            for (const std::string& entry : side->m_listed) {
                listed.insert(Normal(entry));
            }
        }
        // A changed file configuration changes which files are listed.
        if (changed.count(FileSet::FileConfigFile("")) != 0) {
            changed.insert(listed.begin(), listed.end());
        }
        std::vector<PathReaders> readers;
        for (const std::string& relative : changed) {
            readers.push_back(ReadersOfPath(relative, listed));
        }
        const auto select = [&readers](const std::string& f, const std::string& p,
                                       const std::string& a) {
            return std::any_of(readers.begin(), readers.end(),
                               [&](const PathReaders& r) { return r.Match(f, p, a); });
        };
        if (!LoadModel(from, before, cache, select, warnings, error) ||
            !LoadModel(to, after, cache, select, warnings, error)) {
            return false;
        }
    } else {
        const auto load = [&](const ImpactSide& side, Side& loaded) {
            if (side.m_store == StoreKind::kBinary) {
                loaded.m_root = side.m_tree.m_dirPrefix;
                return loaded.m_model.LoadResource(side.m_tree, error);
            }
            return OpenVersion(side, loaded, warnings, error) &&
                   LoadModel(side, loaded, cache, nullptr, warnings, error);
        };
        if (!load(from, before) || !load(to, after)) {
            return false;
        }
        if (from.m_store == to.m_store) {
            // Two resource files: a file changed when its entries did.
            std::map<std::string, std::map<EntryName, std::pair<std::string, size_t>>> older;
            for (const ModelFile& file : before.m_model.Files()) {
                older[file.m_relative] = EntriesOf(file.m_lint);
            }
            for (const ModelFile& file : after.m_model.Files()) {
                const auto it = older.find(file.m_relative);
                if (it == older.end() || it->second != EntriesOf(file.m_lint)) {
                    changed.insert(file.m_relative);
                }
                if (it != older.end()) {
                    older.erase(it);
                }
            }
            for (const auto& [relative, entries] : older) {
                changed.insert(relative);
            }
        } else {
            // The text files against a resource file: every entry of both.
            for (const Side* side : {&before, &after}) {
                for (auto& name : side->m_model.EntryNames()) {
                    names.insert(std::move(name));
                }
            }
        }
    }
    impact.m_from = Describe(from, before);
    impact.m_to = Describe(to, after);
    impact.m_changedFiles = changed.size();
    for (const Side* side : {&before, &after}) {
        for (const std::string& relative : changed) {
            const uint32_t file = side->m_model.FindFile(side->PathOf(relative));
            if (file == TreeModel::kNoFile) {
                continue;
            }
            for (const auto& [name, value] : EntriesOf(side->m_model.Files()[file].m_lint)) {
                names.insert(name);
            }
        }
    }
    Comparison comparison(before, after, impact);
    comparison.MatchSelections();
    comparison.Compare(names);
    comparison.FindMasked(changed, cache);
    std::sort(impact.m_changes.begin(), impact.m_changes.end(),
              [](const ImpactChange& a, const ImpactChange& b) {
                  return std::tie(a.m_section, a.m_key, a.m_from, a.m_to) <
                         std::tie(b.m_section, b.m_key, b.m_from, b.m_to);
              });
    std::sort(impact.m_masked.begin(), impact.m_masked.end(),
              [](const MaskedChange& a, const MaskedChange& b) {
                  return std::tie(a.m_file, a.m_line, a.m_section, a.m_key) <
                         std::tie(b.m_file, b.m_line, b.m_section, b.m_key);
              });
    return true;
}
