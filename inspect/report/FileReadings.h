// The reading list of a selection, as `quendel files` shows it: every file the store reads or
// looks for, in the order it reads them, with what became of each and the entries of those read.
// It is the list itself, where explain and dump show only what it yielded.
#ifndef QUENDEL_INSPECT_REPORT_FILEREADINGS_H
#define QUENDEL_INSPECT_REPORT_FILEREADINGS_H

#include <string>
#include <vector>

#include "inspect/selection/Selection.h"

std::vector<FileReading> ReadingList(const Selection& selection);

// "read", "missing", "unreadable", "not regular", "redirected".
const char* FileStateName(FileState state);

#endif
