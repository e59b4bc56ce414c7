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

// A live setting of a file: its value, line and index among the file's entries.
struct Setting {
    std::string m_value;
    size_t m_line = 0;
    size_t m_entry = 0;
    // Files compare by what they set, not where.
    bool operator==(const Setting& other) const { return m_value == other.m_value; }
    bool operator!=(const Setting& other) const { return m_value != other.m_value; }
};

// The live settings of a file by entry name.
std::map<EntryName, Setting> EntriesOf(const FileLint& lint) {
    std::map<EntryName, Setting> entries;
    for (size_t i = 0; i < lint.m_entries.size(); ++i) {
        const LintEntry& entry = lint.m_entries[i];
        const std::string& section = lint.m_sections[entry.m_section];
        if (entry.m_live && ReachableName(section) && ReachableName(entry.m_key)) {
            entries[{section, entry.m_key}] = {entry.m_value, entry.m_line, i};
        }
    }
    return entries;
}

// Lints of files by path below the resource root and the state of their bytes: a file that is
// the same in both versions is read and parsed once, and both models share its lint.
class ParseCache {
  public:
    std::shared_ptr<const FileLint> Lint(const TreeVersion& version, const std::string& relative,
                                         const std::string& path, std::string& error) {
        const auto state = version.Files().find(relative);
        if (state == version.Files().end()) {
            auto lint = std::make_shared<FileLint>();  // outside the tree: the disk
            return LintFile(path, *lint, error) ? lint : nullptr;
        }
        const Key key{relative, state->second.m_hash, state->second.m_size};
        auto it = m_lints.find(key);
        if (it == m_lints.end()) {
            std::string bytes;
            if (!version.Read(relative, bytes, error)) {
                return nullptr;
            }
            it = m_lints
                     .emplace(key,
                              std::make_shared<const FileLint>(LintText(std::move(bytes), path)))
                     .first;
        }
        return it->second;
    }

  private:
    using Key = std::tuple<std::string, size_t, size_t>;
    std::map<Key, std::shared_ptr<const FileLint>> m_lints;
};

// One version read: its files and the model of the selections that matter.
struct Side {
    std::unique_ptr<TreeVersion> m_version;  // text store only
    TreeModel m_model;
    std::string m_root;  // normalised, with "/": what model paths begin with
    std::vector<std::string> m_listed;
    mutable std::map<std::string, std::shared_ptr<const FileLint>> m_unread;  // read by none

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
    source.m_reader = [&](const std::string& path, std::string& readError) {
        return cache.Lint(*loaded.m_version, loaded.RelativeOf(path), path, readError);
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

    // Every entry of names in every selection that both models hold, entry by entry: the winners
    // of all selections at once from the files' readers, then the few distinct changes of the
    // entry gathered before the next.
    void Compare(const std::set<EntryName>& names) {
        std::map<std::tuple<std::string, std::string, std::string>, size_t> older;
        const std::vector<ModelSelection>& before = m_from.m_model.Selections();
        for (size_t s = 0; s < before.size(); ++s) {
            older.emplace(Key(before[s]), s);
        }
        std::vector<std::tuple<size_t, size_t, size_t>> pairs;  // before, after, impact index
        const std::vector<ModelSelection>& after = m_to.m_model.Selections();
        for (size_t s = 0; s < after.size(); ++s) {
            const auto old = older.find(Key(after[s]));
            const auto index = m_index.find(Key(after[s]));
            if (old != older.end() && index != m_index.end()) {
                pairs.emplace_back(old->second, s, index->second);
            }
        }
        m_seenFrom.assign(m_from.m_model.Files().size(), {});
        m_seenTo.assign(m_to.m_model.Files().size(), {});
        std::vector<const Holder*> oldWinners;
        std::vector<const Holder*> newWinners;
        std::vector<uint32_t> ranks;
        std::vector<Pending> pending;
        for (const EntryName& name : names) {
            m_from.m_model.Winners(m_from.m_model.Holders(name.first, name.second), oldWinners,
                                   ranks);
            m_to.m_model.Winners(m_to.m_model.Holders(name.first, name.second), newWinners, ranks);
            pending.clear();
            for (const auto& [before, after, index] : pairs) {
                const Holder* old = oldWinners[before];
                const Holder* now = newWinners[after];
                const std::string* from = old ? &m_from.m_model.Entry(*old).m_value : nullptr;
                const std::string* to = now ? &m_to.m_model.Entry(*now).m_value : nullptr;
                if (Same(from, to)) {
                    continue;
                }
                Mark(m_seenFrom, old);
                Mark(m_seenTo, now);
                const uint32_t oldLayer = LayerOf(m_from, old, before);
                const uint32_t newLayer = LayerOf(m_to, now, after);
                auto it = std::find_if(pending.begin(), pending.end(), [&](const Pending& p) {
                    return p.m_oldHolder == old && p.m_newHolder == now &&
                           std::get<2>(p.m_place) == oldLayer && std::get<5>(p.m_place) == newLayer;
                });
                if (it == pending.end()) {
                    pending.push_back(
                        {old,
                         now,
                         from,
                         to,
                         PlaceIds{old ? old->m_file : UINT32_MAX, old ? old->m_entry : 0, oldLayer,
                                  now ? now->m_file : UINT32_MAX, now ? now->m_entry : 0, newLayer},
                         {}});
                    it = pending.end() - 1;
                }
                it->m_selections.push_back(static_cast<uint32_t>(index));
            }
            Finish(pending);
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
            const auto masked = [&](const EntryName& name, const Setting* old, const Setting* now) {
                if ((old != nullptr && Seen(m_seenFrom, m_from, relative, old->m_entry)) ||
                    (now != nullptr && Seen(m_seenTo, m_to, relative, now->m_entry))) {
                    return;
                }
                const size_t line = now != nullptr ? now->m_line : old != nullptr ? old->m_line : 0;
                MaskedChange change{relative,    line,         name.first,
                                    name.second, std::nullopt, std::nullopt};
                if (old != nullptr) {
                    change.m_from = old->m_value;
                }
                if (now != nullptr) {
                    change.m_to = now->m_value;
                }
                m_impact.m_masked.push_back(std::move(change));
            };
            for (const auto& [name, value] : after) {
                const auto old = before.find(name);
                if (old == before.end()) {
                    masked(name, nullptr, &value);
                } else if (old->second != value) {
                    masked(name, &old->second, &value);
                }
            }
            for (const auto& [name, value] : before) {
                if (after.count(name) == 0) {
                    masked(name, &value, nullptr);
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
            return side.m_model.Files()[file].Lint();
        }
        if (side.m_version == nullptr || side.m_version->Files().count(relative) == 0) {
            return kNone;
        }
        // A file that no modelled selection reads: read for its own changes.
        auto [it, added] = side.m_unread.try_emplace(relative);
        std::string error;
        if (added) {
            it->second = cache.Lint(*side.m_version, relative, path, error);
        }
        return it->second != nullptr ? *it->second : kNone;
    }

    // A setting's place by numbers: file and entry in the older model, then in the newer one,
    // each with the layer's id; no file (UINT32_MAX) where the entry is absent.
    using PlaceIds = std::tuple<uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t>;

    // The selections in which one pair of winners (older, newer) gives the entry two values.
    struct Pending {
        const Holder* m_oldHolder;
        const Holder* m_newHolder;
        const std::string* m_from;
        const std::string* m_to;
        PlaceIds m_place;
        std::vector<uint32_t> m_selections;  // into the impact's selections
    };

    static uint32_t LayerOf(const Side& side, const Holder* holder, size_t selection) {
        return holder == nullptr ? 0
                                 : side.m_model.LayerId(
                                       selection, side.m_model.RankIn(holder->m_file, selection));
    }

    static bool Same(const std::string* a, const std::string* b) {
        return a == b || (a != nullptr && b != nullptr && *a == *b);
    }

    static void Mark(std::vector<std::vector<bool>>& seen, const Holder* holder) {
        if (holder == nullptr) {
            return;
        }
        std::vector<bool>& file = seen[holder->m_file];
        if (file.size() <= holder->m_entry) {
            file.resize(holder->m_entry + 1, false);
        }
        file[holder->m_entry] = true;
    }

    static bool Seen(const std::vector<std::vector<bool>>& seen, const Side& side,
                     const std::string& relative, size_t entry) {
        const uint32_t file = side.m_model.FindFile(side.PathOf(relative));
        return file != TreeModel::kNoFile && entry < seen[file].size() && seen[file][entry];
    }

    // A name kept once in the impact.
    uint32_t Name(const std::string& name) {
        const auto [it, added] =
            m_nameIds.emplace(name, static_cast<uint32_t>(m_impact.m_names.size()));
        if (added) {
            m_impact.m_names.push_back(name);
        }
        return it->second;
    }

    ImpactPlace Place(const Side& side, uint32_t file, uint32_t entry, uint32_t layer) {
        if (file == UINT32_MAX) {
            return {};
        }
        const ModelFile& model = side.m_model.Files()[file];
        return {Name(side.RelativeOf(model.m_path)), model.Lint().m_entries[entry].m_line,
                Name(side.m_model.LayerNameOf(layer))};
    }

    // The entry's changes: those with the same values (from other files) become one.
    void Finish(const std::vector<Pending>& pending) {
        const size_t first = m_impact.m_changes.size();
        for (const Pending& p : pending) {
            auto it =
                std::find_if(m_impact.m_changes.begin() + static_cast<std::ptrdiff_t>(first),
                             m_impact.m_changes.end(), [&](const ImpactChange& change) {
                                 return Same(change.m_from, p.m_from) && Same(change.m_to, p.m_to);
                             });
            if (it == m_impact.m_changes.end()) {
                const Holder& named = p.m_newHolder ? *p.m_newHolder : *p.m_oldHolder;
                const TreeModel& model = p.m_newHolder ? m_to.m_model : m_from.m_model;
                ImpactChange change;
                change.m_section = &model.Section(named);
                change.m_key = &model.Entry(named).m_key;
                change.m_from = p.m_from;
                change.m_to = p.m_to;
                change.m_selections.assign(m_impact.m_selections.size(), false);
                m_impact.m_changes.push_back(std::move(change));
                it = m_impact.m_changes.end() - 1;
            }
            for (const uint32_t i : p.m_selections) {
                if (!it->m_selections[i]) {
                    it->m_selections[i] = true;
                    ++it->m_count;
                }
            }
            const auto& [oldFile, oldEntry, oldLayer, newFile, newEntry, newLayer] = p.m_place;
            const std::pair<ImpactPlace, ImpactPlace> place{
                Place(m_from, oldFile, oldEntry, oldLayer),
                Place(m_to, newFile, newEntry, newLayer)};
            if (std::find(it->m_places.begin(), it->m_places.end(), place) == it->m_places.end()) {
                if (it->m_places.size() < ImpactChange::kShownPlaces) {
                    it->m_places.push_back(place);
                } else {
                    ++it->m_morePlaces;
                }
            }
        }
    }

    const Side& m_from;
    const Side& m_to;
    TreeImpact& m_impact;
    std::map<std::tuple<std::string, std::string, std::string>, size_t> m_index;
    // The settings that won a changed entry in some selection, by file and entry.
    std::vector<std::vector<bool>> m_seenFrom;
    std::vector<std::vector<bool>> m_seenTo;
    std::map<std::string, uint32_t> m_nameIds;
};

}  // namespace

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
            std::map<std::string, std::map<EntryName, Setting>> older;
            for (const ModelFile& file : before.m_model.Files()) {
                older[file.m_relative] = EntriesOf(file.Lint());
            }
            for (const ModelFile& file : after.m_model.Files()) {
                const auto it = older.find(file.m_relative);
                if (it == older.end() || it->second != EntriesOf(file.Lint())) {
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
            for (const auto& [name, value] : EntriesOf(side->m_model.Files()[file].Lint())) {
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
                  const auto key = [](const ImpactChange& c) {
                      return std::make_tuple(
                          std::cref(*c.m_section), std::cref(*c.m_key), c.m_from != nullptr,
                          std::cref(TreeImpact::Text(c.m_from)), c.m_to != nullptr,
                          std::cref(TreeImpact::Text(c.m_to)));
                  };
                  return key(a) < key(b);
              });
    for (const Side* side : {&before, &after}) {
        for (const ModelFile& file : side->m_model.Files()) {
            impact.m_kept.push_back(file.m_lint);
        }
    }
    std::sort(impact.m_masked.begin(), impact.m_masked.end(),
              [](const MaskedChange& a, const MaskedChange& b) {
                  return std::tie(a.m_file, a.m_line, a.m_section, a.m_key) <
                         std::tie(b.m_file, b.m_line, b.m_section, b.m_key);
              });
    return true;
}
