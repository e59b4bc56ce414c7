#include "inspect/matrix/TreeVersion.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <utility>
#include <vector>

#include "inspect/tree/ParamFileWalk.h"
#include "textstore/FileBytes.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

class DiskTree : public TreeVersion {
  public:
    explicit DiskTree(std::string root) : m_root(std::move(root)) {
        m_description = "the working tree";
    }
    bool Load(std::vector<std::string>& warnings, std::string& error) {
        std::error_code fsError;
        if (!fs::is_directory(m_root, fsError)) {
            error = "no parameter tree at " + m_root + " (not a directory)";
            return false;
        }
        const ParamFileWalk walk = WalkParamFiles(m_root);
        if (walk.m_error) {
            warnings.push_back("cannot read the directory " + m_root + ": " +
                               walk.m_error.message());
        }
        std::string bytes;
        for (const ParamFileEntry& file : walk.m_files) {
            if (!ReadFileBytes(file.m_path, bytes)) {
                warnings.push_back("cannot read " + file.m_path);
                continue;
            }
            m_files[file.m_relative] = {HashBytes(bytes), bytes.size()};
        }
        return true;
    }
    bool Read(const std::string& relative, std::string& bytes, std::string& error) const override {
        const std::string path = (fs::path(m_root) / relative).string();
        if (!ReadFileBytes(path, bytes)) {
            error = "cannot read " + path;
            return false;
        }
        return true;
    }

  private:
    std::string m_root;
};

// A file descriptor closed when it goes.
struct Fd {
    int m_fd = -1;
    ~Fd() { Close(); }
    void Close() {
        if (m_fd >= 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }
};

// Runs "git -C dir args..." with standard input from the file input (or nothing) and keeps what
// it writes. False with a message when it cannot run or ends with another status than 0.
bool RunGit(const std::string& dir, const std::vector<std::string>& args, const std::string& input,
            std::string& out, std::string& error) {
    std::vector<std::string> argv = {"git", "-C", dir};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> pointers;
    for (std::string& arg : argv) {
        pointers.push_back(arg.data());
    }
    pointers.push_back(nullptr);
    int outPipe[2];
    int errPipe[2];
    if (::pipe(outPipe) != 0) {
        error = std::string("cannot run git: ") + std::strerror(errno);
        return false;
    }
    Fd outRead{outPipe[0]};
    Fd outWrite{outPipe[1]};
    if (::pipe(errPipe) != 0) {
        error = std::string("cannot run git: ") + std::strerror(errno);
        return false;
    }
    Fd errRead{errPipe[0]};
    Fd errWrite{errPipe[1]};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, input.empty() ? "/dev/null" : input.c_str(),
                                     O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, outWrite.m_fd, 1);
    posix_spawn_file_actions_adddup2(&actions, errWrite.m_fd, 2);
    posix_spawn_file_actions_addclose(&actions, outRead.m_fd);
    posix_spawn_file_actions_addclose(&actions, errRead.m_fd);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, "git", &actions, nullptr, pointers.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    outWrite.Close();
    errWrite.Close();
    if (spawned != 0) {
        error = std::string("cannot run git: ") + std::strerror(spawned);
        return false;
    }
    std::string err;
    pollfd fds[2] = {{outRead.m_fd, POLLIN, 0}, {errRead.m_fd, POLLIN, 0}};
    std::string* sinks[2] = {&out, &err};
    char buffer[65536];
    for (int open = 2; open > 0;) {
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) {
                continue;
            }
            const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                sinks[i]->append(buffer, static_cast<size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                fds[i].fd = -1;
                --open;
            }
        }
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        while (!err.empty() && (err.back() == '\n' || err.back() == '\r')) {
            err.pop_back();
        }
        error = "git " + args.front() + " failed" + (err.empty() ? "" : ": " + err);
        return false;
    }
    return true;
}

std::string Trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.pop_back();
    }
    return text;
}

class GitTree : public TreeVersion {
  public:
    bool Load(const std::string& root, const std::string& revision, std::string& error) {
        if (revision.empty() || revision.front() == '-') {
            error = "not a revision: \"" + revision + "\"";
            return false;
        }
        std::error_code fsError;
        if (!fs::is_directory(root, fsError)) {
            error = "no parameter tree at " + root + " (not a directory) to find its revisions";
            return false;
        }
        m_root = root;
        std::string out;
        if (!RunGit(
                root,
                {"rev-parse", "--verify", "--quiet", "--end-of-options", revision + "^{commit}"},
                "", out, error)) {
            error = "no commit \"" + revision + "\" in the git repository of " + root;
            return false;
        }
        m_commit = Trimmed(out);
        out.clear();
        if (!RunGit(root, {"rev-parse", "--show-prefix"}, "", out, error)) {
            return false;
        }
        const std::string prefix = Trimmed(out);
        out.clear();
        if (!RunGit(root, {"ls-tree", "-r", "-z", "--full-tree", m_commit}, "", out, error)) {
            return false;
        }
        m_description = "revision " + revision + " (" + m_commit.substr(0, 12) + ")";
        // "<mode> <type> <object>\t<path>\0" per file.
        std::vector<std::string> objects;
        std::vector<std::string> relatives;
        for (size_t at = 0; at < out.size();) {
            const size_t end = out.find('\0', at);
            const std::string record = out.substr(at, end - at);
            at = end == std::string::npos ? out.size() : end + 1;
            const size_t tab = record.find('\t');
            if (tab == std::string::npos ||
                (record.compare(0, 7, "100644 ") != 0 && record.compare(0, 7, "100755 ") != 0)) {
                continue;  // not a regular file: a link, a submodule
            }
            const std::string path = record.substr(tab + 1);
            if (path.compare(0, prefix.size(), prefix) != 0 || path.size() < 3 ||
                path.compare(path.size() - 3, 3, ".pp") != 0) {
                continue;
            }
            objects.push_back(record.substr(12, tab - 12));
            relatives.push_back(path.substr(prefix.size()));
        }
        return ReadObjects(objects, relatives, error);
    }

    bool Read(const std::string& relative, std::string& bytes, std::string& error) const override {
        const auto it = m_bytes.find(relative);
        if (it == m_bytes.end()) {
            error = "no file " + relative + " in " + m_description;
            return false;
        }
        bytes = it->second;
        return true;
    }

  private:
    // Every object's bytes through one "git cat-file --batch", its list given in a file.
    bool ReadObjects(const std::vector<std::string>& objects,
                     const std::vector<std::string>& relatives, std::string& error) {
        if (objects.empty()) {
            return true;
        }
        char name[] = "/tmp/quendel-objects.XXXXXX";
        const int fd = ::mkstemp(name);
        if (fd < 0) {
            error = std::string("cannot make a temporary file: ") + std::strerror(errno);
            return false;
        }
        std::string list;
        for (const std::string& object : objects) {
            list += object + "\n";
        }
        const bool written =
            ::write(fd, list.data(), list.size()) == static_cast<ssize_t>(list.size());
        ::close(fd);
        std::string out;
        const bool ran = written && RunGit(m_root, {"cat-file", "--batch"}, name, out, error);
        ::unlink(name);
        if (!ran) {
            error = written ? error : "cannot write the temporary file " + std::string(name);
            return false;
        }
        // "<object> blob <size>\n<bytes>\n" per object, in the order asked.
        size_t at = 0;
        for (size_t i = 0; i < objects.size(); ++i) {
            const size_t lineEnd = out.find('\n', at);
            const size_t space = out.rfind(' ', lineEnd);
            if (lineEnd == std::string::npos || space == std::string::npos || space < at) {
                error = "git cat-file gave an unexpected answer";
                return false;
            }
            const size_t size = std::strtoull(out.c_str() + space + 1, nullptr, 10);
            if (lineEnd + 1 + size > out.size()) {
                error = "git cat-file gave a short answer";
                return false;
            }
            std::string bytes = out.substr(lineEnd + 1, size);
            m_files[relatives[i]] = {HashBytes(bytes), bytes.size()};
            m_bytes[relatives[i]] = std::move(bytes);
            at = lineEnd + 1 + size + 1;
        }
        return true;
    }

    std::string m_root;
    std::string m_commit;
    std::map<std::string, std::string> m_bytes;
};

}  // namespace

std::unique_ptr<TreeVersion> DiskVersion(const std::string& root,
                                         std::vector<std::string>& warnings, std::string& error) {
    auto tree = std::make_unique<DiskTree>(root);
    if (!tree->Load(warnings, error)) {
        return nullptr;
    }
    return tree;
}

std::unique_ptr<TreeVersion> GitVersion(const std::string& root, const std::string& revision,
                                        std::string& error) {
    auto tree = std::make_unique<GitTree>();
    if (!tree->Load(root, revision, error)) {
        return nullptr;
    }
    return tree;
}
