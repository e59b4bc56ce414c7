// Helpers shared by the tests: temporary trees and captured host log lines.
#ifndef QUENDEL_TESTS_TESTSUPPORT_H
#define QUENDEL_TESTS_TESTSUPPORT_H

#include <cstddef>
#include <string>
#include <vector>

// A fresh directory under the system's temporary directory, removed with its contents.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return m_path; }
    // Writes content to Path()/relative, creating the directories on the way; returns the path.
    std::string Write(const std::string& relative, const std::string& content) const;

  private:
    std::string m_path;
};

// Collects the host log lines written while it lives ("INFO [Cat] message", ...).
class LogCapture {
  public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    std::vector<std::string> Lines() const;
    void Clear();
    // How many lines equal line exactly.
    int Count(const std::string& line) const;
};

std::string ReadWholeFile(const std::string& path);

// A section path of depth levels, "a:a:...:a".
std::string ChainPath(size_t depth);

#endif
