#include "inspect/pack/IdNameFile.h"

#include <algorithm>
#include <charconv>
#include <sstream>
#include <string_view>
#include <vector>

#include "api/IdKeyTable.h"
#include "textstore/FileBytes.h"

namespace {

constexpr std::string_view kBlanks = " \t\r";

// The next blank-separated word of line from pos on; empty at the end.
std::string_view NextWord(std::string_view line, size_t& pos) {
    const size_t start = line.find_first_not_of(kBlanks, pos);
    if (start == std::string_view::npos) {
        pos = line.size();
        return {};
    }
    const size_t end = std::min(line.find_first_of(kBlanks, start), line.size());
    pos = end;
    return line.substr(start, end - start);
}

}  // namespace

bool ParseIdNames(const std::string& text, const std::string& where, IdNameKeys& keys,
                  std::string& error) {
    keys.clear();
    std::map<int, size_t> idLines;
    std::map<std::string, size_t, std::less<>> nameLines;
    std::istringstream in(text);
    std::string raw;
    for (size_t lineNo = 1; std::getline(in, raw); ++lineNo) {
        const std::string at = where + ":" + std::to_string(lineNo) + ": ";
        const std::string_view line = std::string_view(raw).substr(0, raw.find('#'));
        size_t pos = 0;
        const std::string_view number = NextWord(line, pos);
        if (number.empty()) {
            continue;
        }
        long long id = -1;
        const auto parsed = std::from_chars(number.data(), number.data() + number.size(), id);
        if (parsed.ec != std::errc() || parsed.ptr != number.data() + number.size()) {
            error = at + "bad IdEnum number \"" + std::string(number) + "\"";
            return false;
        }
        if (id < 0 || id >= kIdKeyCount) {
            error = at + "IdEnum " + std::string(number) + " is outside 0 to " +
                    std::to_string(kIdKeyCount - 1);
            return false;
        }
        const std::string_view name = NextWord(line, pos);
        if (name.empty()) {
            error = at + "missing name after IdEnum " + std::string(number);
            return false;
        }
        if (!NextWord(line, pos).empty()) {
            error = at + "unexpected text after the name \"" + std::string(name) + "\"";
            return false;
        }
        const auto [idSeen, newId] = idLines.emplace(static_cast<int>(id), lineNo);
        if (!newId) {
            error = at + "IdEnum " + std::to_string(id) + " is listed twice (first on line " +
                    std::to_string(idSeen->second) + ")";
            return false;
        }
        const auto [nameSeen, newName] = nameLines.emplace(name, lineNo);
        if (!newName) {
            error = at + "name \"" + std::string(name) + "\" is listed twice (first on line " +
                    std::to_string(nameSeen->second) + ")";
            return false;
        }
        const std::vector<uint64_t> words = IdHashedKey(static_cast<int>(id));
        fendrel::KeyWords key{};
        std::copy(words.begin(), words.end(), key.begin());
        keys.emplace(std::string(name), key);
    }
    return true;
}

bool ReadIdNames(const std::string& path, IdNameKeys& keys, std::string& error) {
    std::string text;
    FileProblem problem;
    if (!ReadFileBytes(path, text, &problem)) {
        error = "cannot read the ids file " + path + ": " + DescribeProblem(problem);
        return false;
    }
    return ParseIdNames(text, path, keys, error);
}
