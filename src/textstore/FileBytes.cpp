#include "textstore/FileBytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace {

// A descriptor closed when it goes out of scope.
class Descriptor {
  public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return m_fd; }

  private:
    int m_fd;
};

void Note(FileProblem* problem, int error, const char* kind) {
    if (problem != nullptr) {
        *problem = FileProblem{error, kind};
    }
}

// The regular file at path, opened for reading; -1 when it cannot be opened, when path holds a
// NUL (which would silently shorten it to another file), or when it is something else. Opened
// without blocking, so that a FIFO cannot hang the caller, and checked on the descriptor
// itself, so that nothing can take the file's place between the check and the read. sizeHint
// is its size then.
int OpenRegular(const std::string& path, size_t& sizeHint, FileProblem* problem) {
    if (path.find('\0') != std::string::npos) {
        Note(problem, ENOENT, nullptr);
        return -1;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        // A socket cannot be opened for reading at all; a descriptor of the path alone says
        // what it is.
        const Descriptor any(error == ENXIO ? ::open(path.c_str(), O_PATH | O_CLOEXEC) : -1);
        struct stat info {};
        const char* kind = any.Get() >= 0 && ::fstat(any.Get(), &info) == 0
                               ? NonRegularKind(info.st_mode)
                               : nullptr;
        Note(problem, kind != nullptr ? 0 : error, kind);
        return -1;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        Note(problem, errno, nullptr);
        ::close(fd);
        return -1;
    }
    if (const char* kind = NonRegularKind(info.st_mode)) {
        Note(problem, 0, kind);
        ::close(fd);
        return -1;
    }
    sizeHint = info.st_size > 0 ? static_cast<size_t>(info.st_size) : 0;
    return fd;
}

// Reads up to n bytes, as many as there are; -1 on an error (errno set).
ssize_t ReadSome(int fd, char* out, size_t n) {
    size_t done = 0;
    while (done < n) {
        const ssize_t got = ::read(fd, out + done, n - done);
        if (got > 0) {
            done += static_cast<size_t>(got);
        } else if (got == 0) {
            break;
        } else if (errno != EINTR) {
            return done > 0 ? static_cast<ssize_t>(done) : -1;
        }
    }
    return static_cast<ssize_t>(done);
}

}  // namespace

const char* NonRegularKind(unsigned int mode) {
    if (S_ISREG(mode)) {
        return nullptr;
    }
    if (S_ISDIR(mode)) {
        return "a directory";
    }
    if (S_ISFIFO(mode)) {
        return "a FIFO";
    }
    if (S_ISSOCK(mode)) {
        return "a socket";
    }
    if (S_ISCHR(mode)) {
        return "a character device";
    }
    return S_ISBLK(mode) ? "a block device" : "a special file";
}

std::string DescribeProblem(const FileProblem& problem) {
    if (problem.m_kind != nullptr) {
        return std::string("not a regular file (") + problem.m_kind + ")";
    }
    if (problem.m_error == ENOENT || problem.m_error == ENOTDIR) {
        return "missing";
    }
    return std::string("unreadable (") + std::strerror(problem.m_error) + ")";
}

// A read error keeps what was read before it; one before the first byte counts as a file that
// cannot be read.
bool ReadFileBytes(const std::string& path, std::string& bytes, FileProblem* problem) {
    size_t size = 0;
    const Descriptor file(OpenRegular(path, size, problem));
    if (file.Get() < 0) {
        return false;
    }
    // The size is only a hint (one read for a file that keeps its size); more is read in turns.
    bytes.resize(size + 1);
    size_t length = 0;
    while (true) {
        if (length == bytes.size()) {
            bytes.resize(bytes.size() * 2);
        }
        const size_t wanted = bytes.size() - length;
        const ssize_t got = ReadSome(file.Get(), &bytes[length], wanted);
        if (got < 0) {
            if (length == 0) {
                Note(problem, errno, nullptr);
                return false;
            }
            break;
        }
        length += static_cast<size_t>(got);
        if (static_cast<size_t>(got) < wanted) {
            break;
        }
    }
    bytes.resize(length);
    return true;
}

namespace {
constexpr size_t kHashPiece = size_t{1} << 16;
constexpr uint64_t kPrime1 = 0x9e3779b185ebca87ULL;
constexpr uint64_t kPrime2 = 0xc2b2ae3d27d4eb4fULL;

uint64_t Rotl(uint64_t x, int r) {
    return (x << r) | (x >> (64 - r));
}

uint64_t Round(uint64_t acc, uint64_t word) {
    return Rotl(acc + word * kPrime2, 31) * kPrime1;
}

// Four independent multiply-rotate lanes over 8-byte words: several megabytes are checked on
// every re-selection, several times faster than std::hash.
uint64_t HashPiece(std::string_view piece) {
    uint64_t lanes[4] = {kPrime1 + kPrime2, kPrime2, 0, 0 - kPrime1};
    const char* p = piece.data();
    size_t n = piece.size();
    uint64_t words[4];
    for (; n >= sizeof(words); p += sizeof(words), n -= sizeof(words)) {
        std::memcpy(words, p, sizeof(words));
        for (int i = 0; i < 4; ++i) {
            lanes[i] = Round(lanes[i], words[i]);
        }
    }
    uint64_t hash = Rotl(lanes[0], 1) + Rotl(lanes[1], 7) + Rotl(lanes[2], 12) + Rotl(lanes[3], 18);
    for (; n >= 8; p += 8, n -= 8) {
        uint64_t word = 0;
        std::memcpy(&word, p, 8);
        hash = Rotl(hash ^ Round(0, word), 27) * kPrime1 + kPrime2;
    }
    uint64_t tail = 0;
    std::memcpy(&tail, p, n);
    hash = Round(hash ^ tail, n) ^ piece.size();
    hash ^= hash >> 33;
    hash *= kPrime2;
    return hash ^ (hash >> 29);
}

size_t CombineHash(size_t hash, std::string_view piece) {
    return (hash ^ HashPiece(piece)) * 0x9e3779b97f4a7c15ULL;
}
}  // namespace

size_t HashBytes(std::string_view bytes) {
    size_t hash = bytes.size();
    for (size_t pos = 0; pos < bytes.size(); pos += kHashPiece) {
        hash = CombineHash(hash, bytes.substr(pos, kHashPiece));
    }
    return hash;
}

// Reads as ReadFileBytes does, piece by piece into one small buffer, so that the check of an
// unchanged file touches no more memory than that buffer.
bool HashFileBytes(const std::string& path, size_t& size, size_t& hash, FileProblem* problem) {
    size_t sizeHint = 0;
    const Descriptor file(OpenRegular(path, sizeHint, problem));
    if (file.Get() < 0) {
        return false;
    }
    const std::unique_ptr<char[]> buffer(new char[kHashPiece]);
    std::vector<size_t> pieces;
    size_t length = 0;
    while (true) {
        const ssize_t got = ReadSome(file.Get(), buffer.get(), kHashPiece);
        if (got < 0) {
            if (length == 0) {
                Note(problem, errno, nullptr);
                return false;
            }
            break;
        }
        if (got > 0) {
            pieces.push_back(HashPiece(std::string_view(buffer.get(), static_cast<size_t>(got))));
        }
        length += static_cast<size_t>(got);
        if (static_cast<size_t>(got) < kHashPiece) {
            break;
        }
    }
    // Pieces end where HashBytes cuts them only when every read but the last was whole, which
    // ReadSome gives for a file; anything else just counts as changed.
    size_t combined = length;
    for (const size_t piece : pieces) {
        combined = (combined ^ piece) * 0x9e3779b97f4a7c15ULL;
    }
    size = length;
    hash = combined;
    return true;
}
