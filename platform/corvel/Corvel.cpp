// Stand-in for the host services library. Settings come from the INI file handed in by the host
// or else named by CORVEL_SETTINGS (read afresh at every call) with in-memory overrides; log lines
// go to the file named by CORVEL_LOG, to standard error, or to an installed sink.
#include "Corvel.h"

#include <corvel/CorvelControl.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <sstream>
#include <utility>

namespace {

using SettingKey = std::pair<std::string, std::string>;

std::mutex g_settingsMutex;
std::map<SettingKey, std::string> g_overrides;
std::optional<std::string> g_settingsFile;  // none: the file CORVEL_SETTINGS names

std::mutex g_logMutex;
corvel::LogSink g_sink;

const char* const kBlanks = " \t\r";

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string::npos) {
        return std::string();
    }
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// The bytes of a regular file, opened without blocking so that a FIFO in its place cannot hang
// the host, and checked on the descriptor itself; false with the reason otherwise.
bool ReadRegularFile(const std::string& path, std::string& bytes, std::string& error) {
    const int opened = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    // A socket cannot be opened for reading; a descriptor of the path alone says what it is.
    const int fd =
        opened >= 0 || errno != ENXIO ? opened : ::open(path.c_str(), O_PATH | O_CLOEXEC);
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    struct stat info {};
    bool ok = ::fstat(fd, &info) == 0;
    if (!ok) {
        error = std::strerror(errno);
    } else if (!S_ISREG(info.st_mode)) {
        ok = false;
        error = S_ISDIR(info.st_mode)    ? "a directory, not a regular file"
                : S_ISFIFO(info.st_mode) ? "a FIFO, not a regular file"
                : S_ISSOCK(info.st_mode) ? "a socket, not a regular file"
                                         : "a device, not a regular file";
    }
    char buffer[4096];
    if (ok && opened < 0) {
        ok = false;
        error = std::strerror(ENXIO);
    }
    while (ok) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got > 0) {
            bytes.append(buffer, static_cast<size_t>(got));
        } else if (got == 0) {
            break;
        } else if (errno != EINTR) {
            error = std::strerror(errno);
            ok = false;
        }
    }
    ::close(fd);
    return ok;
}

}  // namespace

namespace corvel {

bool ReadSettingsFile(const std::string& path, SettingsValues& values, std::string& error) {
    values.clear();
    std::string bytes;
    if (path.empty() || path.find('\0') != std::string::npos) {
        error = std::strerror(ENOENT);
        return false;
    }
    if (!ReadRegularFile(path, bytes, error)) {
        return false;
    }
    std::string current;
    std::istringstream in(bytes);
    std::string line;
    while (std::getline(in, line)) {
        const std::string text = Trimmed(line);
        if (text.empty() || text[0] == '#' || text[0] == ';') {
            continue;
        }
        if (text[0] == '[') {
            const size_t close = text.find(']');
            current =
                Trimmed(text.substr(1, close == std::string::npos ? std::string::npos : close - 1));
            continue;
        }
        const size_t eq = text.find('=');
        if (eq != std::string::npos) {
            // The last assignment in a section wins.
            values[{current, Trimmed(text.substr(0, eq))}] = Trimmed(text.substr(eq + 1));
        }
    }
    return true;
}

}  // namespace corvel

namespace {

// Looks the setting up in the settings file.
std::optional<std::string> ReadFromFile(const std::string& path, const std::string& section,
                                        const std::string& key) {
    corvel::SettingsValues values;
    std::string error;
    if (path.empty() || !corvel::ReadSettingsFile(path, values, error)) {
        return std::nullopt;
    }
    const auto it = values.find({section, key});
    if (it == values.end()) {
        return std::nullopt;
    }
    return it->second;
}

std::optional<std::string> Lookup(const char* section, const char* key) {
    const std::string s = section != nullptr ? section : "";
    const std::string k = key != nullptr ? key : "";
    std::string file;
    {
        std::lock_guard<std::mutex> lock(g_settingsMutex);
        const auto it = g_overrides.find(SettingKey(s, k));
        if (it != g_overrides.end()) {
            return it->second;
        }
        if (g_settingsFile) {
            file = *g_settingsFile;
        } else if (const char* named = std::getenv("CORVEL_SETTINGS")) {
            file = named;
        }
    }
    return ReadFromFile(file, s, k);
}

std::string Format(const char* format, va_list args) {
    if (format == nullptr) {
        return std::string();
    }
    va_list copy;
    va_copy(copy, args);
    const int needed = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (needed <= 0) {
        return std::string();
    }
    std::string text(static_cast<size_t>(needed) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, args);
    text.resize(static_cast<size_t>(needed));
    return text;
}

// Keeps every message on one line without losing its text.
std::string OneLine(const std::string& message) {
    std::string out;
    out.reserve(message.size());
    for (const char c : message) {
        if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else {
            out += c;
        }
    }
    return out;
}

void Emit(const std::string& line) {
    std::lock_guard<std::mutex> lock(g_logMutex);
    if (g_sink) {
        g_sink(line);
        return;
    }
    const char* path = std::getenv("CORVEL_LOG");
    FILE* out = (path != nullptr && *path != '\0') ? std::fopen(path, "ab") : nullptr;
    FILE* target = out != nullptr ? out : stderr;
    std::fwrite(line.data(), 1, line.size(), target);
    std::fputc('\n', target);
    std::fflush(target);
    if (out != nullptr) {
        std::fclose(out);
    }
}

void EmitFormatted(const char* prefix, const char* category, const char* format, va_list args) {
    std::string line(prefix);
    line += " [";
    line += category != nullptr ? category : "";
    line += "] ";
    line += OneLine(Format(format, args));
    Emit(line);
}

}  // namespace

void LogInfo(const char* category, const char* format, ...) {
    va_list args;
    va_start(args, format);
    EmitFormatted("INFO", category, format, args);
    va_end(args);
}

void LogInfoIf(int flag, const char* category, const char* format, ...) {
    if (flag == 0) {
        return;
    }
    va_list args;
    va_start(args, format);
    EmitFormatted("INFO", category, format, args);
    va_end(args);
}

void LogError(const char* category, const char* format, ...) {
    va_list args;
    va_start(args, format);
    EmitFormatted("ERROR", category, format, args);
    va_end(args);
}

std::string ResourceMgr::GetValue(const char* section, const char* key, const char* defaultValue) {
    if (auto value = Lookup(section, key)) {
        return *value;
    }
    return defaultValue != nullptr ? defaultValue : "";
}

bool ResourceMgr::GetValue(const char* section, const char* key, bool defaultValue) {
    const auto value = Lookup(section, key);
    if (!value) {
        return defaultValue;
    }
    std::string word;
    for (const char c : *value) {
        word += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    if (word == "true" || word == "1" || word == "yes" || word == "on") {
        return true;
    }
    if (word == "false" || word == "0" || word == "no" || word == "off") {
        return false;
    }
    return defaultValue;
}

int ReportException(const std::string& message) {
    Emit("EXCEPTION " + OneLine(message));
    return 0;
}

namespace corvel {

void UseSettings(const Settings& settings) {
    std::lock_guard<std::mutex> lock(g_settingsMutex);
    g_settingsFile = settings.m_file;
    g_overrides = settings.m_values;
}

void SetSetting(const std::string& section, const std::string& key, const std::string& value) {
    std::lock_guard<std::mutex> lock(g_settingsMutex);
    g_overrides[SettingKey(section, key)] = value;
}

void RemoveSetting(const std::string& section, const std::string& key) {
    std::lock_guard<std::mutex> lock(g_settingsMutex);
    g_overrides.erase(SettingKey(section, key));
}

void ClearSettings() {
    std::lock_guard<std::mutex> lock(g_settingsMutex);
    g_overrides.clear();
}

void SetLogSink(LogSink sink) {
    std::lock_guard<std::mutex> lock(g_logMutex);
    g_sink = std::move(sink);
}

}  // namespace corvel
