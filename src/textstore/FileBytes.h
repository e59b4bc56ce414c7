// A file's bytes, read whole, and a hash of them by which the text store tells an unchanged
// file from a changed one without parsing it again. Only regular files are read: a FIFO, a
// socket, a device or a directory at a parameter path is refused without blocking on it.
#ifndef QUENDEL_TEXTSTORE_FILEBYTES_H
#define QUENDEL_TEXTSTORE_FILEBYTES_H

#include <cstddef>
#include <string>
#include <string_view>

// Why a file gave no bytes.
struct FileProblem {
    int m_error = 0;               // errno of the open or read that failed; 0 for m_kind
    const char* m_kind = nullptr;  // what the path is when not a regular file: "a FIFO", ...
};

// Reads the whole regular file at path into bytes; false, with the problem when asked for, when
// it cannot be opened or read at all or is not a regular file.
bool ReadFileBytes(const std::string& path, std::string& bytes, FileProblem* problem = nullptr);

// A hash of a file's bytes: HashBytes of the bytes ReadFileBytes gives, or HashFileBytes reading
// the file itself without keeping it (false as for ReadFileBytes; size is the length read).
size_t HashBytes(std::string_view bytes);
bool HashFileBytes(const std::string& path, size_t& size, size_t& hash,
                   FileProblem* problem = nullptr);

// "a FIFO", "a socket", "a directory", "a character device", "a block device", "a special
// file": what a path of the mode st_mode is; null for a regular file.
const char* NonRegularKind(unsigned int mode);

// "missing", "not a regular file (a FIFO)", "unreadable (Permission denied)".
std::string DescribeProblem(const FileProblem& problem);

#endif
