#include "fileset/FileConfig.h"

#include <algorithm>
#include <locale>
#include <sstream>
#include <utility>

#include "resource/ValueText.h"

namespace {

constexpr std::string_view kListedPrefix = "File";

// The integer at the start of text as a stream reads it (blanks skipped, a sign allowed, held at
// the ends of int's range); 0 when none is there.
int LeadingInt(const std::string& text) {
    std::istringstream in(text);
    in.imbue(std::locale::classic());
    int count = 0;
    in >> count;
    return count;
}

}  // namespace

bool ReadFileCount(const std::string& text, FileCountReading reading, long& count) {
    if (reading == FileCountReading::kBinaryStore) {
        count = LeadingInt(text);
        return true;
    }
    return ToLong(text, count);
}

int64_t ListedIndex(std::string_view key) {
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

bool LooksListed(std::string_view key) {
    return key.size() > kListedPrefix.size() &&
           key.substr(0, kListedPrefix.size()) == kListedPrefix &&
           key.find_first_not_of("0123456789", kListedPrefix.size()) == key.npos;
}

std::vector<size_t> ListedOrder(const std::vector<std::string_view>& keys, long count) {
    std::vector<std::pair<int64_t, size_t>> listed;
    for (size_t i = 0; i < keys.size(); ++i) {
        const int64_t index = ListedIndex(keys[i]);
        if (index >= 0 && index < count) {
            listed.emplace_back(index, i);
        }
    }
    std::sort(listed.begin(), listed.end());
    std::vector<size_t> order;
    order.reserve(listed.size());
    for (const auto& item : listed) {
        order.push_back(item.second);
    }
    return order;
}
