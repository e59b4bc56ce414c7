#include "FdStreams.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

FdByteSource::FdByteSource(int fd) : m_fd(fd) {
    if (::pipe2(m_wake, O_CLOEXEC) != 0) {
        throw std::system_error(errno, std::generic_category(), "cannot make a pipe");
    }
}

FdByteSource::~FdByteSource() {
    ::close(m_wake[0]);
    ::close(m_wake[1]);
}

size_t FdByteSource::Read(char* buffer, size_t size, std::string& error) {
    while (!m_interrupted.load()) {
        pollfd fds[2] = {{m_fd, POLLIN, 0}, {m_wake[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            error = std::strerror(errno);
            return 0;
        }
        if (fds[1].revents != 0) {
            return 0;
        }
        const ssize_t got = ::read(m_fd, buffer, size);
        if (got >= 0) {
            return static_cast<size_t>(got);
        }
        if (errno != EINTR && errno != EAGAIN) {
            error = std::strerror(errno);
            return 0;
        }
    }
    return 0;
}

void FdByteSource::Interrupt() {
    m_interrupted.store(true);
    const char byte = 0;
    // A pipe that is full already wakes every poll, so a failed write changes nothing.
    (void)!::write(m_wake[1], &byte, 1);
}

std::streamsize FdStreamBuf::xsputn(const char* data, std::streamsize size) {
    std::streamsize written = 0;
    while (written < size) {
        const ssize_t n = ::write(m_fd, data + written, static_cast<size_t>(size - written));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        written += n;
    }
    return written;
}

FdStreamBuf::int_type FdStreamBuf::overflow(int_type c) {
    if (traits_type::eq_int_type(c, traits_type::eof())) {
        return traits_type::not_eof(c);
    }
    const char byte = traits_type::to_char_type(c);
    return xsputn(&byte, 1) == 1 ? c : traits_type::eof();
}
