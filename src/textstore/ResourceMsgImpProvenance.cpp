// The provenance queries of the text store. They walk the loaded files in the order Refresh
// merges them, so their answers match the table Refresh builds from the same files.
#include "textstore/ResourceMsgImp.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "fileset/FileSet.h"
#include "resource/StringOps.h"

std::vector<LayerInfo> ResourceMsgImp::GetLayers() const {
    std::vector<LayerInfo> result;
    for (const Layer& layer : LoadedLayers()) {
        result.push_back(LayerInfo{std::string(layer.m_name), layer.m_file->Path()});
    }
    return result;
}

std::vector<ValueOrigin> ResourceMsgImp::GetOrigins(const std::string& section,
                                                    const std::string& key) const {
    std::string sectionBuffer;
    std::string keyBuffer;
    const std::string_view sectionName = LookupName(section, sectionBuffer);
    const std::string_view keyName = LookupName(key, keyBuffer);
    std::vector<ValueOrigin> result;
    for (const Layer& layer : LoadedLayers()) {
        const BlockList* list = layer.m_file->FindList(sectionName);
        if (list == nullptr) {
            continue;
        }
        const auto entry = list->m_values.find(keyName);
        if (entry != list->m_values.end()) {
            result.push_back(ValueOrigin{std::string(layer.m_name), layer.m_file->Path(),
                                         entry->second.m_line, entry->second.m_text});
        }
    }
    return result;
}

OriginTable ResourceMsgImp::GetMergedOrigins() const {
    OriginTable table;
    const std::vector<Layer> layers = LoadedLayers();
    for (auto layer = layers.rbegin(); layer != layers.rend(); ++layer) {
        layer->m_file->ForEachList([&](const std::string& sectionPath, const BlockList& list) {
            if (list.m_values.empty()) {
                return;  // as in Merge: a section without entries is not in the table
            }
            auto& section = table[sectionPath];
            for (const auto& [key, value] : list.m_values) {
                section[key] = ValueOrigin{std::string(layer->m_name), layer->m_file->Path(),
                                           value.m_line, value.m_text};
            }
        });
    }
    return table;
}

EntryTable ResourceMsgImp::GetEntries() {
    EntryTable table;
    for (auto& [section, keys] : GetMergedOrigins()) {
        const auto shared = std::make_shared<const std::string>(section);
        const bool reachable = ReachableName(section);
        for (auto& [key, origin] : keys) {
            std::string value;
            if (!reachable || !ReachableName(key) || !GetRawValue(section, key, value)) {
                ++table.m_unreachable;
                continue;
            }
            origin.m_value = std::move(value);
            table.m_entries.push_back(StoreEntry{shared, key, std::move(origin)});
        }
    }
    return table;
}

SelectionCheck ResourceMsgImp::CheckSelection() const {
    const std::vector<LayerInfo> layers = GetLayers();
    const auto has = [&layers](const char* name) {
        return std::any_of(layers.begin(), layers.end(),
                           [name](const LayerInfo& layer) { return layer.m_name == name; });
    };
    SelectionCheck check;
    check.m_base = {has("base"), {FileSet::BaseFile(m_root)}};
    check.m_group = {has("group"), {FileSet::GroupFile(m_root, m_group)}};
    check.m_probe = {has("transducer"), {FileSet::ProbeFile(m_root, m_group, m_probe)}};
    check.m_clinical = {has("clinical") || has("group clinical"),
                        {FileSet::ClinicalFile(m_root, m_clinical)}};
    if (!m_group.empty() && !m_probe.empty()) {
        check.m_clinical.m_paths.push_back(
            FileSet::GroupClinicalFile(m_root, m_group, m_probe, m_clinical));
    }
    return check;
}

// The reading order of the constructor, for the selection held now: a level is read only with
// every level above it.
std::vector<FileReading> ResourceMsgImp::GetReadings(bool countEntries) const {
    std::vector<FileReading> readings;
    const auto add = [&](std::string layer, const std::string& path, const FileSlot* slot) {
        FileReading reading{std::move(layer), path, FileState::kRead, std::string(), 0};
        if (slot != nullptr && *slot && (*slot)->Path() == path) {
            if (!countEntries) {
                readings.push_back(std::move(reading));
                return;
            }
            (*slot)->ForEachList([&reading](const std::string&, const BlockList& list) {
                reading.m_entries += list.m_values.size();
            });
        } else {
            const auto unread = m_unread.find(path);
            const FileProblem problem =
                unread != m_unread.end() ? unread->second : FileProblem{ENOENT, nullptr};
            reading.m_state = problem.m_kind != nullptr ? FileState::kNotRegular
                              : problem.m_error == ENOENT || problem.m_error == ENOTDIR
                                  ? FileState::kMissing
                                  : FileState::kUnreadable;
            reading.m_detail = problem.m_kind != nullptr ? problem.m_kind
                               : reading.m_state == FileState::kUnreadable
                                   ? std::strerror(problem.m_error)
                                   : "";
        }
        readings.push_back(std::move(reading));
    };
    add("file configuration", FileSet::FileConfigFile(m_root), &m_pConfigFile);
    for (const auto& entryAndPath : ListedPaths()) {
        const std::string& entry = entryAndPath.first;
        const auto listed =
            std::find_if(m_extraFiles.begin(), m_extraFiles.end(),
                         [&entry](const ListedFile& file) { return file.m_entry == entry; });
        add(entry, entryAndPath.second, listed != m_extraFiles.end() ? &listed->m_file : nullptr);
    }
    add("base", FileSet::BaseFile(m_root), &m_pBaseFile);
    add("clinical base", FileSet::ClinicalBaseFile(m_root), &m_pClinicalBaseFile);
    if (!m_group.empty()) {
        add("group", FileSet::GroupFile(m_root, m_group), &m_pGroupFile);
        if (!m_probe.empty()) {
            add("transducer", FileSet::ProbeFile(m_root, m_group, m_probe), &m_pProbeFile);
            if (!m_clinical.empty()) {
                add("group clinical",
                    FileSet::GroupClinicalFile(m_root, m_group, m_probe, m_clinical),
                    &m_pGroupClinicalFile);
            }
        }
    }
    if (!m_clinical.empty()) {
        add("clinical", FileSet::ClinicalFile(m_root, m_clinical), &m_pClinicalFile);
    }
    if (!m_group.empty() && !m_probe.empty() && !m_clinical.empty()) {
        add("user-defined", UserDefinedPath(), &m_pUserDefinedFile);
    }
    return readings;
}
