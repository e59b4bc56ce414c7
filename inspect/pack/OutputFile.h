// Writing a file that others read (a resource file shipped to scanners): the reader finds the
// whole new content or the old file, never a mix, and a name that leads to a device, a FIFO, a
// socket or a directory is never written through or replaced.
#ifndef QUENDEL_INSPECT_PACK_OUTPUTFILE_H
#define QUENDEL_INSPECT_PACK_OUTPUTFILE_H

#include <sys/types.h>

#include <string>
#include <string_view>

// Where an output name leads, its symbolic links followed.
struct OutputTarget {
    std::string m_name;  // as given
    std::string m_path;  // the file that is replaced
    bool m_exists = false;
    mode_t m_mode = 0;  // permissions of the existing file, or 0666 less the umask for a new one
};

// Resolves name; false with a message unless it leads to a regular file or to nothing.
bool ResolveOutput(const std::string& name, OutputTarget& target, std::string& error);

// Writes bytes to a new file beside the target, checks every write, syncs it and renames it over
// the target with the target's permissions. On failure the new file is removed, the target is
// left as it was and error gives the system's reason.
bool ReplaceFile(const OutputTarget& target, std::string_view bytes, std::string& error);

// Writes bytes whole to standard output (a pipe, a file, a device the caller chose).
bool WriteStandardOutput(std::string_view bytes, std::string& error);

#endif
