#include "inspect/report/FileReadings.h"

std::vector<FileReading> ReadingList(const Selection& selection) {
    return selection.Provenance().GetReadings(true);
}

const char* FileStateName(FileState state) {
    switch (state) {
        case FileState::kRead:
            return "read";
        case FileState::kMissing:
            return "missing";
        case FileState::kUnreadable:
            return "unreadable";
        case FileState::kNotRegular:
            return "not regular";
        case FileState::kRedirected:
            break;
    }
    return "redirected";
}
