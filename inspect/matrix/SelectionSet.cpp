#include "inspect/matrix/SelectionSet.h"

#include <algorithm>
#include <map>
#include <set>
#include <utility>

namespace {

constexpr size_t kShownParts = 4;

std::string Joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) {
        text += (text.empty() ? "" : ", ") + name;
    }
    return text;
}

}  // namespace

std::string DescribeSelections(const std::vector<SelectionName>& all,
                               const std::vector<bool>& chosen) {
    const size_t count = static_cast<size_t>(std::count(chosen.begin(), chosen.end(), true));
    if (count == all.size()) {
        return "all " + std::to_string(count) + (count == 1 ? " selection" : " selections");
    }
    // The transducers of each group and the clinical settings, in the order of all.
    std::vector<std::string> groups;
    std::map<std::string, std::vector<std::string>> probes;
    std::vector<std::string> clinicals;
    std::set<std::pair<std::string, std::string>> pairs;
    for (const SelectionName& s : all) {
        if (probes.find(s.m_group) == probes.end()) {
            groups.push_back(s.m_group);
        }
        std::vector<std::string>& list = probes[s.m_group];
        if (std::find(list.begin(), list.end(), s.m_probe) == list.end()) {
            list.push_back(s.m_probe);
        }
        if (std::find(clinicals.begin(), clinicals.end(), s.m_clinical) == clinicals.end()) {
            clinicals.push_back(s.m_clinical);
        }
        pairs.emplace(s.m_group, s.m_probe);
    }
    // For each clinical setting, the transducers chosen with it; settings that share the same
    // transducers are written together.
    std::map<std::string, std::set<std::pair<std::string, std::string>>> byClinical;
    for (size_t i = 0; i < all.size(); ++i) {
        if (chosen[i]) {
            byClinical[all[i].m_clinical].emplace(all[i].m_group, all[i].m_probe);
        }
    }
    std::vector<std::pair<std::set<std::pair<std::string, std::string>>, std::vector<std::string>>>
        parts;
    for (const std::string& clinical : clinicals) {
        const auto it = byClinical.find(clinical);
        if (it == byClinical.end()) {
            continue;
        }
        const auto same = std::find_if(parts.begin(), parts.end(),
                                       [&](const auto& part) { return part.first == it->second; });
        if (same == parts.end()) {
            parts.push_back({it->second, {clinical}});
        } else {
            same->second.push_back(clinical);
        }
    }
    std::vector<std::string> texts;
    for (const auto& [chosenPairs, settings] : parts) {
        std::string transducers;
        if (chosenPairs == pairs) {
            transducers = "every transducer";
        } else {
            std::vector<std::string> named;
            for (const std::string& group : groups) {
                std::vector<std::string> in;
                for (const std::string& probe : probes[group]) {
                    if (chosenPairs.count({group, probe}) != 0) {
                        in.push_back(probe);
                    }
                }
                if (in.empty()) {
                    continue;
                }
                named.push_back(in.size() == probes[group].size() && in.size() > 1
                                    ? "all " + std::to_string(in.size()) + " transducers of " +
                                          group
                                    : group + " " + Joined(in));
            }
            transducers = Joined(named);
        }
        texts.push_back(transducers + (settings.size() == clinicals.size()
                                           ? " in every clinical setting"
                                           : " in " + Joined(settings)));
    }
    std::string text = std::to_string(count) + " of " + std::to_string(all.size()) + ": ";
    for (size_t i = 0; i < texts.size(); ++i) {
        if (i == kShownParts - 1 && texts.size() > kShownParts) {
            return text + "; and " + std::to_string(texts.size() - i) +
                   " more groups of selections";
        }
        text += (i == 0 ? "" : "; ") + texts[i];
    }
    return text;
}
