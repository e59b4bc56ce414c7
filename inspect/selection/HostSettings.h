// The host settings the options stand for, and where the host log goes. The only file of the
// inspection library that talks to the host services stand-in directly.
#ifndef QUENDEL_INSPECT_SELECTION_HOSTSETTINGS_H
#define QUENDEL_INSPECT_SELECTION_HOSTSETTINGS_H

#include <string>

#include "inspect/selection/Selection.h"

// Hands the host services the settings of the options, in full: the settings file (without one,
// the file the environment names, as for any host started by hand), then each option given.
// The directories the file names (ShippedRoot, SystemHQUserDefinedRoot) are relative to the
// file's own directory when they are relative. False with a message, and the file in errorPath,
// when the settings file cannot be read.
bool ApplySettings(const SelectionOptions& options, std::string& error,
                   std::string* errorPath = nullptr);

// value, a path a settings file names, taken relative to that file's directory; absolute or
// empty values as they are.
std::string ResolveAgainst(const std::string& settingsFile, const std::string& value);

// Sends host log lines to standard error (verbose) or keeps them out of the output.
void RouteHostLog(bool verbose);

#endif
