#include "inspect/selection/Selection.h"

#include <filesystem>

#include "api/StoreProvenance.h"
#include "inspect/selection/HostSettings.h"

namespace {

constexpr char kPointAtRoot[] = "; point --settings or --root at the directory that holds dev/";

}  // namespace

bool Selection::Build(const SelectionOptions& options, std::string& error) {
    m_options = options;
    m_errorPath.clear();
    if (!ApplySettings(options, error, &m_errorPath)) {
        return false;
    }
    m_quendel.Initial(options.m_group, options.m_probe, options.m_clinical);
    m_provenance = StoreProvenance(m_quendel);
    if (m_provenance == nullptr) {
        error = "the library built no parameter store";
        return false;
    }
    std::string reason;
    if (!m_provenance->IsOpen(reason)) {
        const std::string& path = Source();
        m_errorPath = path;
        std::error_code ignored;
        error = "cannot open the resource file " + path +
                " (binary store): " + (reason.empty() ? "the store's parser refused it" : reason) +
                (std::filesystem::exists(path, ignored)
                     ? ""
                     : kPointAtRoot + std::string(", or use --store text"));
        return false;
    }
    return true;
}

bool Selection::Open(const SelectionOptions& options, std::string& error) {
    if (!Build(options, error)) {
        return false;
    }
    if (Kind() == StoreKind::kText && m_provenance->GetLayers().empty()) {
        m_errorPath = Source();
        error =
            "no parameter file could be read under " + Source() + " (text store)" + kPointAtRoot;
        return false;
    }
    return true;
}

bool Selection::OpenTree(const SelectionOptions& options, std::string& error) {
    if (!Build(options, error)) {
        return false;
    }
    std::error_code code;
    if (Kind() == StoreKind::kText && !std::filesystem::is_directory(Source(), code)) {
        m_errorPath = Source();
        error = "no directory " + Source() + " (text store)" + kPointAtRoot;
        return false;
    }
    return true;
}

std::string Selection::Describe() const {
    std::string text = Kind() == StoreKind::kText ? "text store" : "binary store";
    const std::pair<const char*, const std::string*> selectors[] = {
        {"F", &m_options.m_group}, {"P", &m_options.m_probe}, {"A", &m_options.m_clinical}};
    std::string chosen;
    for (const auto& [name, value] : selectors) {
        if (!value->empty()) {
            chosen += (chosen.empty() ? "" : " ") + std::string(name) + "=" + *value;
        }
    }
    return text + ", " + (chosen.empty() ? "no selection" : chosen);
}

std::string Selection::Source() const {
    return m_provenance->Source();
}
