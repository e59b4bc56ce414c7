// The host settings the tool's options stand for, and where the host log goes. The only file of
// the tool that talks to the host services stand-in directly.
#ifndef QUENDEL_TOOLS_HOSTSETTINGS_H
#define QUENDEL_TOOLS_HOSTSETTINGS_H

#include <string>

#include "Selection.h"

// Makes the options the host settings that the library reads (the settings file, then each
// option given); false with a message when the settings file cannot be read.
bool ApplySettings(const SelectionOptions& options, std::string& error);

// Sends host log lines to standard error (verbose) or keeps them out of the output.
void RouteHostLog(bool verbose);

#endif
