// The ".pp" files below a directory, found once for every reader of a tree (lint of named
// directories, the whole-tree lint, pack): regular files in the order of their paths below the
// directory, and apart from them whatever else bears a ".pp" name: a FIFO, a socket, a device or
// a link to nothing, which no store reads and no reader may open blindly, and directories, which
// are walked like any other but read as nothing where a store expects a file.
#ifndef QUENDEL_INSPECT_TREE_PARAMFILEWALK_H
#define QUENDEL_INSPECT_TREE_PARAMFILEWALK_H

#include <string>
#include <system_error>
#include <vector>

struct ParamFileEntry {
    std::string m_path;      // as the directory walk names it: dir, then the path below it
    std::string m_relative;  // below dir, "/"-separated
    const char* m_kind = nullptr;  // what a path that is no regular file is ("a FIFO", ...)
};

struct ParamFileWalk {
    std::vector<ParamFileEntry> m_files;        // sorted by m_relative
    std::vector<ParamFileEntry> m_notRegular;   // sorted by m_relative, each with its kind
    std::vector<ParamFileEntry> m_directories;  // named "*.pp", sorted by m_relative
    // Where the walk stopped, and why; m_error is clear when the whole directory was read. The
    // files found before the failure are kept.
    std::string m_failedPath;
    std::error_code m_error;
};

ParamFileWalk WalkParamFiles(const std::string& dir);

#endif
