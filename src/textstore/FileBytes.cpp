#include "textstore/FileBytes.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>
#include <vector>

namespace {

using File = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

// The file at path opened for reading bytes; null when it cannot be opened, or when path holds
// a NUL, which would silently shorten it to another file.
File OpenFile(const std::string& path) {
    if (path.find('\0') != std::string::npos) {
        return File(nullptr, &std::fclose);
    }
    return File(std::fopen(path.c_str(), "rb"), &std::fclose);
}

}  // namespace

// A read error keeps what was read before it; one before the first byte (a directory, say)
// counts as a file that cannot be read.
bool ReadFileBytes(const std::string& path, std::string& bytes) {
    const File file = OpenFile(path);
    if (!file) {
        return false;
    }
    // The size is only a hint (one read for a regular file); anything else is read in turns.
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    const size_t capacity = error ? size_t{1} << 16 : static_cast<size_t>(size) + 1;
    bytes.resize(capacity);
    size_t length = 0;
    while (true) {
        if (length == bytes.size()) {
            bytes.resize(bytes.size() * 2);
        }
        const size_t wanted = bytes.size() - length;
        const size_t got = std::fread(&bytes[length], 1, wanted, file.get());
        length += got;
        if (got < wanted) {
            if (std::ferror(file.get()) && length == 0) {
                return false;
            }
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
bool HashFileBytes(const std::string& path, size_t& size, size_t& hash) {
    const File file = OpenFile(path);
    if (!file) {
        return false;
    }
    const std::unique_ptr<char[]> buffer(new char[kHashPiece]);
    std::vector<size_t> pieces;
    size_t length = 0;
    while (true) {
        const size_t got = std::fread(buffer.get(), 1, kHashPiece, file.get());
        if (got > 0) {
            pieces.push_back(HashPiece(std::string_view(buffer.get(), got)));
        }
        length += got;
        if (got < kHashPiece) {
            if (std::ferror(file.get()) && length == 0) {
                return false;
            }
            break;
        }
    }
    // Pieces end where HashBytes cuts them only when every read but the last was whole, which
    // fread gives for a file; anything else just counts as changed.
    size_t combined = length;
    for (const size_t piece : pieces) {
        combined = (combined ^ piece) * 0x9e3779b97f4a7c15ULL;
    }
    size = length;
    hash = combined;
    return true;
}
