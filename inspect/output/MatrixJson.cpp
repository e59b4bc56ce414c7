#include "inspect/output/MatrixJson.h"

namespace {

using Json = nlohmann::ordered_json;

const char* StoreName(StoreKind kind) {
    return kind == StoreKind::kText ? "text" : "bin";
}

}  // namespace

Json MatrixJson(const TreeModel& model, const KeyMatrix& matrix) {
    Json rows = Json::array();
    for (const MatrixRow& row : matrix.m_rows) {
        Json cells = Json::array();
        for (size_t i = 0; i < row.m_cells.size(); ++i) {
            const MatrixCell& cell = row.m_cells[i];
            Json json = {{"clinical", matrix.m_clinical[i]}, {"found", cell.m_found}};
            if (cell.m_found) {
                json["value"] = cell.m_value;
                json["layer"] = cell.m_layer;
                json["file"] = cell.m_file;
                if (cell.m_line != 0) {
                    json["line"] = cell.m_line;
                }
            }
            cells.push_back(std::move(json));
        }
        Json json = {{"group", row.m_group}, {"transducer", row.m_probe}};
        if (!row.m_product.empty()) {
            json["product"] = row.m_product;
        }
        json["cells"] = std::move(cells);
        rows.push_back(std::move(json));
    }
    return {{"store", StoreName(model.Kind())}, {"source", model.Source()},
            {"section", matrix.m_section},      {"key", matrix.m_key},
            {"clinical", matrix.m_clinical},    {"rows", std::move(rows)}};
}
