#include "textstore/ResourceMsgImp.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <iterator>
#include <utility>

#include "fileset/FileConfig.h"
#include "fileset/FileSet.h"
#include "host/Corvel.h"
#include "resource/StringOps.h"
#include "resource/ValueText.h"
#include "textstore/FileBytes.h"
#include "textstore/NameConstants.h"

namespace {

constexpr char kLogCategory[] = "Cat_09";
constexpr char kReadOk[] = "Read File : %s successful!";
constexpr char kReadFailed[] = "Read File : %s Failed!";
constexpr char kReadNotRegular[] = "Read File : %s Failed! It is %s, not a regular file";

// Names of the slots of m_fileSlots, in the same order.
constexpr const char* kSlotNames[] = {"user-defined", "clinical", "clinical base", "group clinical",
                                      "transducer",   "group",    "base"};

}  // namespace

ResourceMsgImp::ResourceMsgImp(const std::string& f, const std::string& p, const std::string& a)
    : m_fileSlots{&m_pUserDefinedFile,   &m_pClinicalFile, &m_pClinicalBaseFile,
                  &m_pGroupClinicalFile, &m_pProbeFile,    &m_pGroupFile,
                  &m_pBaseFile},
      m_probe(p),
      m_group(f),
      m_clinical(a) {
    m_root = FileSet::Locate().m_root;

    LoadFileConfig();
    ReadFile(m_pBaseFile, FileSet::BaseFile(m_root));
    ReadFile(m_pClinicalBaseFile, FileSet::ClinicalBaseFile(m_root));
    // Without a level, the levels below it are not read either.
    if (!f.empty()) {
        ReadFile(m_pGroupFile, FileSet::GroupFile(m_root, f));
        if (!p.empty()) {
            ReadFile(m_pProbeFile, FileSet::ProbeFile(m_root, f, p));
            if (!a.empty()) {
                ReadFile(m_pGroupClinicalFile, FileSet::GroupClinicalFile(m_root, f, p, a));
            }
        }
    }
    if (!a.empty()) {
        ReadFile(m_pClinicalFile, FileSet::ClinicalFile(m_root, a));
    }
    if (!f.empty() && !p.empty() && !a.empty()) {
        ReadFile(m_pUserDefinedFile, UserDefinedPath());
    }
}

ResourceMsgImp::~ResourceMsgImp() {
    for (FileSlot* slot : m_fileSlots) {
        slot->reset();
    }
    m_extraFiles.clear();
    m_pConfigFile.reset();
}

bool ResourceMsgImp::ReadFile(FileSlot& slot, const std::string& path) {
    if (path.empty()) {
        slot.reset();
        return false;
    }
    FileProblem problem;
    std::string parsed = path;
    if (!slot) {
        slot = ParseFile(path, problem);
    } else {
        TrimChars(" ", parsed);
        // The same file again is kept as it is.
        if (parsed != slot->Path()) {
            slot = ParseFile(parsed, problem);
        }
    }
    if (!slot) {
        m_unread[parsed] = problem;
        LogReadFailure(path, problem);
        return false;
    }
    if (!m_unread.empty()) {
        m_unread.erase(parsed);
    }
    LogInfo(kLogCategory, kReadOk, path.c_str());
    return true;
}

// A file that is not regular is named with its kind, so that the log tells a FIFO left at a
// parameter path from a file that is missing.
void ResourceMsgImp::LogReadFailure(const std::string& path, const FileProblem& problem) const {
    if (problem.m_kind != nullptr) {
        LogError(kLogCategory, kReadNotRegular, path.c_str(), problem.m_kind);
    } else {
        LogError(kLogCategory, kReadFailed, path.c_str());
    }
}

// Every reading reads the bytes; only the parse is saved when they are those parsed before.
// The check hashes the file piece by piece; a changed file is then read whole.
ResourceMsgImp::FileSlot ResourceMsgImp::ParseFile(const std::string& path, FileProblem& problem) {
    const auto known = m_parsedFiles.find(path);
    if (known != m_parsedFiles.end()) {
        if (FileSlot file = known->second.m_file.lock()) {
            size_t size = 0;
            size_t hash = 0;
            if (!HashFileBytes(path, size, hash, &problem)) {
                return nullptr;
            }
            if (size == known->second.m_size && hash == known->second.m_hash) {
                return file;
            }
        }
    }
    std::string bytes;
    if (!ReadFileBytes(path, bytes, &problem)) {
        return nullptr;
    }
    ParsedFile parsed{{}, bytes.size(), HashBytes(bytes)};
    auto file = std::make_shared<ParamFile>(path);
    file->ParseText(std::move(bytes), "");
    parsed.m_file = file;
    m_parsedFiles[path] = std::move(parsed);
    return file;
}

void ResourceMsgImp::LoadFileConfig() {
    const std::string path = FileSet::FileConfigFile(m_root);
    if (!ReadFile(m_pConfigFile, path)) {
        const auto unread = m_unread.find(path);
        LogReadFailure(path, unread != m_unread.end() ? unread->second : FileProblem());
        return;
    }
    LogInfo(kLogCategory, kReadOk, path.c_str());
    for (const auto& [entry, listed] : ListedPaths()) {
        FileSlot file;
        if (ReadFile(file, listed)) {
            m_extraFiles.push_back(ListedFile{entry, std::move(file)});
        }
    }
}

std::vector<std::pair<std::string, std::string>> ResourceMsgImp::ListedPaths() const {
    std::vector<std::pair<std::string, std::string>> paths;
    std::string text;
    long count = 0;
    if (!m_pConfigFile || !m_pConfigFile->Lookup("", kFileCountKey, text) ||
        !ReadFileCount(text, FileCountReading::kTextStore, count) || count < 1) {
        return paths;
    }
    const auto global = m_pConfigFile->Groups().find(std::string_view(kGlobalSection));
    if (global == m_pConfigFile->Groups().end()) {
        return paths;
    }
    std::vector<const std::pair<const std::string, ParamValue>*> entries;
    std::vector<std::string_view> keys;
    for (const auto& entry : global->second.m_values) {
        entries.push_back(&entry);
        keys.push_back(entry.first);
    }
    for (const size_t i : ListedOrder(keys, count)) {
        paths.emplace_back(entries[i]->first,
                           FileSet::ListedFile(m_root, entries[i]->second.m_text));
    }
    return paths;
}

std::string ResourceMsgImp::UserDefinedPath() const {
    return FileSet::UserDefinedFile(FileSet::Locate().m_userDir, m_group, m_probe, m_clinical);
}

bool ResourceMsgImp::SetGroup(const std::string& f) {
    if (f == m_group) {
        return true;
    }
    m_group = f;
    m_probe.clear();
    m_clinical.clear();
    bool result = true;
    if (!f.empty()) {
        result = ReadFile(m_pGroupFile, FileSet::GroupFile(m_root, f));
    } else {
        m_pGroupFile.reset();
    }
    m_pProbeFile.reset();
    m_pGroupClinicalFile.reset();
    return result;
}

bool ResourceMsgImp::SetProbe(const std::string& p) {
    if (p == m_probe) {
        return true;
    }
    if (m_group.empty()) {
        m_pProbeFile.reset();
        return false;
    }
    m_probe = p;
    m_clinical.clear();
    bool result = true;
    if (!p.empty()) {
        result = ReadFile(m_pProbeFile, FileSet::ProbeFile(m_root, m_group, p));
    } else {
        m_pProbeFile.reset();
    }
    m_pGroupClinicalFile.reset();
    return result;
}

// An empty name deselects the clinical level like an empty group or transducer does: both
// clinical files are released, so the selection held and the files merged agree; true.
bool ResourceMsgImp::SetClinical(const std::string& a) {
    if (a == m_clinical) {
        return true;
    }
    m_clinical = a;
    if (a.empty()) {
        m_pClinicalFile.reset();
        m_pGroupClinicalFile.reset();
        return true;
    }
    bool result = ReadFile(m_pClinicalFile, FileSet::ClinicalFile(m_root, a));
    if (!m_group.empty() && !m_probe.empty()) {
        result =
            ReadFile(m_pGroupClinicalFile, FileSet::GroupClinicalFile(m_root, m_group, m_probe, a));
    } else {
        m_pGroupClinicalFile.reset();
    }
    return result;
}

bool ResourceMsgImp::SetUserDefined(const std::string& /*f*/, const std::string& /*p*/,
                                    const std::string& /*a*/) {
    m_pUserDefinedFile.reset();
    return ReadFile(m_pUserDefinedFile, UserDefinedPath());
}

bool ResourceMsgImp::LoadBase() {
    m_pBaseFile.reset();
    return ReadFile(m_pBaseFile, FileSet::BaseFile(m_root));
}

void ResourceMsgImp::Reload(const std::string& /*f*/, const std::string& /*p*/,
                            const std::string& /*a*/) {
    m_extraFiles.clear();
    LoadBase();
    LoadFileConfig();
    SetGroup("");
}

std::vector<ResourceMsgImp::Layer> ResourceMsgImp::LoadedLayers() const {
    std::vector<Layer> layers;
    layers.reserve(m_fileSlots.size() + m_extraFiles.size());
    for (size_t i = 0; i < m_fileSlots.size(); ++i) {
        if (const ParamFile* file = m_fileSlots[i]->get()) {
            layers.push_back(Layer{kSlotNames[i], file, m_fileSlots[i]});
        }
    }
    for (const ListedFile& listed : m_extraFiles) {
        layers.push_back(Layer{listed.m_entry, listed.m_file.get(), &listed.m_file});
    }
    return layers;
}

// Highest precedence is merged last, so its values replace those of the files below it. The
// files at the bottom that are still the same objects (unchanged bytes, same path) stay merged.
void ResourceMsgImp::Refresh() {
    const std::vector<Layer> layers = LoadedLayers();
    const size_t count = layers.size();
    size_t kept = 0;
    while (kept < count && kept < m_mergedFiles.size() &&
           m_mergedFiles[kept] == *layers[count - 1 - kept].m_slot) {
        ++kept;
    }
    try {
        if (m_mergedFiles.size() > kept) {
            m_converted.Clear();
        }
        while (m_mergedFiles.size() > kept) {
            Unmerge();
        }
        for (size_t i = kept; i < count; ++i) {
            m_mergedFiles.push_back(*layers[count - 1 - i].m_slot);
            Merge(*m_mergedFiles.back());
        }
    } catch (...) {
        // A file half merged or half taken out would pass for done at the next Refresh, which
        // now starts from nothing instead.
        m_merged.Clear();
        m_converted.Clear();
        m_mergedFiles.clear();
        throw;
    }
    for (auto it = m_parsedFiles.begin(); it != m_parsedFiles.end();) {
        it = it->second.m_file.expired() ? m_parsedFiles.erase(it) : std::next(it);
    }
}

// A section without entries answers no lookup, so none is made for it.
void ResourceMsgImp::Merge(const ParamFile& file) {
    file.ForEachList([this](const std::string& sectionPath, const BlockList& list) {
        for (const ParamEntry& entry : list.m_values) {
            m_merged.Set(sectionPath, entry);
        }
    });
}

// Each entry of the file goes back to the highest file below it that holds it, or leaves the
// table. Only lists with entries are looked up, as only they were merged: the lists a deep tag
// passes through would cost the length of their paths each.
void ResourceMsgImp::Unmerge() {
    const FileSlot top = std::move(m_mergedFiles.back());
    m_mergedFiles.pop_back();
    std::vector<const BlockList*> below;
    top->ForEachList([&](const std::string& sectionPath, const BlockList& list) {
        if (list.m_values.empty()) {
            return;
        }
        below.clear();
        for (auto file = m_mergedFiles.rbegin(); file != m_mergedFiles.rend(); ++file) {
            if (const BlockList* lower = (*file)->FindList(sectionPath)) {
                below.push_back(lower);
            }
        }
        for (const ParamEntry& entry : list.m_values) {
            const ParamEntry* previous = nullptr;
            for (const BlockList* lower : below) {
                const auto found = lower->m_values.find(entry.first);
                if (found != lower->m_values.end()) {
                    previous = &*found;
                    break;
                }
            }
            m_merged.Reset(sectionPath, entry.first, previous);
        }
    });
}

// The names are scanned once, for the hash and for blanks; only names with blanks are copied
// without them and hashed again.
const ParamEntry* ResourceMsgImp::FindEntry(const std::string& section,
                                            const std::string& key) const {
    bool blanks = false;
    const uint64_t hash = MergedTable::Hash(section, key, blanks);
    if (!blanks) {
        return m_merged.Find(section, key, hash);
    }
    std::string sectionBuffer;
    std::string keyBuffer;
    const std::string& sectionName = LookupName(section, sectionBuffer);
    const std::string& keyName = LookupName(key, keyBuffer);
    return m_merged.Find(sectionName, keyName, MergedTable::Hash(sectionName, keyName, blanks));
}

bool ResourceMsgImp::GetRawValue(const std::string& section, const std::string& key,
                                 std::string& value) {
    const ParamEntry* entry = FindEntry(section, key);
    if (entry == nullptr) {
        return false;
    }
    value = entry->second.m_text;
    return true;
}

bool ResourceMsgImp::FindText(const std::string& section, const std::string& key,
                              std::string_view& text) {
    const ParamEntry* entry = FindEntry(section, key);
    if (entry == nullptr) {
        return false;
    }
    text = entry->second.m_text;
    return true;
}

// The text store answers nothing by hashed keys.
bool ResourceMsgImp::FindText(const HashedKey& /*section*/, const std::string& /*key*/,
                              std::string_view& /*text*/) {
    return false;
}

bool ResourceMsgImp::FindText(const std::string& /*section*/, const HashedKey& /*key*/,
                              std::string_view& /*text*/) {
    return false;
}

bool ResourceMsgImp::FindText(const HashedKey& /*section*/, const HashedKey& /*key*/,
                              std::string_view& /*text*/) {
    return false;
}
