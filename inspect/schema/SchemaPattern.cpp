#include "inspect/schema/SchemaPattern.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace {

// The atoms of pattern with every repetition expanded, as std::regex builds its automaton: an
// atom counts one, "a{n,m}" m times its operand, "*", "+" and "?" twice. Stops counting past
// limit. Malformed text is left to the regex compiler, which refuses it.
size_t EstimatedStates(const std::string& pattern, size_t limit) {
    std::vector<size_t> levels{0};  // the cost of each open group so far
    size_t last = 0;                // the cost of the atom or group a quantifier would repeat
    const size_t n = pattern.size();
    const auto add = [&](size_t cost) {
        levels.back() = std::min(levels.back() + cost, limit + 1);
        last = cost;
    };
    for (size_t i = 0; i < n; ++i) {
        const char c = pattern[i];
        if (c == '\\') {
            ++i;
            add(1);
        } else if (c == '[') {
            for (++i; i < n && pattern[i] != ']'; ++i) {
                i += pattern[i] == '\\' ? 1 : 0;
            }
            add(1);
        } else if (c == '(') {
            levels.push_back(0);
            if (i + 2 < n && pattern[i + 1] == '?') {
                i += 2;  // "(?:", "(?=", "(?!"
            }
        } else if (c == ')') {
            if (levels.size() > 1) {
                const size_t group = levels.back();
                levels.pop_back();
                add(group);
            }
        } else if (c == '*' || c == '+' || c == '?') {
            add(last);
        } else if (c == '{') {
            size_t most = 0;
            size_t j = i + 1;
            for (; j < n &&
                   (std::isdigit(static_cast<unsigned char>(pattern[j])) != 0 || pattern[j] == ',');
                 ++j) {
                if (pattern[j] != ',') {
                    const size_t digit = static_cast<size_t>(pattern[j] - '0');
                    const size_t bound = j > i + 1 && pattern[j - 1] != ',' ? most : 0;
                    most = std::max(most, std::min(bound * 10 + digit, limit + 1));
                }
            }
            if (j < n && pattern[j] == '}' && j > i + 1) {
                const size_t copies = std::max<size_t>(most, 1);
                levels.back() = std::min(levels.back() + last * (copies - 1), limit + 1);
                i = j;
            } else {
                add(1);
            }
        } else {
            add(1);
        }
    }
    size_t total = 0;
    for (const size_t level : levels) {
        total = std::min(total + level, limit + 1);
    }
    return total;
}

// The literal text an anchored pattern without "|" begins with ("^Stage[0-9]+" gives "Stage");
// a character that a quantifier follows may occur no time, so it is not part of it.
std::string LiteralPrefix(const std::string& pattern) {
    if (pattern.empty() || pattern[0] != '^' || pattern.find('|') != std::string::npos) {
        return {};
    }
    const size_t end = pattern.find_first_of("\\^$.|?*+()[]{}", 1);
    std::string prefix = pattern.substr(1, end == std::string::npos ? end : end - 1);
    if (end != std::string::npos &&
        std::string_view("?*{").find(pattern[end]) != std::string::npos && !prefix.empty()) {
        prefix.pop_back();
    }
    return prefix;
}

}  // namespace

bool SchemaPattern::Compile(const std::string& pattern, std::string& error) {
    if (pattern.size() > kMaxLength) {
        error = "the pattern is " + std::to_string(pattern.size()) + " bytes long; at most " +
                std::to_string(kMaxLength) + " are read";
        return false;
    }
    if (EstimatedStates(pattern, kMaxStates) > kMaxStates) {
        error = "the pattern repeats too much (more than " + std::to_string(kMaxStates) +
                " atoms with its repetitions expanded)";
        return false;
    }
    constexpr auto kSyntax = std::regex::ECMAScript | std::regex_constants::__polynomial;
    try {
        // On its own first: wrapped, "a)(b" would read as a pattern.
        std::regex alone(pattern, kSyntax);
        m_regex = std::regex("[\\s\\S]*?(?:" + pattern + ")[\\s\\S]*", kSyntax);
    } catch (const std::regex_error& e) {
        error = std::string("not a regular expression std::regex reads (") + e.what() +
                "; back-references, look-behind and named groups are not supported)";
        return false;
    }
    m_source = pattern;
    m_prefix = LiteralPrefix(pattern);
    return true;
}

bool SchemaPattern::Search(std::string_view text) const {
    return text.substr(0, m_prefix.size()) == m_prefix &&
           std::regex_match(text.begin(), text.end(), m_regex);
}
