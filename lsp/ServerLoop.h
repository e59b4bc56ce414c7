// Runs the server until "exit" or the end of the input. A thread reads and frames the input
// while the calling thread handles whatever has arrived, a batch at a time: a cancellation can
// so reach a request that still waits, and a burst of edits is checked once.
#ifndef QUENDEL_LSP_SERVERLOOP_H
#define QUENDEL_LSP_SERVERLOOP_H

#include <ostream>

#include "ByteSource.h"
#include "ServerLog.h"

// The exit status: 0 after shutdown and exit, 1 otherwise.
int RunLanguageServer(ByteSource& input, std::ostream& output, ServerLog& log);

// The server on standard input and output. Standard output is kept for the protocol alone:
// whatever else writes to it (the library's int-cast warning) goes to standard error.
int RunLanguageServerOnStdio();

#endif
