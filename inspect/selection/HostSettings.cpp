// The inspection library's one way to the host settings and the host log: the options become
// the settings of the host services stand-in, handed in whole for each selection, which the
// library then reads as it reads a host's.
#include "inspect/selection/HostSettings.h"

#include <corvel/CorvelControl.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "fileset/FileSet.h"

namespace {

// The settings that name directories; a relative one is relative to the file that says it.
constexpr const HostSetting* kPathSettings[] = {&FileSet::kShippedRoot, &FileSet::kUserDefinedRoot};

// The settings file of the options: --settings, else the file the environment names.
std::string SettingsFile(const SelectionOptions& options, std::string& named) {
    if (!options.m_settings.empty()) {
        named = "";
        return options.m_settings;
    }
    const char* environment = std::getenv("CORVEL_SETTINGS");
    named = " (named by CORVEL_SETTINGS)";
    return environment != nullptr ? environment : "";
}

}  // namespace

void RouteHostLog(bool verbose) {
    if (verbose) {
        corvel::SetLogSink([](const std::string& line) { std::cerr << line << "\n"; });
    } else {
        corvel::SetLogSink([](const std::string&) {});
    }
}

std::string ResolveAgainst(const std::string& settingsFile, const std::string& value) {
    const std::filesystem::path path(value);
    const std::filesystem::path dir = std::filesystem::path(settingsFile).parent_path();
    if (value.empty() || path.is_absolute() || dir.empty()) {
        return value;
    }
    return (dir / path).generic_string();
}

bool ApplySettings(const SelectionOptions& options, std::string& error, std::string* errorPath) {
    // Every selection states its settings in full, so that none depends on an earlier one.
    corvel::Settings settings;
    std::string named;
    const std::string file = SettingsFile(options, named);
    if (!file.empty()) {
        corvel::SettingsValues values;
        std::string reason;
        if (!corvel::ReadSettingsFile(file, values, reason)) {
            error = "cannot read the settings file " + file + named + ": " + reason;
            if (errorPath != nullptr) {
                *errorPath = file;
            }
            return false;
        }
        settings.m_file = file;
        for (const HostSetting* setting : kPathSettings) {
            const auto it = values.find({setting->m_section, setting->m_key});
            if (it != values.end()) {
                settings.m_values[it->first] = ResolveAgainst(file, it->second);
            }
        }
    }
    const auto apply = [&settings](const HostSetting& setting,
                                   const std::optional<std::string>& value) {
        if (value) {
            settings.m_values[{setting.m_section, setting.m_key}] = *value;
        }
    };
    apply(FileSet::kShippedRoot, options.m_root);
    apply(FileSet::kResourceName, options.m_name);
    apply(FileSet::kUserDefinedRoot, options.m_userRoot);
    apply(FileSet::kProductRule, options.m_productRule);
    if (options.m_store) {
        apply(FileSet::kUseTextStore, *options.m_store == "text" ? "true" : "false");
    }
    corvel::UseSettings(settings);
    return true;
}
