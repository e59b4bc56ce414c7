#include "TestSupport.h"

#include <corvel/CorvelControl.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <stdexcept>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

namespace fs = std::filesystem;

TempDir::TempDir() {
    std::string pattern = (fs::temp_directory_path() / "quendel-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a temporary directory");
    }
    m_path = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::remove_all(m_path, ec);
}

std::string TempDir::Write(const std::string& relative, const std::string& content) const {
    const fs::path path = fs::path(m_path) / relative;
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    if (!out) {
        throw std::runtime_error("cannot write " + path.string());
    }
    return path.string();
}

namespace {
std::mutex g_captureMutex;
std::vector<std::string> g_captured;
}  // namespace

LogCapture::LogCapture() {
    Clear();
    corvel::SetLogSink([](const std::string& line) {
        std::lock_guard<std::mutex> lock(g_captureMutex);
        g_captured.push_back(line);
    });
}

LogCapture::~LogCapture() {
    corvel::SetLogSink(nullptr);
}

std::vector<std::string> LogCapture::Lines() const {
    std::lock_guard<std::mutex> lock(g_captureMutex);
    return g_captured;
}

void LogCapture::Clear() {
    std::lock_guard<std::mutex> lock(g_captureMutex);
    g_captured.clear();
}

int LogCapture::Count(const std::string& line) const {
    std::lock_guard<std::mutex> lock(g_captureMutex);
    return static_cast<int>(std::count(g_captured.begin(), g_captured.end(), line));
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::string ChainPath(size_t depth) {
    std::string path = "a";
    for (size_t i = 1; i < depth; ++i) {
        path += ":a";
    }
    return path;
}

std::string MakeNonRegular(const std::string& path, NonRegular kind) {
    fs::create_directories(fs::path(path).parent_path());
    if (kind == NonRegular::kDirectory) {
        fs::create_directory(path);
        return "a directory";
    }
    if (kind == NonRegular::kFifo) {
        if (::mkfifo(path.c_str(), 0600) != 0) {
            throw std::runtime_error("cannot make a FIFO at " + path);
        }
        return "a FIFO";
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0 || path.size() >= sizeof address.sun_path) {
        throw std::runtime_error("cannot make a socket at " + path);
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    if (!bound) {
        throw std::runtime_error("cannot bind a socket at " + path);
    }
    return "a socket";
}
