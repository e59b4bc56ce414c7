#include "FendrelParser.h"

namespace fendrel {

namespace {

constexpr uint32_t kNone = ResourceImage::kNone;

}  // namespace

bool FendrelParser::OpenFile(const std::string& path) {
    m_selectionFiles.clear();
    m_baseFiles.clear();
    m_viewFiles.clear();
    m_crowdedViewFiles.clear();
    m_rank.clear();
    m_chosen.reset();
    if (!m_image.Load(path, m_openError)) {
        return false;
    }
    m_rank.assign(m_image.FileCount(), kNone);
    m_chosen.reset(new std::atomic<uint64_t>[m_image.PairCount()]());
    return true;
}

std::string FendrelParser::OpenError() {
    return m_openError;
}

bool FendrelParser::HasFile(const std::string& path) {
    return m_image.IsOpen() && m_image.FindFile(path) != kNone;
}

bool FendrelParser::ListFiles(std::vector<std::string>& paths) {
    paths.clear();
    if (!m_image.IsOpen()) {
        return false;
    }
    paths.reserve(m_image.FileCount());
    for (uint32_t f = 0; f < m_image.FileCount(); ++f) {
        paths.emplace_back(m_image.FilePath(f));
    }
    return true;
}

bool FendrelParser::SetBaseFiles(const std::vector<std::string>& files) {
    if (!m_image.IsOpen()) {
        return false;
    }
    m_baseFiles = files;
    return true;
}

bool FendrelParser::SetSelectionFiles(const std::vector<std::string>& files) {
    if (!m_image.IsOpen() || files.size() != kSelectionSize) {
        return false;
    }
    m_selectionFiles = files;
    return true;
}

void FendrelParser::ResetView() {
    for (uint32_t f : m_viewFiles) {
        m_rank[f] = kNone;
    }
    m_viewFiles.clear();
    m_crowdedViewFiles.clear();
}

// A file named twice keeps its first, higher, rank.
void FendrelParser::Rank(const std::vector<std::string>& files) {
    for (const std::string& path : files) {
        if (path.empty()) {
            continue;
        }
        const uint32_t f = m_image.FindFile(path);
        if (f != kNone && m_rank[f] == kNone) {
            m_rank[f] = static_cast<uint32_t>(m_viewFiles.size());
            m_viewFiles.push_back(f);
            if (m_image.HoldsCrowded(f)) {
                m_crowdedViewFiles.push_back(f);
            }
        }
    }
}

// Costs one binary search per handed-over path; nothing proportional to the file's content.
void FendrelParser::Refresh() {
    if (!m_image.IsOpen()) {
        return;
    }
    ResetView();
    Rank(m_selectionFiles);
    Rank(m_baseFiles);
    // A new view: every holder chosen for the old one is stale. Generation 0 marks none.
    if (++m_viewGeneration == 0) {
        for (uint32_t p = 0; p < m_image.PairCount(); ++p) {
            m_chosen[p].store(0, std::memory_order_relaxed);
        }
        m_viewGeneration = 1;
    }
}

// The holder a pair resolves to depends on the view alone, so it is chosen once per view and
// kept with the view's generation. Concurrent lookups may store the same choice; relaxed atomic
// words keep that free of data races.
// A damaged image is found out after the lookup, by FindValueOf and FindTextOf.
template <class Section, class Key>
uint32_t FendrelParser::Lookup(const Section& section, const Key& key) const {
    if (!m_image.IsOpen() || m_viewFiles.empty()) {
        return kNone;
    }
    const uint32_t pair = m_image.FindPair(section, key);
    if (pair == kNone) {
        return kNone;
    }
    std::atomic<uint64_t>& chosen = m_chosen[pair];
    const uint64_t kept = chosen.load(std::memory_order_relaxed);
    if (kept >> 32 == m_viewGeneration) {
        return static_cast<uint32_t>(kept);
    }
    const uint32_t holder = m_image.BestHolder(pair, m_rank, m_crowdedViewFiles);
    chosen.store(uint64_t{m_viewGeneration} << 32 | holder, std::memory_order_relaxed);
    return holder;
}

template <class Section, class Key>
bool FendrelParser::FindValueOf(const Section& section, const Key& key, std::string& value) const {
    const uint32_t h = Lookup(section, key);
    if (h == kNone) {
        return false;
    }
    // Appending to the emptied string skips the overlap handling of assign: the text lies in
    // the mapping, never in value.
    value.clear();
    value.append(m_image.HolderValue(h));
    // A file that shrank under the mapping may have been read as zeros meanwhile.
    return !m_image.Damaged();
}

template <class Section, class Key>
bool FendrelParser::FindTextOf(const Section& section, const Key& key,
                               std::string_view& value) const {
    const uint32_t h = Lookup(section, key);
    if (h == kNone) {
        return false;
    }
    value = m_image.HolderValue(h);
    return !m_image.Damaged();
}

bool FendrelParser::FindText(const std::vector<uint64_t>& section, const std::string& key,
                             std::string_view& value) {
    return FindTextOf(section, key, value);
}

bool FendrelParser::FindText(const std::string& section, const std::vector<uint64_t>& key,
                             std::string_view& value) {
    return FindTextOf(section, key, value);
}

bool FendrelParser::FindText(const std::string& section, const std::string& key,
                             std::string_view& value) {
    return FindTextOf(section, key, value);
}

bool FendrelParser::FindText(const std::vector<uint64_t>& section, const std::vector<uint64_t>& key,
                             std::string_view& value) {
    return FindTextOf(section, key, value);
}

bool FendrelParser::FindValue(const std::vector<uint64_t>& section, const std::string& key,
                              std::string& value) {
    return FindValueOf(section, key, value);
}

bool FendrelParser::FindValue(const std::string& section, const std::vector<uint64_t>& key,
                              std::string& value) {
    return FindValueOf(section, key, value);
}

bool FendrelParser::FindValue(const std::string& section, const std::string& key,
                              std::string& value) {
    return FindValueOf(section, key, value);
}

bool FendrelParser::FindValue(const std::vector<uint64_t>& section,
                              const std::vector<uint64_t>& key, std::string& value) {
    return FindValueOf(section, key, value);
}

bool FendrelParser::FindOrigin(const std::string& section, const std::string& key,
                               std::string& file) {
    const uint32_t h = Lookup(section, key);
    if (h == kNone) {
        return false;
    }
    file.assign(m_image.FilePath(m_image.HolderFile(h)));
    return !m_image.Damaged();
}

bool FendrelParser::GetFileValue(const std::string& file, const std::string& section,
                                 const std::string& key, std::string& value) {
    if (!m_image.IsOpen()) {
        return false;
    }
    const uint32_t f = m_image.FindFile(file);
    const uint32_t pair = f == kNone ? kNone : m_image.FindPair(section, key);
    const uint32_t h = pair == kNone ? kNone : m_image.FindHolder(pair, f);
    if (h == kNone) {
        return false;
    }
    value.assign(m_image.HolderValue(h));
    return !m_image.Damaged();
}

bool FendrelParser::ListKeys(const std::string& file, const std::string& section,
                             std::vector<std::string>& keys) {
    keys.clear();
    if (!m_image.IsOpen()) {
        return false;
    }
    const uint32_t f = m_image.FindFile(file);
    const uint32_t s = f == kNone ? kNone : m_image.FindSection(section);
    if (s == kNone) {
        return false;
    }
    const ResourceImage::Range pairs = m_image.SectionPairs(s);
    for (uint32_t p = pairs.first; p < pairs.first + pairs.count; ++p) {
        if (m_image.FindHolder(p, f) != kNone) {
            keys.emplace_back(m_image.KeyText(m_image.PairKey(p)));
        }
    }
    return !keys.empty();
}

// The section table is sorted by text, and each section's pairs by key, so both come out in
// byte order.
bool FendrelParser::ListEntries(
    std::vector<std::pair<std::string, std::vector<std::string>>>& sections) {
    sections.clear();
    if (!m_image.IsOpen()) {
        return false;
    }
    sections.resize(m_image.SectionCount());
    for (uint32_t s = 0; s < m_image.SectionCount(); ++s) {
        sections[s].first.assign(m_image.SectionText(s));
        const ResourceImage::Range pairs = m_image.SectionPairs(s);
        for (uint32_t p = pairs.first; p < pairs.first + pairs.count; ++p) {
            sections[s].second.emplace_back(m_image.KeyText(m_image.PairKey(p)));
        }
    }
    return true;
}

}  // namespace fendrel

Fendrel* Fendrel::getHandle() {
    return new fendrel::FendrelParser();
}

void Fendrel::deletHandle(Fendrel*& handle) {
    delete handle;
    handle = nullptr;
}
