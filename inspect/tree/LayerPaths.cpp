#include "inspect/tree/LayerPaths.h"

#include <filesystem>

#include "fileset/FileSet.h"

namespace {

constexpr char kAny[] = "*";   // one directory level: a group, a transducer or a clinical name
constexpr char kRule[] = "+";  // the product rule's directories

std::vector<std::string> Components(const std::string& path) {
    std::vector<std::string> parts;
    for (const auto& part : std::filesystem::path(path).lexically_normal()) {
        if (!part.empty() && part != "/" && part != ".") {
            parts.push_back(part.string());
        }
    }
    return parts;
}

std::string Normal(const std::string& path) {
    return std::filesystem::path(path).lexically_normal().generic_string();
}

struct Pattern {
    std::vector<std::string> m_parts;
    Layer m_layer;
    const char* m_what;
};

// The text store's layer paths, then the product files the binary store takes where the
// resource file holds them, each as FileSet composes it with kAny for every name and kRule for
// the product rule.
const std::vector<Pattern>& Patterns() {
    static const std::vector<Pattern> patterns = [] {
        const std::string any = kAny;
        const std::string rule = FileSet::ProductRuleDir(kRule);
        const SelectionPaths product = FileSet::SelectionFiles("", rule, any, any, any, true);
        const SelectionPaths common = FileSet::SelectionFiles("", rule, any, any, any, false);
        return std::vector<Pattern>{
            {Components(FileSet::FileConfigFile("")), Layer::kFileConfig, "file configuration"},
            {Components(FileSet::BaseFile("")), Layer::kBase, "base file"},
            {Components(FileSet::ClinicalBaseFile("")), Layer::kBase, "clinical base file"},
            {Components(FileSet::GroupFile("", any)), Layer::kOverride, "group file"},
            {Components(FileSet::ProbeFile("", any, any)), Layer::kOverride, "transducer file"},
            {Components(FileSet::GroupClinicalFile("", any, any, any)), Layer::kOverride,
             "group clinical file"},
            {Components(FileSet::ClinicalFile("", any)), Layer::kOverride, "clinical file"},
            {Components(FileSet::ProductFile("", rule, FileSet::BaseFile(""))), Layer::kBase,
             "product base file"},
            {Components(product[kProductProbeSlot]), Layer::kOverride, "product transducer file"},
            {Components(product[kGroupClinicalSlot]), Layer::kOverride, "product clinical file"},
            {Components(product[kProductGroupClinicalSlot]), Layer::kOverride,
             "product clinical file"},
            {Components(common[kProductGroupClinicalSlot]), Layer::kOverride,
             "product clinical file"},
        };
    }();
    return patterns;
}

bool Matches(const std::vector<std::string>& pattern, const std::vector<std::string>& rule,
             const std::vector<std::string>& parts) {
    size_t at = 0;
    for (const std::string& token : pattern) {
        if (token == kRule) {
            if (rule.empty()) {
                return false;
            }
            for (const std::string& component : rule) {
                if (at == parts.size() || parts[at++] != component) {
                    return false;
                }
            }
        } else if (at == parts.size() || (token != kAny && parts[at] != token)) {
            return false;
        } else {
            ++at;
        }
    }
    return at == parts.size();
}

}  // namespace

LayerPaths::LayerPaths(const std::string& productRule)
    : m_rule(Components(productRule)), m_ruleDir(FileSet::ProductRuleDir(productRule)) {}

// The binary store looks for each listed file in the product rule directory first.
void LayerPaths::AddListed(const std::string& relative) {
    m_listed.insert(Normal(relative));
    if (!m_rule.empty()) {
        m_listed.insert(Normal(FileSet::ProductFile("", m_ruleDir, relative)));
    }
}

Layer LayerPaths::Classify(const std::string& relative, std::string& what) const {
    // A listed file is read by every selection, whatever layer path it may also be at.
    if (m_listed.count(Normal(relative)) != 0) {
        what = "listed file";
        return Layer::kBase;
    }
    const std::vector<std::string> parts = Components(relative);
    for (const Pattern& pattern : Patterns()) {
        if (Matches(pattern.m_parts, m_rule, parts)) {
            what = pattern.m_what;
            return pattern.m_layer;
        }
    }
    what = "unread file";
    return Layer::kDead;
}

Layer LayerPaths::ClassifyUserDefined(const std::string& relative, std::string& what) {
    static const std::vector<std::string> pattern =
        Components(FileSet::UserDefinedFile("", kAny, kAny, kAny));
    if (Matches(pattern, {}, Components(relative))) {
        what = "user-defined file";
        return Layer::kOverride;
    }
    what = "unread file";
    return Layer::kDead;
}

// The directory of each layer path, with capitals for the names a selection puts in; a file
// name at two layer paths has both.
std::string LayerPaths::HomeOf(const std::string& fileName) {
    const std::string paths[] = {
        FileSet::FileConfigFile(""),
        FileSet::BaseFile(""),
        FileSet::ClinicalBaseFile(""),
        FileSet::GroupFile("", "GROUP"),
        FileSet::ProbeFile("", "GROUP", "PROBE"),
        FileSet::GroupClinicalFile("", "GROUP", "PROBE", "CLINICAL"),
        FileSet::ClinicalFile("", "CLINICAL"),
    };
    std::string home;
    for (const std::string& path : paths) {
        const size_t slash = path.rfind('/');
        if (path.compare(slash + 1, std::string::npos, fileName) == 0) {
            home += (home.empty() ? "" : " or ") +
                    (slash == std::string::npos ? "the resource root" : path.substr(0, slash + 1));
        }
    }
    return home;
}
