// The file lists the binary store hands the parser: the base list from the file configuration
// and the seven paths of the current selection, each preferring the product's own file.
#include <algorithm>
#include <cstdint>
#include <locale>
#include <sstream>
#include <string_view>
#include <utility>

#include "binstore/binFileMsgImpl.h"
#include "host/Corvel.h"
#include "textstore/FileSet.h"
#include "textstore/ListedFiles.h"
#include "textstore/NameConstants.h"

namespace {

// The integer at the start of text as a stream reads it (blanks skipped, a sign allowed, held at
// the ends of int's range); 0 when none is there.
int LeadingInt(const std::string& text) {
    std::istringstream in(text);
    in.imbue(std::locale::classic());
    int count = 0;
    in >> count;
    return count;
}

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
    const int count =
        m_parser->GetFileValue(config, kGlobalSection, "FileNumbers", text) ? LeadingInt(text) : 0;
    if (count > 0) {
        // Visits the entries File0 .. File<count-1> that the configuration holds, in index
        // order, without asking for every number up to a count that may be huge.
        std::vector<std::string> keys;
        m_parser->ListKeys(config, kGlobalSection, keys);
        std::vector<std::pair<int64_t, const std::string*>> listed;
        for (const std::string& key : keys) {
            const int64_t index = ListedIndex(key);
            if (index >= 0 && index < count) {
                listed.emplace_back(index, &key);
            }
        }
        std::sort(listed.begin(), listed.end());
        for (const auto& item : listed) {
            if (m_parser->GetFileValue(config, kGlobalSection, *item.second, text)) {
                m_baseFiles.push_back(ResolveFile(text));
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
