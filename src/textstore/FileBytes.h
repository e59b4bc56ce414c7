// A file's bytes, read whole, and a hash of them by which the text store tells an unchanged
// file from a changed one without parsing it again.
#ifndef QUENDEL_TEXTSTORE_FILEBYTES_H
#define QUENDEL_TEXTSTORE_FILEBYTES_H

#include <cstddef>
#include <string>
#include <string_view>

// Reads the whole file at path into bytes; false when it cannot be opened or read at all.
bool ReadFileBytes(const std::string& path, std::string& bytes);

// A hash of a file's bytes: HashBytes of the bytes ReadFileBytes gives, or HashFileBytes reading
// the file itself without keeping it (false as for ReadFileBytes; size is the length read).
size_t HashBytes(std::string_view bytes);
bool HashFileBytes(const std::string& path, size_t& size, size_t& hash);

#endif
