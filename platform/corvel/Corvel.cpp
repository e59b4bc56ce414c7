// Stand-in for the host services library. Settings come from the INI file handed in by the host
// or else named by CORVEL_SETTINGS (read afresh at every call) with in-memory overrides; log lines
// go to the file named by CORVEL_LOG, to standard error, or to an installed sink.
#include "Corvel.h"

#include <corvel/CorvelControl.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <mutex>
#include <optional>
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

// Looks the setting up in the settings file; the last assignment in a section wins.
std::optional<std::string> ReadFromFile(const std::string& path, const std::string& section,
                                        const std::string& key) {
    if (path.empty()) {
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::optional<std::string> found;
    std::string current;
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
        if (eq == std::string::npos || current != section) {
            continue;
        }
        if (Trimmed(text.substr(0, eq)) == key) {
            found = Trimmed(text.substr(eq + 1));
        }
    }
    return found;
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
