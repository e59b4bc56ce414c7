// Section paths: names joined by ":" ("Display:Zoom"). One splitter for every reader of a path,
// each of which says what an empty part between two ":" means to it.
#ifndef QUENDEL_RESOURCE_SECTIONPATH_H
#define QUENDEL_RESOURCE_SECTIONPATH_H

#include <string_view>

enum class EmptyParts {
    // Every part counts, the empty ones too: "A::B" is "A", "", "B" and "" is one empty part.
    // A lookup of an exact path, where an empty part names nothing.
    kKeep,
    // Empty parts are left out: runs of ":" act as one, ":" at either end adds nothing, and a
    // path of colons alone has no part. How tags and the facade read a path.
    kSkip,
};

// Calls visit(std::string_view part) for each part of path, left to right, while it returns
// true; false when visit stopped the walk. Views point into path; nothing is allocated.
template <class Visit>
bool ForEachSectionPart(std::string_view path, EmptyParts empty, Visit&& visit) {
    while (true) {
        const size_t colon = path.find(':');
        const std::string_view part = path.substr(0, colon);
        if ((empty == EmptyParts::kKeep || !part.empty()) && !visit(part)) {
            return false;
        }
        if (colon == std::string_view::npos) {
            return true;
        }
        path.remove_prefix(colon + 1);
    }
}

#endif
