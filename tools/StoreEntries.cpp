#include "StoreEntries.h"

#include "binstore/binFileMsgImpl.h"
#include "textstore/NameConstants.h"
#include "textstore/ResourceMsgImp.h"

namespace {

// Names of the binary store's seven selection entries, in the parser's order of precedence.
constexpr const char* kSelectionLayers[] = {
    "clinical",       "clinical base",        "group clinical (product)",
    "group clinical", "transducer (product)", "transducer",
    "group"};

struct RankedFile {
    std::string m_layer;
    std::string m_file;
};

// The contained files the binary store handed over, in the parser's order of precedence: the
// selection entries, then the base list; empty entries, files the resource file lacks and
// repeated files (which keep their first rank) left out.
std::vector<RankedFile> RankedFiles(const Selection& selection) {
    const binFileMsgImpl& store = *selection.BinaryStore();
    std::vector<RankedFile> ranked;
    const auto add = [&](const std::string& layer, const std::string& file) {
        if (file.empty() || !selection.Catalog().HasFile(file)) {
            return;
        }
        for (const RankedFile& earlier : ranked) {
            if (earlier.m_file == file) {
                return;
            }
        }
        ranked.push_back(RankedFile{layer, file});
    };
    const std::vector<std::string>& chosen = store.SelectionFiles();
    for (size_t i = 0; i < chosen.size() && i < std::size(kSelectionLayers); ++i) {
        add(kSelectionLayers[i], chosen[i]);
    }
    const std::vector<std::string>& base = store.BaseFiles();
    for (size_t i = 0; i < base.size(); ++i) {
        add(i == 0 ? "base" : "listed", base[i]);
    }
    return ranked;
}

std::string LayerOf(const std::vector<RankedFile>& ranked, const std::string& file) {
    for (const RankedFile& candidate : ranked) {
        if (candidate.m_file == file) {
            return candidate.m_layer;
        }
    }
    return std::string();
}

// A stored name that a lookup finds under the same name: lookups drop blanks, and the binary
// store reads an empty section as the top-level one.
bool Reachable(const std::string& name) {
    return !name.empty() && name.find_first_of(" \t") == std::string::npos;
}

EntryTable TextEntries(ResourceMsgImp& store) {
    EntryTable table;
    for (const auto& [section, keys] : store.GetMergedOrigins()) {
        const auto shared = std::make_shared<const std::string>(section);
        const bool reachable = Reachable(section);
        for (const auto& [key, origin] : keys) {
            std::string value;
            if (!reachable || !Reachable(key) || !store.GetRawValue(section, key, value)) {
                ++table.m_unreachable;
                continue;
            }
            table.m_entries.push_back(StoreEntry{
                shared, key, value, EntryOrigin{origin.m_layer, origin.m_path, origin.m_line}});
        }
    }
    return table;
}

EntryTable BinaryEntries(Selection& selection) {
    binFileMsgImpl& store = *selection.BinaryStore();
    const std::vector<RankedFile> ranked = RankedFiles(selection);
    EntryTable table;
    for (const CatalogSection& held : selection.Catalog().Sections()) {
        const auto shared = std::make_shared<const std::string>(held.m_section);
        const bool reachable = Reachable(held.m_section);
        for (const std::string& key : held.m_keys) {
            std::string value;
            if (!reachable || !Reachable(key)) {
                ++table.m_unreachable;
                continue;
            }
            if (!store.GetRawValue(held.m_section, key, value)) {
                continue;  // held only by files outside the selection
            }
            EntryOrigin origin;
            store.FindOrigin(held.m_section, key, origin.m_file);
            origin.m_layer = LayerOf(ranked, origin.m_file);
            table.m_entries.push_back(StoreEntry{shared, key, value, origin});
        }
    }
    return table;
}

}  // namespace

EntryTable MergedEntries(Selection& selection) {
    if (ResourceMsgImp* text = selection.TextStore()) {
        return TextEntries(*text);
    }
    return BinaryEntries(selection);
}

std::vector<StoreEntry> EntryLayers(Selection& selection, const std::string& section,
                                    const std::string& key) {
    std::vector<StoreEntry> layers;
    const std::string sectionName = LookupName(section);
    const std::string keyName = LookupName(key);
    if (ResourceMsgImp* text = selection.TextStore()) {
        const auto shared = std::make_shared<const std::string>(sectionName);
        for (const ValueOrigin& origin : text->GetOrigins(section, key)) {
            layers.push_back(StoreEntry{shared, keyName, origin.m_value,
                                        EntryOrigin{origin.m_layer, origin.m_path, origin.m_line}});
        }
        return layers;
    }
    const auto stored = std::make_shared<const std::string>(
        sectionName.empty() ? std::string(kGlobalSection) : sectionName);
    for (const RankedFile& file : RankedFiles(selection)) {
        std::string value;
        if (selection.Catalog().FileValue(file.m_file, *stored, keyName, value)) {
            layers.push_back(
                StoreEntry{stored, keyName, value, EntryOrigin{file.m_layer, file.m_file, 0}});
        }
    }
    return layers;
}
