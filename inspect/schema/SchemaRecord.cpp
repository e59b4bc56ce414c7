#include "inspect/schema/SchemaRecord.h"

#include <array>

namespace {

constexpr std::array<const char*, 8> kLayerNames = {"base",     "listed",      "clinical base",
                                                    "group",    "transducer",  "group clinical",
                                                    "clinical", "user-defined"};
constexpr std::string_view kProductSuffix = " (product)";
constexpr std::string_view kListedPrefix = "File";

}  // namespace

const char* LayerName(SchemaLayer layer) {
    const auto index = static_cast<size_t>(layer);
    return index < kLayerNames.size() ? kLayerNames[index] : "unknown";
}

// The text store names its listed files "File0", "File1", ...; the binary store "listed" and
// a product's own file "transducer (product)".
SchemaLayer LayerOf(std::string_view name) {
    if (name.size() > kProductSuffix.size() &&
        name.substr(name.size() - kProductSuffix.size()) == kProductSuffix) {
        name.remove_suffix(kProductSuffix.size());
    }
    if (name.size() > kListedPrefix.size() &&
        name.substr(0, kListedPrefix.size()) == kListedPrefix &&
        name.find_first_not_of("0123456789", kListedPrefix.size()) == std::string_view::npos) {
        return SchemaLayer::kListed;
    }
    for (size_t i = 0; i < kLayerNames.size(); ++i) {
        if (name == kLayerNames[i]) {
            return static_cast<SchemaLayer>(i);
        }
    }
    return SchemaLayer::kUnknown;
}

bool IsBaseLevel(SchemaLayer layer) {
    return layer == SchemaLayer::kBase || layer == SchemaLayer::kListed ||
           layer == SchemaLayer::kClinicalBase;
}
