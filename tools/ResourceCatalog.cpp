#include "ResourceCatalog.h"

using fendrel::ResourceImage;

bool ResourceCatalog::Open(const std::string& path, std::string& error) {
    return m_image.Load(path, error);
}

std::vector<CatalogSection> ResourceCatalog::Sections() const {
    std::vector<CatalogSection> sections(m_image.SectionCount());
    for (uint32_t section = 0; section < m_image.SectionCount(); ++section) {
        sections[section].m_section.assign(m_image.SectionText(section));
        const ResourceImage::Range pairs = m_image.SectionPairs(section);
        for (uint32_t pair = pairs.first; pair < pairs.first + pairs.count; ++pair) {
            sections[section].m_keys.emplace_back(m_image.KeyText(m_image.PairKey(pair)));
        }
    }
    return sections;
}

bool ResourceCatalog::HasFile(const std::string& file) const {
    return m_image.IsOpen() && m_image.FindFile(file) != ResourceImage::kNone;
}

std::vector<std::string> ResourceCatalog::Files() const {
    std::vector<std::string> files;
    for (uint32_t file = 0; file < m_image.FileCount(); ++file) {
        files.emplace_back(m_image.FilePath(file));
    }
    return files;
}

bool ResourceCatalog::FileValue(const std::string& file, const std::string& section,
                                const std::string& key, std::string& value) const {
    if (!m_image.IsOpen()) {
        return false;
    }
    const uint32_t f = m_image.FindFile(file);
    const uint32_t s = f == ResourceImage::kNone ? f : m_image.FindSection(section);
    const uint32_t k = s == ResourceImage::kNone ? s : m_image.FindKey(key);
    const uint32_t pair = k == ResourceImage::kNone ? k : m_image.FindPair(s, k);
    const uint32_t holder =
        pair == ResourceImage::kNone ? pair : m_image.FindHolder(m_image.Holders(pair), f);
    if (holder == ResourceImage::kNone) {
        return false;
    }
    value.assign(m_image.HolderValue(holder));
    return true;
}
