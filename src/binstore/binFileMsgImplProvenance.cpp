// The provenance queries of the binary store: the files it handed the parser, ranked as the
// parser ranks them, and what the parser says about each entry.
#include "binstore/binFileMsgImpl.h"

#include <utility>

#include "fileset/FileSet.h"
#include "resource/StringOps.h"

namespace {

// Layer names of the selection list, indexed by SelectionSlot.
constexpr const char* kSlotLayers[kSelectionSlots] = {
    "clinical",       "clinical base",        "group clinical (product)",
    "group clinical", "transducer (product)", "transducer",
    "group"};

std::string LayerOf(const std::vector<LayerInfo>& layers, const std::string& file) {
    for (const LayerInfo& layer : layers) {
        if (layer.m_path == file) {
            return layer.m_name;
        }
    }
    return std::string();
}

}  // namespace

bool binFileMsgImpl::IsOpen(std::string& reason) const {
    reason = m_openError;
    return m_parser != nullptr;
}

// The selection entries, then the base list; empty entries, files the resource file lacks and
// repeated files (which keep their first rank) left out.
std::vector<LayerInfo> binFileMsgImpl::GetLayers() const {
    std::vector<LayerInfo> layers;
    const auto add = [&](const char* layer, const std::string& file) {
        if (file.empty() || m_parser == nullptr || !m_parser->HasFile(file)) {
            return;
        }
        for (const LayerInfo& earlier : layers) {
            if (earlier.m_path == file) {
                return;
            }
        }
        layers.push_back(LayerInfo{layer, file});
    };
    for (size_t slot = 0; slot < m_selectionFiles.size() && slot < kSelectionSlots; ++slot) {
        add(kSlotLayers[slot], m_selectionFiles[slot]);
    }
    for (size_t i = 0; i < m_baseFiles.size(); ++i) {
        add(i == 0 ? "base" : "listed", m_baseFiles[i]);
    }
    return layers;
}

std::vector<ValueOrigin> binFileMsgImpl::GetOrigins(const std::string& section,
                                                    const std::string& key) const {
    std::string sectionBuffer;
    std::string keyBuffer;
    const std::string& sectionName = SectionName(section, sectionBuffer);
    const std::string& keyName = LookupName(key, keyBuffer);
    std::vector<ValueOrigin> origins;
    for (const LayerInfo& layer : GetLayers()) {
        std::string value;
        if (m_parser->GetFileValue(layer.m_path, sectionName, keyName, value)) {
            origins.push_back(ValueOrigin{layer.m_name, layer.m_path, 0, std::move(value)});
        }
    }
    return origins;
}

// Every entry of the resource file, of which those that the selection answers are kept; those
// that no lookup reaches are counted in every file, whether selected or not.
EntryTable binFileMsgImpl::GetEntries() {
    EntryTable table;
    std::vector<std::pair<std::string, std::vector<std::string>>> sections;
    if (m_parser == nullptr || !m_parser->ListEntries(sections)) {
        return table;
    }
    const std::vector<LayerInfo> layers = GetLayers();
    for (auto& [name, keys] : sections) {
        const auto section = std::make_shared<const std::string>(std::move(name));
        const bool reachable = ReachableName(*section);
        for (std::string& key : keys) {
            if (!reachable || !ReachableName(key)) {
                ++table.m_unreachable;
                continue;
            }
            ValueOrigin origin;
            if (!GetRawValue(*section, key, origin.m_value)) {
                continue;  // held only by files outside the selection
            }
            m_parser->FindOrigin(*section, key, origin.m_path);
            origin.m_layer = LayerOf(layers, origin.m_path);
            table.m_entries.push_back(StoreEntry{section, std::move(key), std::move(origin)});
        }
    }
    return table;
}

SelectionCheck binFileMsgImpl::CheckSelection() const {
    const auto held = [this](const std::string& file) {
        return m_parser != nullptr && m_parser->HasFile(file);
    };
    SelectionCheck check;
    const std::string base =
        m_baseFiles.empty() ? FileSet::BaseFile(m_dirPrefix) : m_baseFiles.front();
    check.m_base = {held(base), {base}};
    const std::vector<std::string>& files = m_selectionFiles;
    if (files.size() == kSelectionSlots) {
        check.m_group = {held(files[kGroupSlot]), {files[kGroupSlot]}};
        check.m_probe = {held(files[kProbeSlot]) || held(files[kProductProbeSlot]),
                         {files[kProbeSlot]}};
        check.m_clinical = {held(files[kClinicalSlot]) || held(files[kGroupClinicalSlot]) ||
                                held(files[kProductGroupClinicalSlot]),
                            {files[kClinicalSlot]}};
        if (!files[kGroupClinicalSlot].empty()) {
            check.m_clinical.m_paths.push_back(files[kGroupClinicalSlot]);
        }
    }
    // Without a product rule setting the directory is "/" alone, which names no product.
    if (m_productRuleDir != FileSet::ProductRuleDir("")) {
        check.m_productRule = m_productRuleDir;
        const std::string below = FileSet::ProductFile(m_dirPrefix, m_productRuleDir, "");
        const std::string inProbe = "/" + m_productRuleDir;
        std::vector<std::string> files;
        check.m_productRuleFound = m_parser == nullptr || !m_parser->ListFiles(files);
        for (const std::string& file : files) {
            // At the top (Compact/Common/...) or below a transducer (G/P/Compact/ImgResXdr.pp).
            if (file.compare(0, below.size(), below) == 0 ||
                (file.compare(0, m_dirPrefix.size(), m_dirPrefix) == 0 &&
                 file.find(inProbe, m_dirPrefix.size()) != std::string::npos)) {
                check.m_productRuleFound = true;
                break;
            }
        }
    }
    return check;
}

// The file configuration, the base list and the selection list, as handed to the parser. A
// top-level file that the product rule directory holds shows as redirected to it.
std::vector<FileReading> binFileMsgImpl::GetReadings(bool countEntries) const {
    std::vector<FileReading> readings;
    std::vector<std::pair<std::string, std::vector<std::string>>> sections;
    if (m_parser != nullptr && countEntries) {
        m_parser->ListEntries(sections);
    }
    const auto add = [&](std::string layer, const std::string& file) {
        FileReading reading{std::move(layer), file, FileState::kMissing, std::string(), 0};
        if (m_parser != nullptr && m_parser->HasFile(file)) {
            reading.m_state = FileState::kRead;
            std::vector<std::string> keys;
            for (const auto& section : sections) {
                if (m_parser->ListKeys(file, section.first, keys)) {
                    reading.m_entries += keys.size();
                }
            }
        }
        readings.push_back(std::move(reading));
    };
    const auto addResolved = [&](const std::string& layer, const std::string& name,
                                 const std::string& file) {
        const std::string common = FileSet::ListedFile(m_dirPrefix, name);
        if (file != common) {
            readings.push_back(FileReading{layer, common, FileState::kRedirected, file, 0});
            add(layer + " (product)", file);
        } else {
            add(layer, file);
        }
    };
    if (m_parser == nullptr) {
        return readings;
    }
    add("file configuration", FileSet::FileConfigFile(m_dirPrefix));
    for (size_t i = 0; i < m_baseFiles.size(); ++i) {
        if (i == 0) {
            addResolved("base", FileSet::BaseFile(""), m_baseFiles[i]);
        } else if (i - 1 < m_listedNames.size()) {
            addResolved("listed", m_listedNames[i - 1], m_baseFiles[i]);
        }
    }
    for (size_t slot = 0; slot < m_selectionFiles.size() && slot < kSelectionSlots; ++slot) {
        if (!m_selectionFiles[slot].empty()) {
            add(kSlotLayers[slot], m_selectionFiles[slot]);
        }
    }
    return readings;
}
