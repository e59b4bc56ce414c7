// A set of a tree's selections written for people: "all 12 selections", or "6 of 576: all 6
// transducers of Grp1 in Cln01; Grp2 Xdr3 in every clinical setting".
#ifndef QUENDEL_INSPECT_MATRIX_SELECTIONSET_H
#define QUENDEL_INSPECT_MATRIX_SELECTIONSET_H

#include <string>
#include <vector>

struct SelectionName {
    std::string m_group;
    std::string m_probe;
    std::string m_clinical;
};

// The selections of a tree, ready to describe many sets of them.
class SelectionSet {
  public:
    explicit SelectionSet(const std::vector<SelectionName>& all);
    // chosen holds one flag per selection.
    std::string Describe(const std::vector<bool>& chosen) const;

  private:
    const std::vector<SelectionName>& m_all;
    std::vector<std::string> m_groups;               // in the order of all, each once
    std::vector<std::vector<std::string>> m_probes;  // by group
    std::vector<std::string> m_clinicals;
    std::vector<std::pair<size_t, size_t>> m_at;  // per selection: (group, probe), clinical
    std::vector<size_t> m_pairOf;                 // per selection: its (group, probe) pair
    std::vector<size_t> m_clinicalOf;
    size_t m_pairs = 0;
};

std::string DescribeSelections(const std::vector<SelectionName>& all,
                               const std::vector<bool>& chosen);

#endif
