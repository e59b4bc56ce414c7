// The server's byte streams on file descriptors. FdByteSource waits in poll(2) on its
// descriptor and on a pipe of its own, so that Interrupt can end the wait from another thread
// (the reader thread waits on standard input when the client says "exit"). FdStreamBuf writes
// what it is given at once, every byte or a failed stream.
#ifndef QUENDEL_LSP_FDSTREAMS_H
#define QUENDEL_LSP_FDSTREAMS_H

#include <atomic>
#include <streambuf>

#include "ByteSource.h"

class FdByteSource : public ByteSource {
  public:
    // Throws std::system_error when the wake-up pipe cannot be made.
    explicit FdByteSource(int fd);
    ~FdByteSource() override;
    FdByteSource(const FdByteSource&) = delete;
    FdByteSource& operator=(const FdByteSource&) = delete;

    size_t Read(char* buffer, size_t size, std::string& error) override;
    void Interrupt() override;

  private:
    int m_fd;
    int m_wake[2] = {-1, -1};
    std::atomic<bool> m_interrupted{false};
};

class FdStreamBuf : public std::streambuf {
  public:
    explicit FdStreamBuf(int fd) : m_fd(fd) {}

  protected:
    std::streamsize xsputn(const char* data, std::streamsize size) override;
    int_type overflow(int_type c) override;

  private:
    int m_fd;
};

#endif
