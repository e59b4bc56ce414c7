// The file lists the binary store hands the parser: the base list from the file configuration
// and the seven paths of the current selection, each preferring the product's own file.
#include <string_view>
#include <vector>

#include "binstore/binFileMsgImpl.h"
#include "fileset/FileConfig.h"
#include "fileset/FileSet.h"
#include "host/Corvel.h"
#include "textstore/NameConstants.h"

namespace {

// Puts text in slot; true when that changed the slot.
bool Put(std::string& slot, const std::string& text) {
    if (slot == text) {
        return false;
    }
    slot = text;
    return true;
}

}  // namespace

std::string binFileMsgImpl::ResolveFile(const std::string& name) {
    std::string candidate = FileSet::ProductFile(m_dirPrefix, m_productRuleDir, name);
    if (m_parser->HasFile(candidate)) {
        LogInfoIf(1, kLogCategory, "Redirect(%s)", candidate.c_str());
        return candidate;
    }
    return FileSet::ListedFile(m_dirPrefix, name);
}

bool binFileMsgImpl::LoadBaseFiles() {
    m_baseFiles.push_back(ResolveFile(FileSet::BaseFile("")));

    const std::string config = FileSet::FileConfigFile(m_dirPrefix);
    std::string text;
    long count = 0;
    if (m_parser->GetFileValue(config, kGlobalSection, kFileCountKey, text)) {
        ReadFileCount(text, FileCountReading::kBinaryStore, count);
    }
    if (count > 0) {
        std::vector<std::string> keys;
        m_parser->ListKeys(config, kGlobalSection, keys);
        const std::vector<std::string_view> names(keys.begin(), keys.end());
        for (const size_t i : ListedOrder(names, count)) {
            if (m_parser->GetFileValue(config, kGlobalSection, keys[i], text)) {
                m_baseFiles.push_back(ResolveFile(text));
                m_listedNames.push_back(text);
            }
        }
    }
    return m_parser->SetBaseFiles(m_baseFiles);
}

bool binFileMsgImpl::ApplySelection(const std::string& f, const std::string& p,
                                    const std::string& a) {
    m_reloadPending = false;
    bool changed = false;
    std::vector<std::string>& files = m_selectionFiles;
    if (files.empty()) {
        files.resize(kSelectionSlots);
        changed = true;
    }
    // A product's own transducer file moves the clinical files of the transducer below the
    // product rule directory as well.
    bool productProbe = false;
    if (!f.empty() && !p.empty() && m_parser != nullptr &&
        m_parser->HasFile(FileSet::ProductProbeFile(m_dirPrefix, f, p, m_productRuleDir))) {
        productProbe = true;
        const std::string dir = FileSet::ProductProbeDir(m_dirPrefix, f, p, m_productRuleDir);
        LogInfo(kLogCategory, "Redirect ProbeProduct: %s", dir.c_str());
    }
    const SelectionPaths paths =
        FileSet::SelectionFiles(m_dirPrefix, m_productRuleDir, f, p, a, productProbe);
    for (size_t slot = 0; slot < kSelectionSlots; ++slot) {
        changed |= Put(files[slot], paths[slot]);
    }

    if (m_parser != nullptr && changed) {
        return m_parser->SetSelectionFiles(files);
    }
    return false;
}
