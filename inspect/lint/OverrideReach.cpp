#include "inspect/lint/OverrideReach.h"

#include <algorithm>
#include <map>
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
    explicit Reach(const TreeModel& model) : m_model(model) {}

    // A masked setting is not also checked for changing nothing, even when its finding is
    // silenced.
    bool Check(const Holder& self, const std::vector<Holder>& holders, LintFinding& finding) {
        bool reported = false;
        if (!Masked(self, holders, finding, reported)) {
            Redundant(self, holders, finding, reported);
        }
        return reported;
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

    bool Masked(const Holder& self, const std::vector<Holder>& holders, LintFinding& finding,
                bool& reported) {
        PlaceCounts outrankers(m_model);
        const std::vector<Reading>& readers = m_model.Readers(self.m_file);
        if (readers.empty()) {
            return false;  // no selection reads it: that is another finding's business
        }
        for (const Reading& reading : readers) {
            uint32_t at = 0;
            const Holder* above =
                Nearest(holders, self, reading.m_selection, reading.m_rank, false, at);
            if (above == nullptr) {
                return false;  // it wins here
            }
            outrankers.Add(*above, reading.m_selection, at);
        }
        const LintEntry& entry = m_model.Entry(self);
        reported = Report(
            self, rule::kMaskedOverride,
            "value " + QuoteText(entry.m_value) + " never takes effect: " +
                (outrankers.One()
                     ? outrankers.First() + " outranks it in every selection that reads this file"
                     : "a higher layer sets it in every selection that reads this file (" +
                           outrankers.Text() + ")"),
            finding);
        return true;
    }

    void Redundant(const Holder& self, const std::vector<Holder>& holders, LintFinding& finding,
                   bool& reported) {
        const LintEntry& entry = m_model.Entry(self);
        PlaceCounts overridden(m_model);
        const std::vector<Reading>& readers = m_model.Readers(self.m_file);
        if (readers.empty()) {
            return;
        }
        for (const Reading& reading : readers) {
            uint32_t at = 0;
            const Holder* below =
                Nearest(holders, self, reading.m_selection, reading.m_rank, true, at);
            if (below == nullptr || m_model.Entry(*below).m_value != entry.m_value) {
                return;
            }
            overridden.Add(*below, reading.m_selection, at);
        }
        reported = Report(self, rule::kRedundantOverride,
                          "value " + QuoteText(entry.m_value) + " is the value it overrides (" +
                              (overridden.One() ? overridden.First() : overridden.Text()) +
                              ") in every selection that reads this file: it changes nothing",
                          finding);
    }

    bool Report(const Holder& holder, const char* rule, std::string message, LintFinding& finding) {
        const FileLint& lint = m_model.Files()[holder.m_file].Lint();
        const LintEntry& entry = m_model.Entry(holder);
        if (lint.Silenced(entry.m_line, rule)) {
            return false;
        }
        finding =
            LintFinding{lint.m_path, entry.m_line, entry.m_column, rule, std::move(message), {}};
        return true;
    }

    const TreeModel& m_model;
};

}  // namespace

bool CheckReach(const TreeModel& model, const Holder& holder, const std::vector<Holder>& holders,
                LintFinding& finding) {
    if (holders.size() < 2 || model.Files()[holder.m_file].m_baseLevel) {
        return false;
    }
    return Reach(model).Check(holder, holders, finding);
}
