#include "inspect/matrix/TreeModel.h"

#include <fendrel/ResourceReader.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <system_error>
#include <utility>

#include "fileset/FileConfig.h"
#include "inspect/tree/ParamFileWalk.h"
#include "inspect/tree/TreeListing.h"
#include "resource/StringOps.h"
#include "textstore/NameConstants.h"

namespace fs = std::filesystem;

namespace {

constexpr uint32_t kNoFile = TreeModel::kNoFile;

// The binary store's layer names of its seven selection entries, by SelectionSlot.
constexpr const char* kSlotLayers[kSelectionSlots] = {
    "clinical",       "clinical base",        "group clinical (product)",
    "group clinical", "transducer (product)", "transducer",
    "group"};

std::string Normal(const std::string& path) {
    return fs::path(path).lexically_normal().generic_string();
}

}  // namespace

std::vector<std::string> TreeModel::ListedFiles(const FileLint& config, FileCountReading reading) {
    std::vector<std::string> listed;
    for (const LintEntry* entry : ListedFileEntries(config, reading)) {
        listed.push_back(entry->m_value);
    }
    return listed;
}

namespace {

// A resource file's entries as a file's lint would hold them.
FileLint LintOfEntries(const std::string& path, std::vector<fendrel::ResourceEntry>& entries) {
    FileLint lint;
    lint.m_path = path;
    for (fendrel::ResourceEntry& entry : entries) {
        if (lint.m_sections.empty() || lint.m_sections.back() != entry.section) {
            lint.m_sections.push_back(std::move(entry.section));
        }
        LintEntry stored;
        stored.m_section = static_cast<uint32_t>(lint.m_sections.size() - 1);
        stored.m_key = std::move(entry.key);
        stored.m_value = std::move(entry.value);
        lint.m_entries.push_back(std::move(stored));
    }
    return lint;
}

// The selections' names: every transducer of every group with every clinical setting the tree
// names (below "Clns" or below a transducer, a product's included).
struct Names {
    std::vector<std::pair<std::string, std::vector<std::string>>> m_transducers;  // by group
    std::vector<std::string> m_clinical;
};

Names NamesOf(const TreeListing& listing) {
    Names names;
    std::set<std::string> clinical(listing.m_clinical.begin(), listing.m_clinical.end());
    for (const GroupListing& group : listing.m_groups) {
        std::vector<std::string> probes;
        for (const TransducerListing& transducer : group.m_transducers) {
            probes.push_back(transducer.m_name);
            clinical.insert(transducer.m_clinical.begin(), transducer.m_clinical.end());
            for (const TransducerListing& product : transducer.m_products) {
                clinical.insert(product.m_clinical.begin(), product.m_clinical.end());
            }
        }
        names.m_transducers.emplace_back(group.m_name, std::move(probes));
    }
    names.m_clinical.assign(clinical.begin(), clinical.end());
    return names;
}

// The files of one selection in precedence order, each with its layer name; a file named twice
// keeps its first rank.
struct SelectionStack {
    void Add(uint32_t file, const std::string& layer) {
        if (file != kNoFile && std::find(m_files.begin(), m_files.end(), file) == m_files.end()) {
            m_files.push_back(file);
            m_layers.push_back(layer);
        }
    }

    std::vector<uint32_t> m_files;
    std::vector<std::string> m_layers;
};

}  // namespace

uint32_t TreeModel::AddFile(std::string path, std::string relative,
                            std::shared_ptr<const FileLint> lint) {
    m_byPath.emplace(path, static_cast<uint32_t>(m_files.size()));
    m_files.push_back(ModelFile{std::move(path), std::move(relative), std::move(lint)});
    m_readers.emplace_back();
    return static_cast<uint32_t>(m_files.size() - 1);
}

void TreeModel::AddSelection(ModelSelection selection, std::vector<uint32_t> stack,
                             std::vector<std::string> layers) {
    const auto index = static_cast<uint32_t>(m_selections.size());
    std::vector<uint32_t> ids;
    for (uint32_t rank = 0; rank < stack.size(); ++rank) {
        m_readers[stack[rank]].push_back(Reading{index, rank});
        const std::string& layer = layers[rank];
        m_files[stack[rank]].m_baseLevel |= layer == "base" || layer == "clinical base" ||
                                            layer == "listed" || layer.rfind("File", 0) == 0;
        const auto [known, added] =
            m_layerIds.emplace(layer, static_cast<uint32_t>(m_layerNames.size()));
        if (added) {
            m_layerNames.push_back(layer);
        }
        ids.push_back(known->second);
    }
    m_selections.push_back(std::move(selection));
    m_stacks.push_back(std::move(stack));
    m_layers.push_back(std::move(ids));
    m_offeredIndex.push_back(static_cast<uint32_t>(m_offered.size() - 1));
}

bool TreeModel::LoadText(const TreeLocation& tree, const ModelSource& source,
                         std::vector<std::string>& errors, std::string& error) {
    *this = TreeModel();
    m_kind = StoreKind::kText;
    m_source = tree.m_root;
    std::error_code fsError;
    std::map<std::string, std::string> shipped;  // normalised relative path -> path
    std::vector<std::string> relatives;
    if (source.m_files != nullptr) {
        for (const std::string& relative : *source.m_files) {
            shipped.emplace(Normal(relative), Normal(tree.m_root + relative));
        }
        relatives = *source.m_files;
    } else {
        if (!fs::is_directory(tree.m_root, fsError)) {
            error = "no parameter tree at " + tree.m_root +
                    " (not a directory); point --settings or --root at the directory that holds "
                    "dev/";
            return false;
        }
        const ParamFileWalk walk = WalkParamFiles(tree.m_root);
        if (walk.m_error) {
            errors.push_back("cannot read the directory " + tree.m_root + ": " +
                             walk.m_error.message());
        }
        for (const ParamFileEntry& file : walk.m_files) {
            shipped.emplace(Normal(file.m_relative), Normal(file.m_path));
            relatives.push_back(file.m_relative);
        }
    }
    const FileReader& reader = source.m_reader;

    // Each file is read once, when a selection first names it.
    std::map<std::string, uint32_t> loaded;
    const auto load = [&](const std::string& relative, const std::string& path) -> uint32_t {
        const auto known = loaded.find(path);
        if (known != loaded.end()) {
            return known->second;
        }
        std::string readError;
        std::shared_ptr<const FileLint> lint;
        if (reader) {
            lint = reader(path, readError);
        } else {
            auto own = std::make_shared<FileLint>();
            if (LintFile(path, *own, readError)) {
                lint = std::move(own);
            }
        }
        if (lint == nullptr) {
            errors.push_back(readError);
            loaded.emplace(path, kNoFile);
            return kNoFile;
        }
        const uint32_t file = AddFile(path, relative, std::move(lint));
        loaded.emplace(path, file);
        return file;
    };
    const auto findShipped = [&](const std::string& relative) {
        const std::string normal = Normal(relative);
        const auto it = shipped.find(normal);
        return it == shipped.end() ? kNoFile : load(normal, it->second);
    };
    // A listed file may lie outside the tree's layer paths, even outside the resource root.
    const auto findListed = [&](const std::string& entry) {
        const uint32_t file = findShipped(entry);
        if (file != kNoFile) {
            return file;
        }
        const std::string path = Normal(tree.m_root + entry);
        return source.m_files == nullptr && fs::is_regular_file(path, fsError)
                   ? load(Normal(entry), path)
                   : kNoFile;
    };
    const auto findUser = [&](const std::string& path) {
        return fs::is_regular_file(path, fsError)
                   ? load(fs::path(path).lexically_relative(tree.m_userDir).generic_string(),
                          Normal(path))
                   : kNoFile;
    };

    std::vector<std::string> listed;
    const uint32_t config = findShipped(FileSet::FileConfigFile(""));
    if (config != kNoFile) {
        listed = ListedFiles(m_files[config].Lint(), FileCountReading::kTextStore);
    }
    std::vector<std::string> outside;
    const Names names = NamesOf(ListTree(PathNameTree(relatives, "", outside), false));
    const std::string ruleDir = FileSet::ProductRuleDir(tree.m_productRule);
    for (const auto& [f, probes] : names.m_transducers) {
        for (const std::string& p : probes) {
            for (const std::string& a : names.m_clinical) {
                m_offered.push_back({f, p, a});
                if (source.m_select && !source.m_select(f, p, a)) {
                    continue;
                }
                SelectionStack text;
                text.Add(findUser(FileSet::UserDefinedFile(tree.m_userDir, f, p, a)),
                         "user-defined");
                text.Add(findShipped(FileSet::ClinicalFile("", a)), "clinical");
                text.Add(findShipped(FileSet::ClinicalBaseFile("")), "clinical base");
                text.Add(findShipped(FileSet::GroupClinicalFile("", f, p, a)), "group clinical");
                text.Add(findShipped(FileSet::ProbeFile("", f, p)), "transducer");
                text.Add(findShipped(FileSet::GroupFile("", f)), "group");
                text.Add(findShipped(FileSet::BaseFile("")), "base");
                for (size_t i = 0; i < listed.size(); ++i) {
                    text.Add(findListed(listed[i]), "File" + std::to_string(i));
                }
                AddSelection({f, p, a, StoreKind::kText, {}}, std::move(text.m_files),
                             std::move(text.m_layers));
                if (!source.m_packed || tree.m_productRule.empty()) {
                    continue;
                }
                // The binary store of the same tree packed, with the product's own files.
                const auto held = [&](const std::string& relative) {
                    return shipped.count(Normal(relative)) != 0;
                };
                const bool productProbe = held(FileSet::ProductProbeFile("", f, p, ruleDir));
                const SelectionPaths paths =
                    FileSet::SelectionFiles("", ruleDir, f, p, a, productProbe);
                SelectionStack binary;
                for (size_t slot = 0; slot < kSelectionSlots; ++slot) {
                    binary.Add(findShipped(paths[slot]), kSlotLayers[slot]);
                }
                const auto resolve = [&](const std::string& name) {
                    const std::string product = FileSet::ProductFile("", ruleDir, name);
                    return findShipped(held(product) ? product : FileSet::ListedFile("", name));
                };
                binary.Add(resolve(FileSet::BaseFile("")), "base");
                for (const std::string& entry : listed) {
                    binary.Add(resolve(entry), "listed");
                }
                AddSelection({f, p, a, StoreKind::kBinary, productProbe ? tree.m_productRule : ""},
                             std::move(binary.m_files), std::move(binary.m_layers));
            }
        }
    }
    IndexHolders();
    return true;
}

bool TreeModel::LoadResource(const TreeLocation& tree, std::string& error,
                             const std::pair<std::string, std::string>* only) {
    *this = TreeModel();
    m_kind = StoreKind::kBinary;
    m_source = tree.m_resourceFile;
    fendrel::ResourceReader reader;
    if (!reader.Open(tree.m_resourceFile, error)) {
        error = "cannot read " + tree.m_resourceFile + ": " + error;
        return false;
    }
    const std::string& prefix = tree.m_dirPrefix;
    const std::vector<std::string> paths = reader.Files();
    std::vector<std::vector<fendrel::ResourceEntry>> entries;
    if (only == nullptr) {
        entries = reader.Entries();
    } else {
        entries.resize(paths.size());
        for (auto& [file, value] : reader.Holders(only->first, only->second)) {
            entries[file].push_back({only->first, only->second, std::move(value)});
        }
        const std::string config = FileSet::FileConfigFile(prefix);
        const auto at = std::find(paths.begin(), paths.end(), config);
        if (at != paths.end()) {
            entries[static_cast<size_t>(at - paths.begin())] = reader.FileEntries(config);
        }
    }
    std::map<std::string, uint32_t> byRelative;
    for (size_t i = 0; i < paths.size(); ++i) {
        if (paths[i].compare(0, prefix.size(), prefix) == 0) {
            const std::string relative = paths[i].substr(prefix.size());
            byRelative.emplace(
                relative,
                AddFile(paths[i], relative,
                        std::make_shared<const FileLint>(LintOfEntries(paths[i], entries[i]))));
        }
    }
    const auto find = [&](const std::string& relative) {
        const auto it = byRelative.find(relative);
        return it == byRelative.end() ? kNoFile : it->second;
    };
    std::vector<std::string> listed;
    const uint32_t config = find(FileSet::FileConfigFile(""));
    if (config != kNoFile) {
        listed = ListedFiles(m_files[config].Lint(), FileCountReading::kBinaryStore);
    }
    std::vector<std::string> outside;
    const Names names = NamesOf(ListTree(PathNameTree(paths, prefix, outside), true));
    const std::string ruleDir = FileSet::ProductRuleDir(tree.m_productRule);
    const auto resolve = [&](const std::string& name) {
        const std::string product = FileSet::ProductFile("", ruleDir, name);
        return find(product) != kNoFile ? product : FileSet::ListedFile("", name);
    };
    for (const auto& [f, probes] : names.m_transducers) {
        for (const std::string& p : probes) {
            const bool productProbe = find(FileSet::ProductProbeFile("", f, p, ruleDir)) != kNoFile;
            for (const std::string& a : names.m_clinical) {
                m_offered.push_back({f, p, a});
                const SelectionPaths slots =
                    FileSet::SelectionFiles("", ruleDir, f, p, a, productProbe);
                SelectionStack binary;
                for (size_t slot = 0; slot < kSelectionSlots; ++slot) {
                    binary.Add(find(slots[slot]), kSlotLayers[slot]);
                }
                binary.Add(find(resolve(FileSet::BaseFile(""))), "base");
                for (const std::string& entry : listed) {
                    binary.Add(find(resolve(entry)), "listed");
                }
                AddSelection({f, p, a, StoreKind::kBinary, productProbe ? tree.m_productRule : ""},
                             std::move(binary.m_files), std::move(binary.m_layers));
            }
        }
    }
    IndexHolders();
    return true;
}

void TreeModel::IndexHolders() {
    constexpr size_t kDenseReaders = 64;
    m_denseRanks.assign(m_files.size(), {});
    size_t entries = 0;
    for (uint32_t file = 0; file < m_files.size(); ++file) {
        entries += m_readers[file].empty() ? 0 : m_files[file].Lint().m_entries.size();
        if (m_readers[file].size() >= kDenseReaders) {
            m_denseRanks[file].assign(m_selections.size(), kUnread);
            for (const Reading& reading : m_readers[file]) {
                m_denseRanks[file][reading.m_selection] = reading.m_rank;
            }
        }
    }
    m_holders.Clear();
    m_holders.Reserve(entries);
    for (uint32_t file = 0; file < m_files.size(); ++file) {
        IndexFile(file, true);
    }
}

void TreeModel::IndexFile(uint32_t file, bool add) {
    if (m_readers[file].empty()) {
        return;  // read by no selection: it answers nothing
    }
    const FileLint& lint = m_files[file].Lint();
    const auto nameOf = [this](const Holder& holder) -> HolderIndex::Name {
        return {Section(holder), Entry(holder).m_key};
    };
    for (uint32_t i = 0; i < lint.m_entries.size(); ++i) {
        const LintEntry& entry = lint.m_entries[i];
        const std::string& section = lint.m_sections[entry.m_section];
        if (!entry.m_live || !ReachableName(section) || !ReachableName(entry.m_key)) {
            continue;
        }
        if (add) {
            m_holders.Add({section, entry.m_key}, Holder{file, i});
        } else {
            m_holders.Remove({section, entry.m_key}, Holder{file, i}, nameOf);
        }
    }
}

void TreeModel::ReplaceLint(uint32_t file, std::shared_ptr<const FileLint> lint) {
    IndexFile(file, false);
    m_files[file].m_lint = std::move(lint);
    IndexFile(file, true);
}

const std::vector<Holder>* TreeModel::Holders(std::string_view section,
                                              std::string_view key) const {
    return m_holders.Find({section, key});
}

uint32_t TreeModel::FindFile(const std::string& path) const {
    const auto it = m_byPath.find(path);
    return it == m_byPath.end() ? kNoFile : it->second;
}

// The readers of a file are in selection order: they were added one selection after another.
uint32_t TreeModel::RankIn(uint32_t file, size_t selection) const {
    if (!m_denseRanks[file].empty()) {
        return m_denseRanks[file][selection];
    }
    const std::vector<Reading>& readers = m_readers[file];
    const auto it =
        std::lower_bound(readers.begin(), readers.end(), selection,
                         [](const Reading& reading, size_t s) { return reading.m_selection < s; });
    return it == readers.end() || it->m_selection != selection ? kUnread : it->m_rank;
}

const Holder* TreeModel::Winner(size_t selection, const std::vector<Holder>& holders) const {
    const Holder* best = nullptr;
    uint32_t bestRank = kUnread;
    for (const Holder& holder : holders) {
        const uint32_t rank = RankIn(holder.m_file, selection);
        if (rank < bestRank) {
            bestRank = rank;
            best = &holder;
        }
    }
    return best;
}

void TreeModel::Winners(const std::vector<Holder>* holders, std::vector<const Holder*>& winners,
                        std::vector<uint32_t>& ranks) const {
    winners.assign(m_selections.size(), nullptr);
    ranks.assign(m_selections.size(), kUnread);
    if (holders == nullptr) {
        return;
    }
    for (const Holder& holder : *holders) {
        for (const Reading& reading : m_readers[holder.m_file]) {
            if (reading.m_rank < ranks[reading.m_selection]) {
                ranks[reading.m_selection] = reading.m_rank;
                winners[reading.m_selection] = &holder;
            }
        }
    }
}

std::vector<std::pair<std::string, std::string>> TreeModel::EntryNames() const {
    std::vector<std::pair<std::string, std::string>> names;
    names.reserve(m_holders.Size());
    m_holders.ForEach([&names](const HolderIndex::Name& name, const std::vector<Holder>&) {
        names.emplace_back(name.first, name.second);
    });
    std::sort(names.begin(), names.end());
    return names;
}

std::string TreeModel::Where(const Holder& holder) const {
    const ModelFile& file = m_files[holder.m_file];
    const size_t line = Entry(holder).m_line;
    return file.m_relative + (line == 0 ? "" : ":" + std::to_string(line));
}
