#include "inspect/matrix/SelectionSet.h"

#include <algorithm>
#include <map>
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

SelectionSet::SelectionSet(const std::vector<SelectionName>& all) : m_all(all) {
    std::map<std::string, size_t> groups;
    std::map<std::pair<size_t, std::string>, size_t> pairs;
    std::map<std::string, size_t> clinicals;
    for (const SelectionName& s : all) {
        const auto group = groups.emplace(s.m_group, m_groups.size());
        if (group.second) {
            m_groups.push_back(s.m_group);
            m_probes.emplace_back();
        }
        const size_t g = group.first->second;
        const auto pair = pairs.emplace(std::make_pair(g, s.m_probe), pairs.size());
        if (pair.second) {
            m_probes[g].push_back(s.m_probe);
        }
        const auto clinical = clinicals.emplace(s.m_clinical, m_clinicals.size());
        if (clinical.second) {
            m_clinicals.push_back(s.m_clinical);
        }
        m_at.emplace_back(
            g, static_cast<size_t>(std::find(m_probes[g].begin(), m_probes[g].end(), s.m_probe) -
                                   m_probes[g].begin()));
        m_pairOf.push_back(pair.first->second);
        m_clinicalOf.push_back(clinical.first->second);
    }
    m_pairs = pairs.size();
}

std::string SelectionSet::Describe(const std::vector<bool>& chosen) const {
    const size_t count = static_cast<size_t>(std::count(chosen.begin(), chosen.end(), true));
    if (count == m_all.size()) {
        return "all " + std::to_string(count) + (count == 1 ? " selection" : " selections");
    }
    // For each clinical setting, the transducers chosen with it; settings that share the same
    // transducers are written together.
    std::vector<std::vector<bool>> byClinical(m_clinicals.size(), std::vector<bool>(m_pairs));
    std::vector<bool> used(m_clinicals.size(), false);
    std::vector<std::pair<size_t, size_t>> pairAt(m_pairs);  // pair -> (group, probe index)
    for (size_t i = 0; i < chosen.size() && i < m_all.size(); ++i) {
        pairAt[m_pairOf[i]] = m_at[i];
        if (chosen[i]) {
            byClinical[m_clinicalOf[i]][m_pairOf[i]] = true;
            used[m_clinicalOf[i]] = true;
        }
    }
    std::vector<std::pair<const std::vector<bool>*, std::vector<std::string>>> parts;
    for (size_t c = 0; c < m_clinicals.size(); ++c) {
        if (!used[c]) {
            continue;
        }
        const auto same = std::find_if(parts.begin(), parts.end(), [&](const auto& part) {
            return *part.first == byClinical[c];
        });
        if (same == parts.end()) {
            parts.push_back({&byClinical[c], {m_clinicals[c]}});
        } else {
            same->second.push_back(m_clinicals[c]);
        }
    }
    std::vector<std::string> texts;
    for (const auto& [pairs, settings] : parts) {
        std::string transducers;
        if (static_cast<size_t>(std::count(pairs->begin(), pairs->end(), true)) == m_pairs) {
            transducers = "every transducer";
        } else {
            std::vector<std::vector<std::string>> in(m_groups.size());
            for (size_t p = 0; p < m_pairs; ++p) {
                if ((*pairs)[p]) {
                    in[pairAt[p].first].push_back(m_probes[pairAt[p].first][pairAt[p].second]);
                }
            }
            std::vector<std::string> named;
            for (size_t g = 0; g < m_groups.size(); ++g) {
                if (in[g].empty()) {
                    continue;
                }
                named.push_back(in[g].size() == m_probes[g].size() && in[g].size() > 1
                                    ? "all " + std::to_string(in[g].size()) + " transducers of " +
                                          m_groups[g]
                                    : m_groups[g] + " " + Joined(in[g]));
            }
            transducers = Joined(named);
        }
        texts.push_back(transducers + (settings.size() == m_clinicals.size()
                                           ? " in every clinical setting"
                                           : " in " + Joined(settings)));
    }
    std::string text = std::to_string(count) + " of " + std::to_string(m_all.size()) + ": ";
    for (size_t i = 0; i < texts.size(); ++i) {
        if (i == kShownParts - 1 && texts.size() > kShownParts) {
            return text + "; and " + std::to_string(texts.size() - i) +
                   " more groups of selections";
        }
        text += (i == 0 ? "" : "; ") + texts[i];
    }
    return text;
}

std::string DescribeSelections(const std::vector<SelectionName>& all,
                               const std::vector<bool>& chosen) {
    return SelectionSet(all).Describe(chosen);
}
