#include "inspect/tree/ParamFileWalk.h"

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

ParamFileWalk WalkParamFiles(const std::string& dir) {
    ParamFileWalk walk;
    fs::recursive_directory_iterator it(dir, fs::directory_options::none, walk.m_error);
    for (; !walk.m_error && it != fs::recursive_directory_iterator(); it.increment(walk.m_error)) {
        const fs::path& path = it->path();
        std::error_code typeError;
        if (path.extension() == ".pp" && it->is_regular_file(typeError)) {
            walk.m_files.push_back({path.string(), path.lexically_relative(dir).generic_string()});
        }
    }
    if (walk.m_error) {
        walk.m_failedPath = it != fs::recursive_directory_iterator() ? it->path().string() : dir;
    }
    std::sort(walk.m_files.begin(), walk.m_files.end(),
              [](const ParamFileEntry& a, const ParamFileEntry& b) {
                  return a.m_relative < b.m_relative;
              });
    return walk;
}
