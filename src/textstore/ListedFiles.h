// The "File<i>" entries of a file configuration, which name the listed files. Both stores
// visit only the entries a configuration holds, in index order, instead of probing every
// index below "FileNumbers".
#ifndef QUENDEL_TEXTSTORE_LISTEDFILES_H
#define QUENDEL_TEXTSTORE_LISTEDFILES_H

#include <cstdint>
#include <string_view>

inline constexpr std::string_view kListedPrefix = "File";

// The index i of a key "File<i>" with i written as the decimal loop would write it (no sign,
// no leading zero), or -1 for any other key.
inline int64_t ListedIndex(std::string_view key) {
    if (key.substr(0, kListedPrefix.size()) != kListedPrefix) {
        return -1;
    }
    const std::string_view digits = key.substr(kListedPrefix.size());
    if (digits.empty() || digits.size() > 10 || (digits.size() > 1 && digits.front() == '0')) {
        return -1;
    }
    int64_t index = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') {
            return -1;
        }
        index = index * 10 + (c - '0');
    }
    return index;
}

#endif
