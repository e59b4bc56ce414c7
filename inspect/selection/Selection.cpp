#include "inspect/selection/Selection.h"

#include <filesystem>

#include "api/StoreProvenance.h"
#include "inspect/selection/HostSettings.h"

namespace {

constexpr char kPointAtRoot[] = "; point --settings or --root at the directory that holds dev/";

}  // namespace

bool Selection::Build(const SelectionOptions& options, std::string& error) {
    m_options = options;
    if (!ApplySettings(options, error)) {
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

// The text store names the paths it reads; the binary store's are inside its resource file.
std::vector<std::string> Selection::Problems() const {
    const std::string& f = m_options.m_group;
    const std::string& p = m_options.m_probe;
    const std::string& a = m_options.m_clinical;
    std::vector<std::string> problems;
    if (!p.empty() && f.empty()) {
        problems.push_back("-P " + p +
                           " is not read without -F: a transducer lives in its "
                           "group's directory");
    }
    const SelectionCheck check = m_provenance->CheckSelection();
    const std::string where = Kind() == StoreKind::kBinary ? " in " + Source() : std::string();
    const auto paths = [&where](const LevelFiles& level) {
        std::string text;
        for (const std::string& path : level.m_paths) {
            text += (text.empty() ? "" : " or ") + path;
        }
        return text + where;
    };
    if (!check.m_base.m_found) {
        problems.push_back("no base file " + paths(check.m_base));
    }
    if (!f.empty() && !check.m_group.m_found) {
        problems.push_back("no group file for -F " + f + ": " + paths(check.m_group));
    }
    if (!f.empty() && !p.empty() && !check.m_probe.m_found) {
        problems.push_back("no transducer file for -P " + p + ": " + paths(check.m_probe));
    }
    if (!a.empty() && !check.m_clinical.m_found) {
        problems.push_back("no clinical file for -A " + a + ": " + paths(check.m_clinical));
    }
    return problems;
}
