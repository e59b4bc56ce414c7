#include "inspect/output/ReportJson.h"

#include <fendrel/ResourceReader.h>

#include <cinttypes>
#include <cstdio>

#include "inspect/output/EntryOutput.h"
#include "inspect/report/FileReadings.h"

namespace {

using Json = nlohmann::ordered_json;

Json Side(const StoreEntry* entry) {
    if (entry == nullptr) {
        return nullptr;
    }
    return {{"value", entry->m_origin.m_value}, {"origin", OriginJson(entry->m_origin)}};
}

Json TransducerJson(const TransducerListing& transducer, bool products) {
    Json json = {{"name", transducer.m_name}, {"clinical", transducer.m_clinical}};
    if (products) {
        Json list = Json::array();
        for (const TransducerListing& product : transducer.m_products) {
            list.push_back(TransducerJson(product, false));
        }
        json["products"] = std::move(list);
    }
    return json;
}

std::string Hex(uint64_t value) {
    char text[19];
    std::snprintf(text, sizeof text, "0x%016" PRIx64, value);
    return text;
}

}  // namespace

Json ExplainJson(const Selection& selection, const std::string& section, const std::string& key,
                 const Explanation& explanation) {
    Json list = Json::array();
    for (size_t i = 0; i < explanation.m_layers.size(); ++i) {
        Json item = OriginJson(explanation.m_layers[i]);
        item["value"] = explanation.m_layers[i].m_value;
        item["wins"] = explanation.m_found && i == 0;
        list.push_back(std::move(item));
    }
    return {{"selection", SelectionJson(selection)},
            {"section", section},
            {"key", key},
            {"found", explanation.m_found},
            {"value", explanation.m_found ? Json(explanation.m_value) : Json()},
            {"layers", std::move(list)}};
}

Json DiffJson(const Selection& from, const Selection& to, const std::vector<EntryChange>& changes) {
    Json list = Json::array();
    for (const EntryChange& change : changes) {
        const StoreEntry& named = change.m_from != nullptr ? *change.m_from : *change.m_to;
        list.push_back({{"change", change.m_kind},
                        {"section", *named.m_section},
                        {"key", named.m_key},
                        {"from", Side(change.m_from)},
                        {"to", Side(change.m_to)}});
    }
    return {{"from", SelectionJson(from)}, {"to", SelectionJson(to)}, {"changes", list}};
}

Json ListingJson(const Selection& selection, const TreeListing& listing) {
    const bool products = selection.Kind() == StoreKind::kBinary;
    Json groups = Json::array();
    for (const GroupListing& group : listing.m_groups) {
        Json transducers = Json::array();
        for (const TransducerListing& transducer : group.m_transducers) {
            transducers.push_back(TransducerJson(transducer, products));
        }
        groups.push_back({{"name", group.m_name}, {"transducers", std::move(transducers)}});
    }
    Json json = {{"store", products ? "bin" : "text"},
                 {"source", selection.Source()},
                 {"groups", std::move(groups)},
                 {"clinical", listing.m_clinical}};
    if (products) {
        Json list = Json::array();
        for (const ProductFiles& product : listing.m_products) {
            list.push_back({{"name", product.m_name}, {"files", product.m_files}});
        }
        json["products"] = std::move(list);
    }
    return json;
}

Json FilesJson(const Selection& selection, const std::vector<FileReading>& readings) {
    Json files = Json::array();
    for (const FileReading& reading : readings) {
        Json item = {{"layer", reading.m_layer},
                     {"file", reading.m_path},
                     {"state", FileStateName(reading.m_state)}};
        if (!reading.m_detail.empty()) {
            item["detail"] = reading.m_detail;
        }
        item["entries"] = reading.m_entries;
        files.push_back(std::move(item));
    }
    return {{"selection", SelectionJson(selection)}, {"files", std::move(files)}};
}

Json VerifyJson(const std::string& path) {
    fendrel::ResourceReader reader;
    std::string reason;
    if (!reader.Open(path, reason)) {
        return {{"path", path}, {"ok", false}, {"error", reason}};
    }
    const fendrel::ResourceSummary summary = reader.Summary();
    return {{"path", path},
            {"ok", true},
            {"version", summary.m_version},
            {"size", summary.m_size},
            {"checksum", Hex(summary.m_checksum)},
            {"files", summary.m_files},
            {"sections", summary.m_sections},
            {"keys", summary.m_keys},
            {"entries", summary.m_entries}};
}
