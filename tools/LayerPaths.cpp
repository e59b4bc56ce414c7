#include "LayerPaths.h"

#include <filesystem>
#include <utility>

#include "textstore/NameConstants.h"

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
    std::vector<const char*> m_parts;
    Layer m_layer;
    const char* m_what;
};

// The text store's paths (see ResourceMsgImp), then the product files the binary store
// takes where the resource file holds them (see binFileMsgImpl).
const std::vector<Pattern>& Patterns() {
    static const std::vector<Pattern> patterns = {
        {{kFileConfigFile}, Layer::kFileConfig, "file configuration"},
        {{kBaseFile}, Layer::kBase, "base file"},
        {{kClinicalDir, kClinicalBaseFile}, Layer::kBase, "clinical base file"},
        {{kAny, kGroupFile}, Layer::kOverride, "group file"},
        {{kAny, kAny, kProbeFile}, Layer::kOverride, "transducer file"},
        {{kAny, kAny, kAny, kClinicalFile}, Layer::kOverride, "group clinical file"},
        {{kClinicalDir, kAny, kClinicalFile}, Layer::kOverride, "clinical file"},
        {{kRule, kBaseFile}, Layer::kBase, "product base file"},
        {{kAny, kAny, kRule, kProbeFile}, Layer::kOverride, "product transducer file"},
        {{kAny, kAny, kRule, kAny, kClinicalFile}, Layer::kOverride, "product clinical file"},
        {{kAny, kAny, kRule, kAny, kRule, kClinicalFile},
         Layer::kOverride,
         "product clinical file"},
        {{kAny, kAny, kAny, kRule, kClinicalFile}, Layer::kOverride, "product clinical file"},
    };
    return patterns;
}

bool Matches(const std::vector<const char*>& pattern, const std::vector<std::string>& rule,
             const std::vector<std::string>& parts) {
    size_t at = 0;
    for (const char* token : pattern) {
        if (std::string(token) == kRule) {
            if (rule.empty()) {
                return false;
            }
            for (const std::string& component : rule) {
                if (at == parts.size() || parts[at++] != component) {
                    return false;
                }
            }
        } else if (at == parts.size() || (std::string(token) != kAny && parts[at] != token)) {
            return false;
        } else {
            ++at;
        }
    }
    return at == parts.size();
}

}  // namespace

LayerPaths::LayerPaths(const std::string& productRule) : m_rule(Components(productRule)) {}

void LayerPaths::AddListed(const std::string& relative) {
    m_listed.insert(Normal(relative));
    if (!m_rule.empty()) {
        std::string product;
        for (const std::string& component : m_rule) {
            product += component + "/";
        }
        m_listed.insert(Normal(product + relative));
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
    static const std::vector<const char*> pattern = {kAny, kAny, kAny, kClinicalFile};
    if (Matches(pattern, {}, Components(relative))) {
        what = "user-defined file";
        return Layer::kOverride;
    }
    what = "unread file";
    return Layer::kDead;
}

std::string LayerPaths::HomeOf(const std::string& fileName) {
    const std::pair<const char*, std::string> homes[] = {
        {kFileConfigFile, "the resource root"},
        {kBaseFile, "the resource root"},
        {kClinicalBaseFile, std::string(kClinicalDir) + "/"},
        {kGroupFile, "GROUP/"},
        {kProbeFile, "GROUP/PROBE/"},
        {kClinicalFile, "GROUP/PROBE/CLINICAL/ or " + std::string(kClinicalDir) + "/CLINICAL/"},
    };
    for (const auto& [name, home] : homes) {
        if (fileName == name) {
            return home;
        }
    }
    return {};
}
