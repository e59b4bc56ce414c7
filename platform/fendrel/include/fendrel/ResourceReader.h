// Reads a resource file as the parser does, with the same checks, for tools that show what one
// holds: a summary, the contained files, and the format version. FORMAT.md describes the file.
#ifndef FENDREL_RESOURCEREADER_H
#define FENDREL_RESOURCEREADER_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "fendrel/ResourceEntry.h"

namespace fendrel {

class ResourceImage;

// The version of the resource file format that this library reads and its writer writes.
uint32_t FormatVersion();

// Whether the file at path begins as a resource file does, whatever state the rest is in.
bool StartsAsResourceFile(const std::string& path);

struct ResourceSummary {
    uint32_t m_version = 0;
    std::size_t m_size = 0;  // bytes
    uint64_t m_checksum = 0;
    uint32_t m_files = 0;
    uint32_t m_sections = 0;
    uint32_t m_keys = 0;
    uint32_t m_entries = 0;  // one per contained file and entry
};

class ResourceReader {
  public:
    ResourceReader();
    ~ResourceReader();
    ResourceReader(const ResourceReader&) = delete;
    ResourceReader& operator=(const ResourceReader&) = delete;

    // False with the reason (what the system said, what the header holds, or the first
    // unsound table record) when the file is not a sound resource file.
    bool Open(const std::string& path, std::string& error);
    // Of the open file.
    ResourceSummary Summary() const;
    // The paths of the contained files, in byte order; empty when none is open.
    std::vector<std::string> Files() const;
    // The entries of every contained file, by the file's index in Files(), each in section and
    // key order.
    std::vector<std::vector<ResourceEntry>> Entries() const;
    // The same for one contained file (by its path), and for one entry in every file that holds
    // it: (index in Files(), value) in file order.
    std::vector<ResourceEntry> FileEntries(const std::string& path) const;
    std::vector<std::pair<uint32_t, std::string>> Holders(const std::string& section,
                                                          const std::string& key) const;

  private:
    std::unique_ptr<ResourceImage> m_image;
};

}  // namespace fendrel

#endif
