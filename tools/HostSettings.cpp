// The tool's one way to the host settings and the host log: the options become settings of the
// host services stand-in, which the library then reads as it reads a host's.
#include "HostSettings.h"

#include <corvel/CorvelControl.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "textstore/FileSet.h"

namespace {

constexpr char kSettingsVariable[] = "CORVEL_SETTINGS";

bool Readable(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error) &&
           static_cast<bool>(std::ifstream(path, std::ios::binary));
}

}  // namespace

void RouteHostLog(bool verbose) {
    if (verbose) {
        corvel::SetLogSink([](const std::string& line) { std::cerr << line << "\n"; });
    } else {
        corvel::SetLogSink([](const std::string&) {});
    }
}

bool ApplySettings(const SelectionOptions& options, std::string& error) {
    if (!options.m_settings.empty()) {
        if (!Readable(options.m_settings)) {
            error = "cannot read the settings file " + options.m_settings;
            return false;
        }
        setenv(kSettingsVariable, options.m_settings.c_str(), 1);
    }
    // Every selection states its settings in full, so that a second one (diff) starts clean.
    corvel::ClearSettings();
    const auto apply = [](const HostSetting& setting, const std::optional<std::string>& value) {
        if (value) {
            corvel::SetSetting(setting.m_section, setting.m_key, *value);
        }
    };
    apply(FileSet::kShippedRoot, options.m_root);
    apply(FileSet::kResourceName, options.m_name);
    apply(FileSet::kUserDefinedRoot, options.m_userRoot);
    apply(FileSet::kProductRule, options.m_productRule);
    if (options.m_store) {
        apply(FileSet::kUseTextStore, *options.m_store == "text" ? "true" : "false");
    }
    return true;
}

SettingsFileScope::SettingsFileScope() {
    if (const char* file = std::getenv(kSettingsVariable)) {
        m_saved = file;
    }
}

SettingsFileScope::~SettingsFileScope() {
    if (m_saved) {
        setenv(kSettingsVariable, m_saved->c_str(), 1);
    } else {
        unsetenv(kSettingsVariable);
    }
}
