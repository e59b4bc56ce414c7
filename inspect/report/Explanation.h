// What `quendel explain` answers: the value the library returns for an entry and every layer of
// the selection that holds it.
#ifndef QUENDEL_INSPECT_REPORT_EXPLANATION_H
#define QUENDEL_INSPECT_REPORT_EXPLANATION_H

#include <string>
#include <vector>

#include "inspect/selection/Selection.h"
#include "resource/IStoreProvenance.h"

// What the library returns for an entry, and every layer that holds it.
struct Explanation {
    bool m_found = false;
    std::string m_value;                // the whole stored text the library returns
    std::vector<ValueOrigin> m_layers;  // highest precedence first
};

Explanation Explain(Selection& selection, const std::string& section, const std::string& key);

#endif
