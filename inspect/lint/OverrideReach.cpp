#include "inspect/lint/OverrideReach.h"

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <utility>

#include "inspect/lint/LintRules.h"

namespace {

// "a:3 (clinical) in 4 selections, b:8 (clinical) in 2 selections": the settings that outrank
// or lie below an entry, with the number of selections (group, transducer, clinical setting,
// whichever store reads them) in which each does. Texts are made only for a finding.
class PlaceCounts {
  public:
    explicit PlaceCounts(const TreeModel& model) : m_model(model) {}

    void Add(const Holder& holder, size_t selection, uint32_t rank) {
        m_selections[{holder.m_file, holder.m_entry, m_model.LayerId(selection, rank)}].push_back(
            m_model.OfferedIndex(selection));
        m_layers.emplace(m_model.LayerId(selection, rank), m_model.LayerName(selection, rank));
    }
    bool One() const { return m_selections.size() == 1; }
    std::string First() const { return Place(m_selections.begin()->first); }
    std::string Text() const {
        constexpr size_t kShown = 3;
        std::string text;
        size_t shown = 0;
        for (const auto& [place, selections] : m_selections) {
            if (shown++ == kShown) {
                return text + " and " + std::to_string(m_selections.size() - kShown) +
                       " more files";
            }
            std::vector<uint32_t> distinct = selections;
            std::sort(distinct.begin(), distinct.end());
            const size_t count = static_cast<size_t>(std::unique(distinct.begin(), distinct.end()) -
                                                     distinct.begin());
            text += (text.empty() ? "" : ", ") + Place(place) + " in " + std::to_string(count) +
                    (count == 1 ? " selection" : " selections");
        }
        return text;
    }

  private:
    using Key = std::tuple<uint32_t, uint32_t, uint32_t>;  // file, entry, layer

    std::string Place(const Key& key) const {
        const Holder holder{std::get<0>(key), std::get<1>(key)};
        return m_model.Where(holder) + " (" + m_layers.at(std::get<2>(key)) + ")";
    }

    const TreeModel& m_model;
    std::map<Key, std::vector<uint32_t>> m_selections;
    std::map<uint32_t, std::string> m_layers;
};

class Reach {
  public:
    Reach(const TreeModel& model, std::vector<LintFinding>& findings)
        : m_model(model), m_findings(findings) {
        for (const LintFinding& finding : findings) {
            m_explained.emplace(finding.m_file, finding.m_line);
        }
    }

    void Check(const std::vector<Holder>& holders) {
        for (const Holder& holder : holders) {
            const ModelFile& file = m_model.Files()[holder.m_file];
            const LintEntry& entry = m_model.Entry(holder);
            // An entry on a line that another finding explains already is not reported again.
            if (file.m_baseLevel || m_explained.count({file.Lint().m_path, entry.m_line}) != 0) {
                continue;
            }
            if (!Masked(holder, holders)) {
                Redundant(holder, holders);
            }
        }
    }

  private:
    // Of the other holders that selection s reads above rank (or below it), the one of the
    // highest precedence, with its rank in found; null when there is none.
    const Holder* Nearest(const std::vector<Holder>& holders, const Holder& self, size_t s,
                          uint32_t rank, bool below, uint32_t& found) const {
        const Holder* best = nullptr;
        found = TreeModel::kUnread;
        for (const Holder& other : holders) {
            if (other.m_file == self.m_file) {
                continue;
            }
            const uint32_t at = m_model.RankIn(other.m_file, s);
            if (at == TreeModel::kUnread || (below ? at <= rank : at >= rank)) {
                continue;
            }
            if (best == nullptr || at < found) {
                best = &other;
                found = at;
            }
        }
        return best;
    }

    bool Masked(const Holder& self, const std::vector<Holder>& holders) {
        PlaceCounts outrankers(m_model);
        for (const Reading& reading : m_model.Readers(self.m_file)) {
            uint32_t at = 0;
            const Holder* above =
                Nearest(holders, self, reading.m_selection, reading.m_rank, false, at);
            if (above == nullptr) {
                return false;  // it wins here
            }
            outrankers.Add(*above, reading.m_selection, at);
        }
        const LintEntry& entry = m_model.Entry(self);
        Report(
            self, rule::kMaskedOverride,
            "value " + QuoteText(entry.m_value) + " never takes effect: " +
                (outrankers.One()
                     ? outrankers.First() + " outranks it in every selection that reads this file"
                     : "a higher layer sets it in every selection that reads this file (" +
                           outrankers.Text() + ")"));
        return true;
    }

    void Redundant(const Holder& self, const std::vector<Holder>& holders) {
        const LintEntry& entry = m_model.Entry(self);
        PlaceCounts overridden(m_model);
        for (const Reading& reading : m_model.Readers(self.m_file)) {
            uint32_t at = 0;
            const Holder* below =
                Nearest(holders, self, reading.m_selection, reading.m_rank, true, at);
            if (below == nullptr || m_model.Entry(*below).m_value != entry.m_value) {
                return;
            }
            overridden.Add(*below, reading.m_selection, at);
        }
        Report(self, rule::kRedundantOverride,
               "value " + QuoteText(entry.m_value) + " is the value it overrides (" +
                   (overridden.One() ? overridden.First() : overridden.Text()) +
                   ") in every selection that reads this file: it changes nothing");
    }

    void Report(const Holder& holder, const char* rule, std::string message) {
        const FileLint& lint = m_model.Files()[holder.m_file].Lint();
        const LintEntry& entry = m_model.Entry(holder);
        if (!lint.Silenced(entry.m_line, rule)) {
            m_findings.push_back(
                LintFinding{lint.m_path, entry.m_line, entry.m_column, rule, std::move(message)});
        }
    }

    const TreeModel& m_model;
    std::vector<LintFinding>& m_findings;
    std::set<std::pair<std::string, size_t>> m_explained;  // file and line of other findings
};

}  // namespace

void CheckOverrideReach(const TreeModel& model, std::vector<LintFinding>& findings) {
    Reach reach(model, findings);
    model.ForEachHolders([&reach](const std::vector<Holder>& holders) {
        if (holders.size() > 1) {
            reach.Check(holders);
        }
    });
}
