// The file configuration ("FileConfig.pp") of a tree: "FileNumbers" says how many files it lists
// and the entries "File0", "File1", ... name them, relative to the configuration's directory.
// Both stores and lint read it through these functions. The two stores read the count each
// their own way, which lint must know to say what a store makes of a count.
#ifndef QUENDEL_FILESET_FILECONFIG_H
#define QUENDEL_FILESET_FILECONFIG_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

inline constexpr char kFileCountKey[] = "FileNumbers";

enum class FileCountReading {
    kTextStore,    // a number by the strict conversions (IsNumber, then atoi); else no count
    kBinaryStore,  // the integer a stream reads from the start of the text, 0 when none
};

// The count the text of "FileNumbers" gives; false when the text store reads no number (the
// binary store always reads one). A count below 1 lists nothing.
bool ReadFileCount(const std::string& text, FileCountReading reading, long& count);

// The index i of a key "File<i>" with i written as the decimal loop writes it (no sign, no
// leading zero), or -1 for any other key.
int64_t ListedIndex(std::string_view key);

// A key "File" followed by digits only (a leading zero too): meant to name a listed file, read or
// not.
bool LooksListed(std::string_view key);

// Which of keys name listed files under count, in index order: their positions in keys. The
// stores visit only the entries a configuration holds instead of asking for every index below
// a count that may be huge; each index appears once when the keys are distinct.
std::vector<size_t> ListedOrder(const std::vector<std::string_view>& keys, long count);

#endif
