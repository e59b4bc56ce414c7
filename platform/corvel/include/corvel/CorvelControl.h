// Control API of the host services stand-in: settings in memory and a log sink.
// Hosts, the command-line tool and the tests use it; the library itself never does.
#ifndef CORVEL_CONTROL_H
#define CORVEL_CONTROL_H

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>

#define CORVEL_CONTROL_API __attribute__((visibility("default")))

namespace corvel {

// Settings by (section, key).
using SettingsValues = std::map<std::pair<std::string, std::string>, std::string>;

// Every setting of an INI file as the host services read it ("[Section]", "Key = value", "#"
// and ";" comment lines; the last assignment of a key in a section wins). False with the reason
// when it cannot be read: missing, unreadable, or not a regular file (never waited on).
CORVEL_CONTROL_API bool ReadSettingsFile(const std::string& path, SettingsValues& values,
                                         std::string& error);

// Every setting the host services answer with: an INI file, read afresh at every lookup, and
// values that override it. A host hands its settings in here, in one step; until it does, the
// file named by the environment variable CORVEL_SETTINGS is read, as for a host started by hand.
struct Settings {
    std::optional<std::string> m_file;  // none: the file CORVEL_SETTINGS names, if any
    SettingsValues m_values;            // (section, key)
};
CORVEL_CONTROL_API void UseSettings(const Settings& settings);

// Single values over the settings in use (kept until the next UseSettings or ClearSettings).
CORVEL_CONTROL_API void SetSetting(const std::string& section, const std::string& key,
                                   const std::string& value);
CORVEL_CONTROL_API void RemoveSetting(const std::string& section, const std::string& key);
CORVEL_CONTROL_API void ClearSettings();

// Receives every log line (without its line end) instead of the log file or standard error.
// An empty function restores the default destination.
using LogSink = std::function<void(const std::string& line)>;
CORVEL_CONTROL_API void SetLogSink(LogSink sink);

}  // namespace corvel

#endif
