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

// chosen holds one flag per selection of all.
std::string DescribeSelections(const std::vector<SelectionName>& all,
                               const std::vector<bool>& chosen);

#endif
