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

}  // namespace fendrel
