// Reading a file's bytes and hashing them for change detection.
#include "textstore/FileBytes.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "TestSupport.h"

namespace {

// The hash read piece by piece equals the hash of the whole bytes at every size round the
// pieces' edges, and any changed byte changes it.
TEST(FileBytesTest, HashMatchesTheBytesAndSeesEveryChange) {
    TempDir dir;
    for (const size_t size : {0, 1, 7, 8, 31, 32, 33, 65535, 65536, 65537, 200000}) {
        std::string bytes(size, '\0');
        for (size_t i = 0; i < size; ++i) {
            bytes[i] = static_cast<char>((i * 131 + size) % 251);
        }
        const std::string path = dir.Write("f" + std::to_string(size), bytes);
        std::string read;
        size_t length = 0;
        size_t hash = 0;
        ASSERT_TRUE(ReadFileBytes(path, read) && HashFileBytes(path, length, hash)) << size;
        EXPECT_EQ(read, bytes);
        EXPECT_EQ(length, size);
        EXPECT_EQ(hash, HashBytes(bytes)) << size;
        for (const size_t at : {size_t{0}, size / 2, size - 1}) {
            if (at < size) {
                std::string changed = bytes;
                changed[at] = static_cast<char>(changed[at] ^ 1);
                EXPECT_NE(HashBytes(changed), hash) << size << " at " << at;
            }
        }
        EXPECT_NE(HashBytes(bytes + '\0'), hash) << size;
    }
}

// A missing file and a path that a NUL would cut short cannot be read; a FIFO, a socket and a
// directory are refused at once, by what they are, without waiting for a writer.
TEST(FileBytesTest, OnlyRegularFilesAreRead) {
    TempDir dir;
    std::vector<std::pair<std::string, std::string>> cases = {
        {dir.Path() + "/missing", "missing"}, {dir.Path() + '\0' + "/f0", "missing"}};
    for (const NonRegular kind : kNonRegular) {
        const std::string path = dir.Path() + "/special" + std::to_string(cases.size());
        cases.emplace_back(path, "not a regular file (" + MakeNonRegular(path, kind) + ")");
    }
    for (const auto& [path, problem] : cases) {
        std::string read;
        size_t length = 0;
        size_t hash = 0;
        FileProblem told;
        FileProblem hashed;
        EXPECT_FALSE(ReadFileBytes(path, read, &told)) << path;
        EXPECT_FALSE(HashFileBytes(path, length, hash, &hashed)) << path;
        EXPECT_EQ(DescribeProblem(told), problem);
        EXPECT_EQ(DescribeProblem(hashed), problem);
    }
}

}  // namespace
