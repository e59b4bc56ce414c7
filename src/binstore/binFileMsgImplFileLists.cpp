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
#include "textstore/ListedFiles.h"
#include "textstore/NameConstants.h"

namespace {

constexpr size_t kSelectionSize = 7;

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

bool Empty(std::string& slot) {
    if (slot.empty()) {
        return false;
    }
    slot.clear();
    return true;
}

}  // namespace

std::string binFileMsgImpl::ResolveFile(const std::string& name) {
    std::string candidate = m_dirPrefix + m_productRuleDir + name;
    if (m_parser->HasFile(candidate)) {
        LogInfoIf(1, kLogCategory, "Redirect(%s)", candidate.c_str());
        return candidate;
    }
    return m_dirPrefix + name;
}

bool binFileMsgImpl::LoadBaseFiles() {
    m_baseFiles.push_back(ResolveFile(kBaseFile));

    const std::string config = m_dirPrefix + kFileConfigFile;
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
    // The clinical base file belongs to every selection, the empty one included.
    if (files.empty()) {
        files.resize(kSelectionSize);
        files[1] = m_dirPrefix + kClinicalDir + "/" + kClinicalBaseFile;
        changed = true;
    }

    if (f.empty()) {
        for (size_t entry = 2; entry <= 6; ++entry) {
            changed |= Empty(files[entry]);
        }
    } else {
        std::string dir = m_dirPrefix + f + "/";
        changed |= Put(files[6], dir + kGroupFile);
        if (p.empty()) {
            for (size_t entry = 2; entry <= 5; ++entry) {
                changed |= Empty(files[entry]);
            }
        } else {
            dir += p + "/";
            changed |= Put(files[5], dir + kProbeFile);
            // A product's own probe file moves the clinical files of the probe below the
            // product rule directory as well.
            const std::string productDir = dir + m_productRuleDir;
            if (m_parser != nullptr && m_parser->HasFile(productDir + kProbeFile)) {
                dir = productDir;
                changed |= Put(files[4], dir + kProbeFile);
                LogInfo(kLogCategory, "Redirect ProbeProduct: %s", dir.c_str());
            } else {
                changed |= Empty(files[4]);
            }
            if (a.empty()) {
                changed |= Empty(files[2]);
                changed |= Empty(files[3]);
            } else {
                dir += a + "/";
                changed |= Put(files[3], dir + kClinicalFile);
                changed |= Put(files[2], dir + m_productRuleDir + kClinicalFile);
            }
        }
    }

    if (a.empty()) {
        changed |= Empty(files[0]);
    } else {
        changed |= Put(files[0], m_dirPrefix + kClinicalDir + "/" + a + "/" + kClinicalFile);
    }

    if (m_parser != nullptr && changed) {
        return m_parser->SetSelectionFiles(files);
    }
    return false;
}
