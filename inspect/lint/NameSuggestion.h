// "Did you mean": the known name one typing slip away from a name that is not known. A slip is
// one character left out, added, replaced, or two neighbours swapped. The names are indexed by
// every form with one character deleted, so a question costs the length of the name asked
// about, however many names there are.
#ifndef QUENDEL_INSPECT_LINT_NAMESUGGESTION_H
#define QUENDEL_INSPECT_LINT_NAMESUGGESTION_H

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class NameSuggestion {
  public:
    // Names longer than this are not indexed and get no suggestion: each costs its length
    // squared to index.
    static constexpr size_t kMaxLength = 64;

    void Add(std::string_view name);
    // The known name one slip away from name, the first in byte order when several are; empty
    // when there is none (or name is itself known).
    std::string Nearest(std::string_view name) const;

  private:
    std::vector<std::string> m_names;
    std::unordered_map<std::string, uint32_t> m_ids;
    std::unordered_map<std::string, std::vector<uint32_t>> m_deletions;
};

// Among names, the one that differs from name in letter case only, else one slip away; empty
// when none does (or name is itself among them). For a few names, such as a tree's selectors.
std::string NearestName(const std::vector<std::string>& names, std::string_view name);

// Whether a and b are one slip apart (or equal).
bool OneSlipApart(std::string_view a, std::string_view b);

#endif
