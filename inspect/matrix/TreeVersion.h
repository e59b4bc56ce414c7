// One version of a text tree: its ".pp" files below the resource root, each with a hash of its
// bytes, as the disk holds them now or as a git revision holds them. Two versions compare file
// by file, so that only what changed is read again.
#ifndef QUENDEL_INSPECT_MATRIX_TREEVERSION_H
#define QUENDEL_INSPECT_MATRIX_TREEVERSION_H

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <vector>

class TreeVersion {
  public:
    virtual ~TreeVersion() = default;

    // Path below the resource root ("/"-separated) to the hash and size of the file's bytes.
    struct FileState {
        size_t m_hash = 0;
        size_t m_size = 0;
        bool operator==(const FileState& other) const {
            return m_hash == other.m_hash && m_size == other.m_size;
        }
    };
    const std::map<std::string, FileState>& Files() const { return m_files; }
    virtual bool Read(const std::string& relative, std::string& bytes,
                      std::string& error) const = 0;
    // "the working tree", "revision HEAD~1 (3f2a9c1)".
    const std::string& Describe() const { return m_description; }

  protected:
    std::map<std::string, FileState> m_files;
    std::string m_description;
};

// The files below root on disk now. Files that cannot be read go to warnings; false with a
// message when root is not a directory.
std::unique_ptr<TreeVersion> DiskVersion(const std::string& root,
                                         std::vector<std::string>& warnings, std::string& error);

// The files below root as the git revision holds them, read with the git command (never a
// shell): root must lie in a git working tree. A revision that starts with "-" or names no
// commit is an error.
std::unique_ptr<TreeVersion> GitVersion(const std::string& root, const std::string& revision,
                                        std::string& error);

#endif
