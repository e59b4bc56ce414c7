// The string rules of value text restated as plainly as they read, on whole strings and without
// the library's shortcuts: the fuzz targets compare the library against them.
#ifndef QUENDEL_FUZZ_REFERENCERULES_H
#define QUENDEL_FUZZ_REFERENCERULES_H

#include <algorithm>
#include <string>
#include <vector>

namespace reference {

inline bool IsNumber(const std::string& text) {
    if (text.find_first_not_of("1234567890.-+") != std::string::npos) {
        return false;
    }
    for (const char sign : {'+', '-'}) {
        const auto count = std::count(text.begin(), text.end(), sign);
        if (count > 1 || (count == 1 && (text[0] != sign || text.size() == 1))) {
            return false;
        }
    }
    return std::count(text.begin(), text.end(), '.') <= 1 && text != ".";
}

inline std::vector<std::string> Tokenize(const std::string& text, const std::string& delimiters) {
    std::string copy = text;
    std::replace(copy.begin(), copy.end(), '\t', ' ');
    std::vector<std::string> tokens;
    const std::string skip = delimiters + '"';
    size_t pos = 0;
    while (true) {
        const size_t start = copy.find_first_not_of(skip, pos);
        if (start == std::string::npos) {
            return tokens;
        }
        size_t end = 0;
        if (start > 0 && copy[start - 1] == '"') {
            end = copy.find('"', start);
        } else {
            end = copy.find_first_of(delimiters, start);
        }
        if (end == std::string::npos) {
            end = copy.size();
        }
        tokens.push_back(copy.substr(start, end - start));
        pos = end;
    }
}

inline void Trim(const std::string& set, std::string& text) {
    const size_t first = text.find_first_not_of(set);
    if (first == std::string::npos) {
        text.clear();
        return;
    }
    const size_t last = text.find_last_not_of(set);
    text = text.substr(first, last - first + 1);
}

inline std::string Trimmed(const std::string& set, std::string text) {
    Trim(set, text);
    return text;
}

inline void ReplaceAll(const std::string& find, const std::string& replacement, std::string& text) {
    for (size_t pos = text.find(find); pos != std::string::npos;
         pos = text.find(find, pos + replacement.size())) {
        text.replace(pos, find.size(), replacement);
    }
}

inline void EraseAll(const std::string& erase, std::string& text) {
    for (size_t pos = text.find(erase); pos != std::string::npos; pos = text.find(erase, pos)) {
        text.erase(pos, erase.size());
    }
    if (erase == " ") {
        EraseAll("\t", text);
    }
}

inline std::string Erased(const std::string& erase, std::string text) {
    EraseAll(erase, text);
    return text;
}

}  // namespace reference

#endif
