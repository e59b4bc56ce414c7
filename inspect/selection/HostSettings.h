// The host settings the options stand for, and where the host log goes. The only file of the
// inspection library that talks to the host services stand-in directly.
#ifndef QUENDEL_INSPECT_SELECTION_HOSTSETTINGS_H
#define QUENDEL_INSPECT_SELECTION_HOSTSETTINGS_H

#include <string>

#include "inspect/selection/Selection.h"

// Hands the host services the settings of the options, in full: the settings file (without one,
// the file the environment names, as for any host started by hand), then each option given.
// False with a message when the settings file cannot be read.
bool ApplySettings(const SelectionOptions& options, std::string& error);

// Sends host log lines to standard error (verbose) or keeps them out of the output.
void RouteHostLog(bool verbose);

#endif
