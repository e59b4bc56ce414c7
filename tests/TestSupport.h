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

// What may stand at a parameter path instead of a file; each is refused without blocking.
enum class NonRegular { kFifo, kSocket, kDirectory };
inline constexpr NonRegular kNonRegular[] = {NonRegular::kFifo, NonRegular::kSocket,
                                             NonRegular::kDirectory};
// Makes one at path (its directory created) and returns what it is called: "a FIFO", ...
std::string MakeNonRegular(const std::string& path, NonRegular kind);

// A section path of depth levels, "a:a:...:a".
std::string ChainPath(size_t depth);

#endif
