// Where the server's input bytes come from: standard input (FdByteSource) or, for tests and
// fuzzing, bytes held in memory.
#ifndef QUENDEL_LSP_BYTESOURCE_H
#define QUENDEL_LSP_BYTESOURCE_H

#include <cstddef>
#include <string>

class ByteSource {
  public:
    virtual ~ByteSource() = default;
    // Waits for input and reads at least one byte of it; 0 at its end, once Interrupt was
    // called, or on an error (error then says which).
    virtual size_t Read(char* buffer, size_t size, std::string& error) = 0;
    // Ends a Read that waits, and every later one; callable from another thread.
    virtual void Interrupt() = 0;
};

#endif
