// Builds resource files for the binary resource parser: the contained files by path, each with
// its entries (section path, key name, value text). FORMAT.md describes the file.
#ifndef FENDREL_RESOURCEWRITER_H
#define FENDREL_RESOURCEWRITER_H

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "fendrel/ResourceEntry.h"

namespace fendrel {

// A hashed key as the resource file stores it.
using KeyWords = std::array<uint64_t, 4>;

// The hashed key of a section path or key name without a fixed key: XXH3-128 (seed 0) of its
// text, the low half in word 0 and the high half in word 1, then two zero words.
KeyWords TextKey(std::string_view text);

// The entries of one contained file: section path to key name to value text.
using SectionEntries = std::map<std::string, std::string, std::less<>>;
using FileSections = std::map<std::string, SectionEntries, std::less<>>;

class ResourceWriter {
  public:
    // Names (section paths and key names alike, in every contained file) that carry the given
    // hashed key instead of the hash of their text, e.g. the parameter-group identifiers.
    void SetFixedKeys(std::map<std::string, KeyWords, std::less<>> keys);

    // Adds one contained file; a later entry with the same section and key replaces an earlier
    // one, as in the text files. Fails for an empty path or a path added before.
    bool AddFile(const std::string& path, const std::vector<ResourceEntry>& entries,
                 std::string& error);
    // The same with every section path given once, however many keys it holds: a path may be
    // as long as the file it comes from, so nothing is done per key with it.
    bool AddFileSections(const std::string& path, FileSections sections, std::string& error);

    // The complete resource file, for the caller to write where and how it needs. Fails when
    // two sections or two keys would share a hashed key (lookups by hashed key could not tell
    // them apart) or the file would reach 4 GiB.
    bool Build(std::string& image, std::string& error) const;

  private:
    std::map<std::string, KeyWords, std::less<>> m_fixedKeys;
    std::map<std::string, FileSections> m_files;
};

}  // namespace fendrel

#endif
