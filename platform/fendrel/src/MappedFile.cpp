#include "MappedFile.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <new>

namespace fendrel {

namespace {

// The guarded mappings, as the SIGBUS handler reads them: plain lock-free atomics, because a
// handler may only touch what is async-signal-safe. begin 0 is a free entry, 1 one being set.
struct GuardEntry {
    std::atomic<uintptr_t> begin{0};
    std::atomic<uintptr_t> end{0};
    std::atomic<bool> damaged{false};
};
constexpr int kGuardEntries = 64;
constexpr uintptr_t kClaimed = 1;
GuardEntry g_guard[kGuardEntries];
struct sigaction g_previousBus {};
std::once_flag g_guardInstalled;

// What the process did with SIGBUS before the guard: call that handler, or take the default
// action (a fault repeats when the handler returns, then ends the process; a signal sent by
// someone is raised again).
void PassOn(int signal, siginfo_t* info, void* context) {
    const struct sigaction& previous = g_previousBus;
    const bool sent = info == nullptr || info->si_code <= 0;
    if ((previous.sa_flags & SA_SIGINFO) != 0 && previous.sa_sigaction != nullptr) {
        previous.sa_sigaction(signal, info, context);
        return;
    }
    if ((previous.sa_flags & SA_SIGINFO) == 0 && previous.sa_handler == SIG_IGN && sent) {
        return;
    }
    if ((previous.sa_flags & SA_SIGINFO) == 0 && previous.sa_handler != SIG_DFL &&
        previous.sa_handler != SIG_IGN) {
        previous.sa_handler(signal);
        return;
    }
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    sigaction(signal, &fallback, nullptr);
    if (sent) {
        raise(signal);
    }
}

// A fault inside a guarded mapping: the file shrank under it. Zero pages take the mapping's
// place, so the faulting read reads zeros when the handler returns.
void OnBusError(int signal, siginfo_t* info, void* context) {
    const int savedErrno = errno;
    const uintptr_t address = info != nullptr ? reinterpret_cast<uintptr_t>(info->si_addr) : 0;
    for (GuardEntry& entry : g_guard) {
        const uintptr_t begin = entry.begin.load(std::memory_order_acquire);
        const uintptr_t end = entry.end.load(std::memory_order_acquire);
        if (begin > kClaimed && address >= begin && address < end) {
            entry.damaged.store(true, std::memory_order_release);
            void* zeros = mmap(reinterpret_cast<void*>(begin), end - begin, PROT_READ,
                               MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0);
            errno = savedErrno;
            if (zeros != MAP_FAILED) {
                return;
            }
            break;
        }
    }
    errno = savedErrno;
    PassOn(signal, info, context);
}

void InstallGuard() {
    struct sigaction action {};
    action.sa_sigaction = OnBusError;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    sigaction(SIGBUS, &action, &g_previousBus);
}

int Register(const unsigned char* data, std::size_t size) {
    std::call_once(g_guardInstalled, InstallGuard);
    for (int i = 0; i < kGuardEntries; ++i) {
        uintptr_t expected = 0;
        if (g_guard[i].begin.compare_exchange_strong(expected, kClaimed)) {
            g_guard[i].damaged.store(false);
            g_guard[i].end.store(reinterpret_cast<uintptr_t>(data) + size);
            g_guard[i].begin.store(reinterpret_cast<uintptr_t>(data), std::memory_order_release);
            return i;
        }
    }
    return -1;
}

// What a file that is not regular is, for the reason a resource file is refused.
const char* KindOf(mode_t mode) {
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

std::string SystemError(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

}  // namespace

bool MappedFile::Open(const std::string& path, uint64_t maxSize, std::string& error) {
    Close();
    m_fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0) {
        error = SystemError("cannot open");
        // A socket cannot be opened for reading; a descriptor of the path alone says what it is.
        const int any = errno == ENXIO ? ::open(path.c_str(), O_PATH | O_CLOEXEC) : -1;
        struct stat info {};
        if (any >= 0 && ::fstat(any, &info) == 0 && !S_ISREG(info.st_mode)) {
            error = std::string(KindOf(info.st_mode)) + ", not a regular file";
        }
        if (any >= 0) {
            ::close(any);
        }
        return false;
    }
    struct stat info {};
    if (::fstat(m_fd, &info) != 0) {
        error = SystemError("cannot read");
    } else if (!S_ISREG(info.st_mode)) {
        error = std::string(KindOf(info.st_mode)) + ", not a regular file";
    } else if (info.st_size < 0 || static_cast<uint64_t>(info.st_size) > maxSize) {
        error = "too large: " + std::to_string(info.st_size) +
                " bytes (a resource file stays below 4 GiB)";
    } else {
        m_size = static_cast<std::size_t>(info.st_size);
        return true;
    }
    Close();
    return false;
}

std::size_t MappedFile::ReadStart(unsigned char* out, std::size_t n) {
    std::size_t done = 0;
    while (m_fd >= 0 && done < n) {
        const ssize_t got = ::pread(m_fd, out + done, n - done, static_cast<off_t>(done));
        if (got > 0) {
            done += static_cast<std::size_t>(got);
        } else if (got == 0 || errno != EINTR) {
            break;
        }
    }
    return done;
}

bool MappedFile::Map(std::string& error) {
    void* mapped = m_size == 0
                       ? MAP_FAILED
                       : mmap(nullptr, m_size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, m_fd, 0);
    if (mapped != MAP_FAILED) {
        m_guardSlot = Register(static_cast<const unsigned char*>(mapped), m_size);
        if (m_guardSlot >= 0) {
            m_data = static_cast<const unsigned char*>(mapped);
            m_damaged = &g_guard[m_guardSlot].damaged;
        } else {
            munmap(mapped, m_size);  // unguarded, a shrinking file could end the process
        }
    }
    const bool ok = m_data != nullptr || ReadPrivately(error);
    ::close(m_fd);
    m_fd = -1;
    if (!ok) {
        Close();
    }
    return ok;
}

bool MappedFile::ReadPrivately(std::string& error) {
    m_copy.reset(new (std::nothrow) unsigned char[m_size == 0 ? 1 : m_size]);
    if (m_copy == nullptr) {
        error = "not enough memory to read " + std::to_string(m_size) + " bytes";
        return false;
    }
    std::size_t done = 0;
    while (done < m_size) {
        const ssize_t got =
            ::pread(m_fd, m_copy.get() + done, m_size - done, static_cast<off_t>(done));
        if (got > 0) {
            done += static_cast<std::size_t>(got);
        } else if (got == 0) {
            error = "the file shrank while it was read";
            break;
        } else if (errno != EINTR) {
            error = SystemError("cannot read");
            break;
        }
    }
    if (done < m_size) {
        m_copy.reset();
        return false;
    }
    m_data = m_copy.get();
    return true;
}

void MappedFile::Close() {
    if (m_guardSlot >= 0) {
        g_guard[m_guardSlot].begin.store(0, std::memory_order_release);
        munmap(const_cast<unsigned char*>(m_data), m_size);
        m_guardSlot = -1;
        m_damaged = nullptr;
    }
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    m_copy.reset();
    m_data = nullptr;
    m_size = 0;
}

}  // namespace fendrel
