// The bytes of one file, read-only: mapped, under a guard that turns the file shrinking under
// the mapping into zero pages and a damaged mark instead of a SIGBUS that ends the process.
// When the guard has no room left the file is read into private memory instead.
#ifndef FENDREL_MAPPEDFILE_H
#define FENDREL_MAPPEDFILE_H

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace fendrel {

class MappedFile {
  public:
    MappedFile() = default;
    ~MappedFile() { Close(); }
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    // Opens a regular file of at most maxSize bytes; false with the reason otherwise. Opening
    // without blocking keeps a FIFO from hanging the caller.
    bool Open(const std::string& path, uint64_t maxSize, std::string& error);
    std::size_t Size() const { return m_size; }
    // Reads up to n bytes from the start of the opened file, before anything is mapped; the
    // number read.
    std::size_t ReadStart(unsigned char* out, std::size_t n);
    // Maps the whole opened file (at least one byte). The descriptor is closed either way.
    bool Map(std::string& error);
    const unsigned char* Data() const { return m_data; }
    // True once a read of the mapping faulted because the file no longer covers it; the
    // mapping then reads as zeros.
    bool Damaged() const {
        return m_damaged != nullptr && m_damaged->load(std::memory_order_acquire);
    }
    void Close();

  private:
    bool ReadPrivately(std::string& error);

    int m_fd = -1;
    std::size_t m_size = 0;
    const unsigned char* m_data = nullptr;
    int m_guardSlot = -1;                          // mapped and guarded; -1 when read or not open
    const std::atomic<bool>* m_damaged = nullptr;  // the guard's mark for this mapping
    std::unique_ptr<unsigned char[]> m_copy;       // the bytes when read privately
};

}  // namespace fendrel

#endif
