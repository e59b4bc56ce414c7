// Shared by the parser tests: an owned parser object and resource files built in memory.
#ifndef QUENDEL_TESTS_FENDRELSAMPLES_H
#define QUENDEL_TESTS_FENDRELSAMPLES_H

#include <fendrel/ResourceWriter.h>
#include <gtest/gtest.h>

#include <string>

#include "Fendrel.h"
#include "TestSupport.h"

// The parser object for one test, released through deletHandle.
class ParserHandle {
  public:
    ParserHandle() : m_parser(Fendrel::getHandle()) {}
    ~ParserHandle() { Fendrel::deletHandle(m_parser); }
    ParserHandle(const ParserHandle&) = delete;
    ParserHandle& operator=(const ParserHandle&) = delete;

    Fendrel* operator->() const { return m_parser; }
    // Writes image into dir and opens it.
    bool Open(const TempDir& dir, const std::string& image) {
        return m_parser->OpenFile(dir.Write("resource.bin", image));
    }

  private:
    Fendrel* m_parser;
};

inline std::string BuildImage(const fendrel::ResourceWriter& writer) {
    std::string image;
    std::string error;
    EXPECT_TRUE(writer.Build(image, error)) << error;
    return image;
}

// The byte of a resource file at offset, for reading or patching its fields.
inline unsigned char* Byte(std::string& image, std::size_t offset) {
    return reinterpret_cast<unsigned char*>(&image[offset]);
}

inline std::vector<uint64_t> Words(const fendrel::KeyWords& key) {
    return {key.begin(), key.end()};
}

#endif
