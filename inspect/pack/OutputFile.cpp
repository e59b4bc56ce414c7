#include "inspect/pack/OutputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

// As many links as the system itself follows before it gives up (ELOOP).
constexpr int kMaxLinks = 40;

std::string SystemError(const std::string& what, int error) {
    return what + ": " + std::strerror(error);
}

const char* KindName(mode_t mode) {
    if (S_ISDIR(mode)) {
        return "a directory";
    }
    if (S_ISCHR(mode)) {
        return "a character device";
    }
    if (S_ISBLK(mode)) {
        return "a block device";
    }
    if (S_ISFIFO(mode)) {
        return "a FIFO";
    }
    return S_ISSOCK(mode) ? "a socket" : "a special file";
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t done = ::write(fd, bytes.data(), bytes.size());
        if (done > 0) {
            bytes.remove_prefix(static_cast<size_t>(done));
        } else if (done == 0 || errno != EINTR) {
            errno = done == 0 ? EIO : errno;
            return false;
        }
    }
    return true;
}

mode_t NewFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

}  // namespace

bool ResolveOutput(const std::string& name, OutputTarget& target, std::string& error) {
    target = OutputTarget{name, name};
    struct stat info {};
    int links = 0;
    // The last name's links are followed by hand, so that a link to a file not yet written is
    // kept and the new file lands where it points.
    while (::lstat(target.m_path.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        std::error_code ec;
        const fs::path next = fs::read_symlink(target.m_path, ec);
        if (ec || ++links > kMaxLinks) {
            error = SystemError("cannot follow " + name, ec ? ec.value() : ELOOP);
            return false;
        }
        target.m_path = (fs::path(target.m_path).parent_path() / next).string();
    }
    if (::stat(target.m_path.c_str(), &info) != 0) {
        if (errno != ENOENT) {
            error = SystemError("cannot write " + name, errno);
            return false;
        }
        target.m_mode = NewFileMode();
        return true;
    }
    if (!S_ISREG(info.st_mode)) {
        error = name + (target.m_path == name ? "" : " (leading to " + target.m_path + ")") +
                " is " + KindName(info.st_mode) +
                ", not a regular file: it is left as it is (-o - writes to standard output)";
        return false;
    }
    target.m_exists = true;
    target.m_mode = info.st_mode & 07777;
    return true;
}

bool ReplaceFile(const OutputTarget& target, std::string_view bytes, std::string& error) {
    const fs::path path(target.m_path);
    const fs::path dir = path.has_parent_path() ? path.parent_path() : fs::path(".");
    std::string temporary = (dir / ("." + path.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        error =
            SystemError("cannot create a file in " + dir.string() + " for " + target.m_name, errno);
        return false;
    }
    const char* failed = nullptr;
    if (!WriteAll(fd, bytes)) {
        failed = "cannot write ";
    } else if (::fchmod(fd, target.m_mode) != 0) {
        failed = "cannot set the permissions of ";
    } else if (::fsync(fd) != 0) {
        failed = "cannot sync ";
    }
    int saved = errno;
    if (::close(fd) != 0 && failed == nullptr) {
        failed = "cannot close ";
        saved = errno;
    }
    if (failed == nullptr && std::rename(temporary.c_str(), target.m_path.c_str()) != 0) {
        failed = "cannot replace ";
        saved = errno;
    }
    if (failed != nullptr) {
        ::unlink(temporary.c_str());
        error = SystemError(failed + target.m_name, saved);
        return false;
    }
    return true;
}

bool WriteStandardOutput(std::string_view bytes, std::string& error) {
    if (!WriteAll(STDOUT_FILENO, bytes)) {
        error = SystemError("cannot write to standard output", errno);
        return false;
    }
    return true;
}
