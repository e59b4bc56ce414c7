#include <fendrel/ResourceReader.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "Format.h"
#include "ResourceImage.h"

namespace fendrel {

uint32_t FormatVersion() {
    return format::kVersion;
}

bool StartsAsResourceFile(const std::string& path) {
    char magic[sizeof format::kMagic] = {};
    std::ifstream in(path, std::ios::binary);
    return in.read(magic, sizeof magic) &&
           std::equal(std::begin(magic), std::end(magic), std::begin(format::kMagic));
}

ResourceReader::ResourceReader() : m_image(std::make_unique<ResourceImage>()) {}

ResourceReader::~ResourceReader() = default;

bool ResourceReader::Open(const std::string& path, std::string& error) {
    return m_image->Load(path, error);
}

ResourceSummary ResourceReader::Summary() const {
    if (!m_image->IsOpen()) {
        return {};
    }
    return {m_image->Version(),    m_image->Size(),         m_image->Checksum(),
            m_image->FileCount(),  m_image->SectionCount(), m_image->KeyCount(),
            m_image->HolderCount()};
}

std::vector<std::string> ResourceReader::Files() const {
    std::vector<std::string> files;
    for (uint32_t file = 0; m_image->IsOpen() && file < m_image->FileCount(); ++file) {
        files.emplace_back(m_image->FilePath(file));
    }
    return files;
}

std::vector<std::vector<ResourceEntry>> ResourceReader::Entries() const {
    std::vector<std::vector<ResourceEntry>> files;
    if (!m_image->IsOpen()) {
        return files;
    }
    files.resize(m_image->FileCount());
    for (uint32_t section = 0; section < m_image->SectionCount(); ++section) {
        const ResourceImage::Range pairs = m_image->SectionPairs(section);
        for (uint32_t pair = pairs.first; pair < pairs.first + pairs.count; ++pair) {
            const ResourceImage::Range holders = m_image->Holders(pair);
            for (uint32_t h = holders.first; h < holders.first + holders.count; ++h) {
                const uint32_t file = m_image->HolderFile(h);
                if (file < files.size()) {
                    files[file].push_back({std::string(m_image->SectionText(section)),
                                           std::string(m_image->KeyText(m_image->PairKey(pair))),
                                           std::string(m_image->HolderValue(h))});
                }
            }
        }
    }
    return files;
}

std::vector<ResourceEntry> ResourceReader::FileEntries(const std::string& path) const {
    std::vector<ResourceEntry> entries;
    const uint32_t file = m_image->IsOpen() ? m_image->FindFile(path) : ResourceImage::kNone;
    if (file == ResourceImage::kNone) {
        return entries;
    }
    for (uint32_t section = 0; section < m_image->SectionCount(); ++section) {
        const ResourceImage::Range pairs = m_image->SectionPairs(section);
        for (uint32_t pair = pairs.first; pair < pairs.first + pairs.count; ++pair) {
            const uint32_t holder = m_image->FindHolder(pair, file);
            if (holder != ResourceImage::kNone) {
                entries.push_back({std::string(m_image->SectionText(section)),
                                   std::string(m_image->KeyText(m_image->PairKey(pair))),
                                   std::string(m_image->HolderValue(holder))});
            }
        }
    }
    return entries;
}

std::vector<std::pair<uint32_t, std::string>> ResourceReader::Holders(
    const std::string& section, const std::string& key) const {
    std::vector<std::pair<uint32_t, std::string>> holders;
    const uint32_t pair = m_image->IsOpen() ? m_image->FindPair(section, key) : ResourceImage::kNone;
    if (pair == ResourceImage::kNone) {
        return holders;
    }
    const ResourceImage::Range range = m_image->Holders(pair);
    for (uint32_t h = range.first; h < range.first + range.count; ++h) {
        holders.emplace_back(m_image->HolderFile(h), std::string(m_image->HolderValue(h)));
    }
    return holders;
}

}  // namespace fendrel
