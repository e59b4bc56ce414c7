// The inspection library's one way to the host settings and the host log: the options become
// the settings of the host services stand-in, handed in whole for each selection, which the
// library then reads as it reads a host's.
#include "inspect/selection/HostSettings.h"

#include <corvel/CorvelControl.h>

#include <filesystem>
#include <fstream>
#include <iostream>

#include "fileset/FileSet.h"

namespace {

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
    // Every selection states its settings in full, so that none depends on an earlier one.
    corvel::Settings settings;
    if (!options.m_settings.empty()) {
        if (!Readable(options.m_settings)) {
            error = "cannot read the settings file " + options.m_settings;
            return false;
        }
        settings.m_file = options.m_settings;
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
