// Where the text store's values come from: the loaded files in their order of precedence and
// the file and line behind each entry. Computed on request; lookups never pay for it.
#ifndef QUENDEL_TEXTSTORE_VALUEORIGIN_H
#define QUENDEL_TEXTSTORE_VALUEORIGIN_H

#include <cstddef>
#include <functional>
#include <map>
#include <string>

// One loaded file that takes part in the merge. Names: "user-defined", "clinical",
// "clinical base", "group clinical", "transducer", "group", "base", then the listed files by
// the entry of the file configuration that named them ("File0", "File1", ...).
struct LayerInfo {
    std::string m_name;
    std::string m_path;
};

// One file's value of one entry.
struct ValueOrigin {
    std::string m_layer;  // LayerInfo::m_name
    std::string m_path;   // the file
    size_t m_line = 0;    // line of the file, 1 for the first
    std::string m_value;
};

// Section path to key to the origin of the value a lookup returns.
using OriginTable =
    std::map<std::string, std::map<std::string, ValueOrigin, std::less<>>, std::less<>>;

#endif
