// One entry of one file in a resource file, as the writer takes it and the reader gives it back.
#ifndef FENDREL_RESOURCEENTRY_H
#define FENDREL_RESOURCEENTRY_H

#include <string>

namespace fendrel {

struct ResourceEntry {
    std::string section;
    std::string key;
    std::string value;
};

}  // namespace fendrel

#endif
