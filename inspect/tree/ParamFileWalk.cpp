#include "inspect/tree/ParamFileWalk.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>

#include "textstore/FileBytes.h"

namespace fs = std::filesystem;

namespace {

// What an entry is, its links followed; null for a regular file.
const char* KindOf(const fs::path& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return errno == ENOENT ? "a symbolic link to nothing" : "a file that cannot be examined";
    }
    return NonRegularKind(info.st_mode);
}

void SortByRelative(std::vector<ParamFileEntry>& entries) {
    std::sort(entries.begin(), entries.end(), [](const ParamFileEntry& a, const ParamFileEntry& b) {
        return a.m_relative < b.m_relative;
    });
}

}  // namespace

ParamFileWalk WalkParamFiles(const std::string& dir) {
    ParamFileWalk walk;
    fs::recursive_directory_iterator it(dir, fs::directory_options::none, walk.m_error);
    for (; !walk.m_error && it != fs::recursive_directory_iterator(); it.increment(walk.m_error)) {
        const fs::path& path = it->path();
        std::error_code typeError;
        if (path.extension() != ".pp") {
            continue;
        }
        ParamFileEntry entry{path.string(), path.lexically_relative(dir).generic_string(),
                             KindOf(path)};
        const bool directory = it->is_directory(typeError);
        (entry.m_kind == nullptr ? walk.m_files
         : directory             ? walk.m_directories
                                 : walk.m_notRegular)
            .push_back(std::move(entry));
    }
    if (walk.m_error) {
        walk.m_failedPath = it != fs::recursive_directory_iterator() ? it->path().string() : dir;
    }
    SortByRelative(walk.m_files);
    SortByRelative(walk.m_notRegular);
    SortByRelative(walk.m_directories);
    return walk;
}
