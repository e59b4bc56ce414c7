// The host settings the tool's options stand for, and where the host log goes. The only file of
// the tool that talks to the host services stand-in directly.
#ifndef QUENDEL_TOOLS_HOSTSETTINGS_H
#define QUENDEL_TOOLS_HOSTSETTINGS_H

#include <optional>
#include <string>

#include "Selection.h"

// Makes the options the host settings that the library reads (the settings file, then each
// option given); false with a message when the settings file cannot be read.
bool ApplySettings(const SelectionOptions& options, std::string& error);

// Sends host log lines to standard error (verbose) or keeps them out of the output.
void RouteHostLog(bool verbose);

// Puts the settings file of the process's environment back as it was when the scope ends, for a
// process that makes many selections (the Python module): the file of one selection reaches
// neither the next one nor a child process. Host settings are read only while a store is built
// or re-selected, and while a tree is located.
class SettingsFileScope {
  public:
    SettingsFileScope();
    ~SettingsFileScope();
    SettingsFileScope(const SettingsFileScope&) = delete;
    SettingsFileScope& operator=(const SettingsFileScope&) = delete;

  private:
    std::optional<std::string> m_saved;
};

#endif
