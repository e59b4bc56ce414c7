#include "inspect/lint/NameSuggestion.h"

#include <algorithm>
#include <cctype>

namespace {

std::string Without(std::string_view name, size_t at) {
    std::string form(name.substr(0, at));
    form.append(name.substr(at + 1));
    return form;
}

}  // namespace

bool OneSlipApart(std::string_view a, std::string_view b) {
    if (a.size() < b.size()) {
        std::swap(a, b);
    }
    if (a.size() > b.size() + 1) {
        return false;
    }
    size_t first = 0;
    while (first < b.size() && a[first] == b[first]) {
        ++first;
    }
    if (first == a.size()) {
        return true;  // equal
    }
    if (a.size() > b.size()) {
        return a.substr(first + 1) == b.substr(first);  // one left out
    }
    if (a.substr(first + 1) == b.substr(first + 1)) {
        return true;  // one replaced
    }
    return first + 1 < a.size() && a[first] == b[first + 1] && a[first + 1] == b[first] &&
           a.substr(first + 2) == b.substr(first + 2);  // two swapped
}

void NameSuggestion::Add(std::string_view name) {
    if (name.size() > kMaxLength) {
        return;
    }
    const auto id = static_cast<uint32_t>(m_names.size());
    if (!m_ids.emplace(std::string(name), id).second) {
        return;
    }
    m_names.emplace_back(name);
    for (size_t at = 0; at < name.size(); ++at) {
        std::vector<uint32_t>& ids = m_deletions[Without(name, at)];
        if (ids.empty() || ids.back() != id) {
            ids.push_back(id);
        }
    }
}

// Every slip leaves the name and the candidate with a common form: the one is the other with a
// character deleted (left out, added), or both lose the same position (replaced, swapped).
std::string NameSuggestion::Nearest(std::string_view name) const {
    if (name.size() > kMaxLength || m_ids.count(std::string(name)) != 0) {
        return {};
    }
    const std::string* best = nullptr;
    const auto consider = [&](uint32_t id) {
        const std::string& candidate = m_names[id];
        if ((best == nullptr || candidate < *best) && OneSlipApart(name, candidate)) {
            best = &candidate;
        }
    };
    if (const auto it = m_deletions.find(std::string(name)); it != m_deletions.end()) {
        std::for_each(it->second.begin(), it->second.end(), consider);
    }
    for (size_t at = 0; at < name.size(); ++at) {
        const std::string form = Without(name, at);
        if (const auto it = m_ids.find(form); it != m_ids.end()) {
            consider(it->second);
        }
        if (const auto it = m_deletions.find(form); it != m_deletions.end()) {
            std::for_each(it->second.begin(), it->second.end(), consider);
        }
    }
    return best == nullptr ? std::string() : *best;
}

std::string NearestName(const std::vector<std::string>& names, std::string_view name) {
    const auto lower = [](std::string_view text) {
        std::string folded(text);
        for (char& c : folded) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        return folded;
    };
    NameSuggestion suggestion;
    for (const std::string& known : names) {
        if (known != name && lower(known) == lower(name)) {
            return known;
        }
        suggestion.Add(known);
    }
    return suggestion.Nearest(name);
}
