#include "resource/StringOps.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

bool TrimChars(const char* set, std::string& text) {
    const size_t first = text.find_first_not_of(set);
    if (first == std::string::npos) {
        text.clear();
        return true;
    }
    const size_t last = text.find_last_not_of(set);
    text.erase(last + 1);
    text.erase(0, first);
    return true;
}

bool ReplaceAll(const std::string& find, const std::string& replacement, std::string& text) {
    if (find.empty()) {
        return true;
    }
    size_t pos = text.find(find);
    if (pos == std::string::npos) {
        return true;
    }
    if (find.size() == 1 && replacement.size() == 1) {
        std::replace(text.begin() + static_cast<std::ptrdiff_t>(pos), text.end(), find[0],
                     replacement[0]);
        return true;
    }
    // One pass over the original text: continuing after each match is the same as searching
    // on from just after the inserted replacement.
    std::string out;
    out.reserve(text.size());
    size_t start = 0;
    while (pos != std::string::npos) {
        out.append(text, start, pos - start);
        out += replacement;
        start = pos + find.size();
        pos = text.find(find, start);
    }
    out.append(text, start, std::string::npos);
    text.swap(out);
    return true;
}

namespace {
void EraseOnce(const std::string& erase, std::string& text) {
    if (erase.size() == 1) {
        text.erase(std::remove(text.begin(), text.end(), erase[0]), text.end());
        return;
    }
    // Searching again from the position of the erased match equals one pass over the original.
    size_t pos = text.find(erase);
    if (pos == std::string::npos) {
        return;
    }
    // Compact in place: the write position never passes the read position.
    size_t out = pos;
    size_t start = pos + erase.size();
    while (true) {
        pos = text.find(erase, start);
        const size_t end = pos == std::string::npos ? text.size() : pos;
        std::copy(text.begin() + static_cast<std::ptrdiff_t>(start),
                  text.begin() + static_cast<std::ptrdiff_t>(end),
                  text.begin() + static_cast<std::ptrdiff_t>(out));
        out += end - start;
        if (pos == std::string::npos) {
            break;
        }
        start = pos + erase.size();
    }
    text.resize(out);
}
}  // namespace

bool EraseAll(const std::string& erase, std::string& text) {
    if (erase.empty()) {
        return true;
    }
    if (erase == " ") {
        text.erase(
            std::remove_if(text.begin(), text.end(), [](char c) { return c == ' ' || c == '\t'; }),
            text.end());
        return true;
    }
    EraseOnce(erase, text);
    return true;
}

bool HasBlankByte(std::string_view s) {
    return std::any_of(s.begin(), s.end(), [](char c) { return c == ' ' || c == '\t'; });
}

const std::string& WithoutBlanks(const std::string& name, std::string& buffer) {
    buffer = name;
    EraseAll(" ", buffer);
    return buffer;
}

int CountChar(const std::string& text, char c) {
    return static_cast<int>(std::count(text.begin(), text.end(), c));
}

std::vector<std::string> Tokenize(const std::string& text, const std::string& delimiters) {
    std::vector<std::string> tokens;
    ForEachToken(text, delimiters, [&tokens](std::string_view token) {
        tokens.emplace_back(token);
        return true;
    });
    return tokens;
}

bool IsNumber(std::string_view text) {
    int plus = 0;
    int minus = 0;
    int points = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            continue;
        }
        if (c == '+' || c == '-') {
            int& seen = c == '+' ? plus : minus;
            if (++seen > 1 || i != 0) {
                return false;
            }
        } else if (c == '.') {
            if (++points > 1) {
                return false;
            }
        } else {
            return false;
        }
    }
    // A lone sign or a lone point is not a number.
    return !(text.size() == 1 && (plus || minus || points));
}
