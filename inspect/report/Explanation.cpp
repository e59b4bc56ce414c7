#include "inspect/report/Explanation.h"

Explanation Explain(Selection& selection, const std::string& section, const std::string& key) {
    Explanation explanation;
    explanation.m_found =
        selection.Library().GetParameter(section, key, explanation.m_value, std::string());
    explanation.m_layers = selection.Provenance().GetOrigins(section, key);
    return explanation;
}
