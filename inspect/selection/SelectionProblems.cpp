// What a selection misses: every file it should read that the library did not find or could not
// read, each with the path looked for, and where a selector names nothing in the tree, the near
// one the tree offers.
#include <memory>

#include "inspect/lint/NameSuggestion.h"
#include "inspect/report/SelectionListing.h"
#include "inspect/selection/Selection.h"

namespace {

// The names the tree offers for each selector: groups, the transducers of the group selected,
// the clinical settings under "Clns" and of the transducer selected.
struct OfferedNames {
    std::vector<std::string> m_groups;
    std::vector<std::string> m_probes;
    std::vector<std::string> m_clinical;
    std::vector<std::string> m_products;
};

OfferedNames Offered(const Selection& selection) {
    OfferedNames offered;
    TreeListing listing;
    std::vector<std::string> ignored;
    std::string error;
    if (!ListSelection(selection, listing, ignored, error)) {
        return offered;
    }
    const SelectionOptions& options = selection.Options();
    offered.m_clinical = listing.m_clinical;
    for (const GroupListing& group : listing.m_groups) {
        offered.m_groups.push_back(group.m_name);
        for (const TransducerListing& transducer : group.m_transducers) {
            for (const TransducerListing& product : transducer.m_products) {
                offered.m_products.push_back(product.m_name);
            }
            if (group.m_name != options.m_group) {
                continue;
            }
            offered.m_probes.push_back(transducer.m_name);
            if (transducer.m_name == options.m_probe) {
                offered.m_clinical.insert(offered.m_clinical.end(), transducer.m_clinical.begin(),
                                          transducer.m_clinical.end());
            }
        }
    }
    for (const ProductFiles& product : listing.m_products) {
        offered.m_products.push_back(product.m_name);
    }
    return offered;
}

std::string DidYouMean(const std::vector<std::string>& names, const std::string& asked,
                       const char* option) {
    const std::string near = NearestName(names, asked);
    return near.empty() ? std::string()
                        : " (did you mean " + std::string(option) + " " + near + "?)";
}

bool IsListed(const FileReading& reading) {
    return reading.m_layer.rfind("File", 0) == 0 || reading.m_layer.rfind("listed", 0) == 0;
}

const char* StateText(FileState state) {
    switch (state) {
        case FileState::kMissing:
            return "is missing";
        case FileState::kUnreadable:
            return "cannot be read";
        case FileState::kNotRegular:
            return "is not a regular file";
        case FileState::kRead:
        case FileState::kRedirected:
            break;
    }
    return "is read";
}

}  // namespace

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
    // The tree is listed only when a selector misses, for its near names.
    std::unique_ptr<OfferedNames> offered;
    const auto names = [&]() -> const OfferedNames& {
        if (!offered) {
            offered = std::make_unique<OfferedNames>(Offered(*this));
        }
        return *offered;
    };
    const std::vector<FileReading> readings = m_provenance->GetReadings(false);
    // A level's file that is there but cannot be read is named so, not taken for a misspelling.
    const auto level = [&](const std::string& what, const LevelFiles& files, const char* option,
                           const std::string& selector, const std::vector<std::string>& near) {
        const std::string named =
            option == nullptr ? what : what + " for " + option + " " + selector;
        for (const std::string& path : files.m_paths) {
            for (const FileReading& reading : readings) {
                if (reading.m_path == path && (reading.m_state == FileState::kUnreadable ||
                                               reading.m_state == FileState::kNotRegular)) {
                    problems.push_back(named + " " + StateText(reading.m_state) + " (" +
                                       reading.m_detail + "): " + path + where);
                    return;
                }
            }
        }
        problems.push_back("no " + named + (option == nullptr ? " " : ": ") + paths(files) +
                           (option == nullptr ? "" : DidYouMean(near, selector, option)));
    };
    if (!check.m_base.m_found) {
        level("base file", check.m_base, nullptr, "", {});
    }
    for (const FileReading& reading : readings) {
        if (IsListed(reading) && reading.m_state != FileState::kRead &&
            reading.m_state != FileState::kRedirected) {
            const std::string entry =
                reading.m_layer.rfind("File", 0) == 0 ? " " + reading.m_layer : std::string();
            problems.push_back("listed file" + entry + " " + StateText(reading.m_state) +
                               (reading.m_detail.empty() ? "" : " (" + reading.m_detail + ")") +
                               ": " + reading.m_path + where);
        }
    }
    if (!check.m_productRuleFound) {
        std::string rule = check.m_productRule;
        if (!rule.empty() && rule.back() == '/') {
            rule.pop_back();
        }
        problems.push_back("no product rule directory " + rule + where +
                           ": the common files are read instead" +
                           DidYouMean(names().m_products, rule, "--product-rule"));
    }
    if (!f.empty() && !check.m_group.m_found) {
        level("group file", check.m_group, "-F", f, names().m_groups);
    }
    if (!f.empty() && !p.empty() && !check.m_probe.m_found) {
        level("transducer file", check.m_probe, "-P", p, names().m_probes);
    }
    if (!a.empty() && !check.m_clinical.m_found) {
        level("clinical file", check.m_clinical, "-A", a, names().m_clinical);
    }
    return problems;
}
