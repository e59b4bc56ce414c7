// Control API of the host services stand-in: settings in memory and a log sink.
// Hosts, the command-line tool and the tests use it; the library itself never does.
#ifndef CORVEL_CONTROL_H
#define CORVEL_CONTROL_H

#include <functional>
#include <string>

#define CORVEL_CONTROL_API __attribute__((visibility("default")))

namespace corvel {

// Settings set here override those of the file named by CORVEL_SETTINGS.
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
