// What a resource file holds, read directly from the file: every section and key, and which
// contained file holds which value. The binary store answers lookups; this answers "what is
// there" and "which files hold it", which the store's parser does not list.
#ifndef QUENDEL_TOOLS_RESOURCECATALOG_H
#define QUENDEL_TOOLS_RESOURCECATALOG_H

#include <string>
#include <utility>
#include <vector>

#include "ResourceImage.h"

struct CatalogSection {
    std::string m_section;
    std::vector<std::string> m_keys;
};

class ResourceCatalog {
  public:
    // False with the reader's reason when the file is not a sound resource file.
    bool Open(const std::string& path, std::string& error);

    // Every section that some contained file holds with the keys it holds there, sections and
    // keys in byte order.
    std::vector<CatalogSection> Sections() const;
    bool HasFile(const std::string& file) const;
    // The paths of the contained files, in byte order.
    std::vector<std::string> Files() const;
    // The value that one contained file gives the entry; false when it holds none.
    bool FileValue(const std::string& file, const std::string& section, const std::string& key,
                   std::string& value) const;

  private:
    fendrel::ResourceImage m_image;
};

#endif
