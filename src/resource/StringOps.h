// Small string operations shared by the conversions, the parser and the stores.
#ifndef QUENDEL_RESOURCE_STRINGOPS_H
#define QUENDEL_RESOURCE_STRINGOPS_H

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

// Keeps the stretch between the first and the last character not in set; always true.
bool TrimChars(const char* set, std::string& text);
// Replaces every occurrence of find; inserted text is never searched again. Always true.
bool ReplaceAll(const std::string& find, const std::string& replacement, std::string& text);
// Erases every occurrence of erase; erasing a single space erases every tab as well.
bool EraseAll(const std::string& erase, std::string& text);
// Whether s holds a space or a tab, which lookups remove from names.
inline bool HasBlank(std::string_view s);
// A copy of name without spaces and tabs.
const std::string& WithoutBlanks(const std::string& name, std::string& buffer);
// name without spaces and tabs, the form in which the stores compare names: name itself when it
// has none, else a copy in buffer.
inline const std::string& LookupName(const std::string& name, std::string& buffer) {
    return HasBlank(name) ? WithoutBlanks(name, buffer) : name;
}
int CountChar(const std::string& text, char c);
// Splits at runs of delimiters; a token opened right after a double quote runs to the next
// double quote and may hold delimiters. Tabs count as spaces.
std::vector<std::string> Tokenize(const std::string& text, const std::string& delimiters);
// Digits with at most one point and one leading sign; the empty text passes.
bool IsNumber(std::string_view text);

// The stretch of s between its first and its last character not in set, as TrimChars keeps it;
// empty when there is none.
inline std::string_view TrimView(std::string_view s, std::string_view set) {
    const size_t first = s.find_first_not_of(set);
    if (first == std::string_view::npos) {
        return {};
    }
    return s.substr(first, s.find_last_not_of(set) - first + 1);
}
inline std::string_view TrimBlanks(std::string_view s) {
    return TrimView(s, " \t");
}
// Nonzero when one of the eight bytes of word is below ' ' + 1, so possibly a space or a tab
// (the classic byte-below test, without false positives for the word as a whole). Words of
// names that have none are cleared with these three operations; the others are checked byte
// by byte.
inline uint64_t LowBytes(uint64_t word) {
    constexpr uint64_t kOnes = 0x0101010101010101ULL;
    return (word - kOnes * (' ' + 1)) & ~word & (kOnes * 0x80);
}
// The bytes of p[0, n), 0 < n <= 8, in one word; every byte of the word is one of them.
inline uint64_t ShortWord(const char* p, size_t n) {
    if (n >= 4) {
        uint32_t low = 0;
        uint32_t high = 0;
        std::memcpy(&low, p, 4);
        std::memcpy(&high, p + n - 4, 4);
        return low | uint64_t{high} << 32;
    }
    const auto byte = [p](size_t i) { return uint32_t{static_cast<unsigned char>(p[i])}; };
    const uint32_t bytes = byte(0) | byte(n / 2) << 8 | byte(n - 1) << 16 | byte(0) << 24;
    return bytes | uint64_t{bytes} << 32;
}

// Whether s holds a space or a tab, looked for byte by byte.
bool HasBlankByte(std::string_view s);

// Eight bytes at a time, the last word overlapping the one before; only a name with a byte
// below '!' is looked at byte by byte. Inline: lookups check every name they are given.
inline bool HasBlank(std::string_view s) {
    const char* p = s.data();
    const size_t n = s.size();
    uint64_t low = 0;
    if (n <= 8) {
        low = n == 0 ? 0 : LowBytes(ShortWord(p, n));
    } else {
        uint64_t word = 0;
        for (size_t at = 0; at + 8 < n; at += 8) {
            std::memcpy(&word, p + at, 8);
            low |= LowBytes(word);
        }
        std::memcpy(&word, p + n - 8, 8);
        low |= LowBytes(word);
    }
    return low != 0 && HasBlankByte(s);
}

// Whether a stored name is found by a lookup under the same name: lookups remove blanks, and an
// empty name is none (the binary store reads an empty section as the top-level one).
inline bool ReachableName(std::string_view name) {
    return !name.empty() && !HasBlank(name);
}

// Calls visit(std::string_view token) for each token Tokenize would return, in order, without
// building the list; stops early when visit returns false. Returns false when it stopped early.
// A view points into text, or into a private copy when text holds tabs.
template <class Visit>
bool ForEachToken(std::string_view text, std::string_view delimiters, Visit&& visit);

namespace detail {
// A loop over the few delimiters: string_view::find calls memchr for every character.
inline bool IsDelimiter(char c, std::string_view delimiters) {
    for (const char d : delimiters) {
        if (c == d) {
            return true;
        }
    }
    return false;
}
}  // namespace detail

// Where the token that begins at start ends, in s without tabs: a token opened right after a
// double quote runs to the next double quote, any other to the next delimiter (or the end).
inline size_t TokenEnd(std::string_view s, size_t start, std::string_view delimiters) {
    if (start > 0 && s[start - 1] == '"') {
        const size_t q = s.find('"', start);
        return q == std::string_view::npos ? s.size() : q;
    }
    size_t end = start;
    while (end < s.size() && !detail::IsDelimiter(s[end], delimiters)) {
        ++end;
    }
    return end;
}

namespace detail {
template <class Visit>
bool ForEachTokenNoTabs(std::string_view s, std::string_view delimiters, Visit& visit) {
    size_t pos = 0;
    const size_t n = s.size();
    while (true) {
        while (pos < n && (s[pos] == '"' || IsDelimiter(s[pos], delimiters))) {
            ++pos;
        }
        if (pos >= n) {
            return true;
        }
        const size_t start = pos;
        pos = TokenEnd(s, start, delimiters);
        if (!visit(s.substr(start, pos - start))) {
            return false;
        }
    }
}
}  // namespace detail

template <class Visit>
bool ForEachToken(std::string_view text, std::string_view delimiters, Visit&& visit) {
    if (text.find('\t') == std::string_view::npos) {
        return detail::ForEachTokenNoTabs(text, delimiters, visit);
    }
    std::string copy(text);
    for (char& c : copy) {
        if (c == '\t') {
            c = ' ';
        }
    }
    return detail::ForEachTokenNoTabs(copy, delimiters, visit);
}

#endif
