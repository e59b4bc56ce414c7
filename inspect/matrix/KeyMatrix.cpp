#include "inspect/matrix/KeyMatrix.h"

#include <algorithm>
#include <map>
#include <tuple>

#include "resource/StringOps.h"

KeyMatrix MatrixOf(const TreeModel& model, const std::string& section, const std::string& key) {
    KeyMatrix matrix;
    std::string buffer;
    matrix.m_section = LookupName(section, buffer);
    matrix.m_key = LookupName(key, buffer);
    const std::vector<ModelSelection>& selections = model.Selections();
    for (const ModelSelection& selection : selections) {
        if (std::find(matrix.m_clinical.begin(), matrix.m_clinical.end(), selection.m_clinical) ==
            matrix.m_clinical.end()) {
            matrix.m_clinical.push_back(selection.m_clinical);
        }
    }
    std::sort(matrix.m_clinical.begin(), matrix.m_clinical.end());
    const std::vector<Holder>* holders = model.Holders(matrix.m_section, matrix.m_key);
    std::map<std::tuple<std::string, std::string, std::string>, size_t> rows;
    for (size_t s = 0; s < selections.size(); ++s) {
        const ModelSelection& selection = selections[s];
        const auto [row, added] = rows.try_emplace(
            {selection.m_group, selection.m_probe, selection.m_product}, matrix.m_rows.size());
        if (added) {
            matrix.m_rows.push_back({selection.m_group, selection.m_probe, selection.m_product,
                                     std::vector<MatrixCell>(matrix.m_clinical.size())});
        }
        const size_t column = std::lower_bound(matrix.m_clinical.begin(), matrix.m_clinical.end(),
                                               selection.m_clinical) -
                              matrix.m_clinical.begin();
        MatrixCell& cell = matrix.m_rows[row->second].m_cells[column];
        const Holder* winner = holders == nullptr ? nullptr : model.Winner(s, *holders);
        if (winner != nullptr) {
            const LintEntry& entry = model.Entry(*winner);
            cell = {true, entry.m_value, model.LayerName(s, model.RankIn(winner->m_file, s)),
                    model.Files()[winner->m_file].m_relative, entry.m_line};
        }
    }
    return matrix;
}
