#include "inspect/output/MatrixJson.h"

namespace {

using Json = nlohmann::ordered_json;

Json Optional(const std::optional<std::string>& value) {
    return value ? Json(*value) : Json(nullptr);
}

Json Optional(const std::string* value) {
    return value != nullptr ? Json(*value) : Json(nullptr);
}

Json SelectionJson(const SelectionName& name) {
    return {{"group", name.m_group}, {"transducer", name.m_probe}, {"clinical", name.m_clinical}};
}

Json PlaceJson(const TreeImpact& impact, const ImpactPlace& place) {
    if (place.m_file == ImpactPlace::kNone) {
        return nullptr;
    }
    Json json = {{"file", impact.m_names[place.m_file]}};
    if (place.m_line != 0) {
        json["line"] = place.m_line;
    }
    json["layer"] = impact.m_names[place.m_layer];
    return json;
}

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

Json ImpactJson(const TreeImpact& impact) {
    const SelectionSet described(impact.m_selections);
    Json selections = Json::array();
    for (const SelectionName& name : impact.m_selections) {
        selections.push_back(SelectionJson(name));
    }
    Json changes = Json::array();
    for (const ImpactChange& change : impact.m_changes) {
        Json reached = Json::array();
        for (size_t i = 0; i < change.m_selections.size(); ++i) {
            if (change.m_selections[i]) {
                reached.push_back(i);
            }
        }
        Json places = Json::array();
        for (const auto& [from, to] : change.m_places) {
            places.push_back({{"from", PlaceJson(impact, from)}, {"to", PlaceJson(impact, to)}});
        }
        changes.push_back({{"section", *change.m_section},
                           {"key", *change.m_key},
                           {"from", Optional(change.m_from)},
                           {"to", Optional(change.m_to)},
                           {"reach", described.Describe(change.m_selections)},
                           {"selections", std::move(reached)},
                           {"places", std::move(places)},
                           {"morePlaces", change.m_morePlaces}});
    }
    Json masked = Json::array();
    for (const MaskedChange& change : impact.m_masked) {
        masked.push_back({{"file", change.m_file},
                          {"line", change.m_line},
                          {"section", change.m_section},
                          {"key", change.m_key},
                          {"from", Optional(change.m_from)},
                          {"to", Optional(change.m_to)}});
    }
    const auto names = [](const std::vector<SelectionName>& list) {
        Json json = Json::array();
        for (const SelectionName& name : list) {
            json.push_back(SelectionJson(name));
        }
        return json;
    };
    return {{"from", impact.m_from},          {"to", impact.m_to},
            {"files", impact.m_changedFiles}, {"selections", std::move(selections)},
            {"changes", std::move(changes)},  {"masked", std::move(masked)},
            {"added", names(impact.m_added)}, {"removed", names(impact.m_removed)}};
}
