#include "Selection.h"

#include <corvel/CorvelControl.h>
#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>

#include "api/StoreFactory.h"
#include "binstore/binFileMsgImpl.h"
#include "textstore/NameConstants.h"
#include "textstore/ResourceMsgImp.h"

namespace {

// Selection entries of the binary store, as the parser ranks them.
enum SelectionEntry : size_t {
    kClinicalEntry = 0,
    kProductClinicalEntry = 2,
    kGroupClinicalEntry = 3,
    kProductProbeEntry = 4,
    kProbeEntry = 5,
    kGroupEntry = 6,
};

bool HasLayer(const std::vector<LayerInfo>& layers, const std::string& name) {
    return std::any_of(layers.begin(), layers.end(),
                       [&](const LayerInfo& layer) { return layer.m_name == name; });
}

bool Readable(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error) &&
           static_cast<bool>(std::ifstream(path, std::ios::binary));
}

}  // namespace

std::string LookupName(const std::string& name) {
    std::string result;
    result.reserve(name.size());
    for (const char c : name) {
        if (c != ' ' && c != '\t') {
            result += c;
        }
    }
    return result;
}

void AddSelectionOptions(CLI::App& command, SelectionOptions& options) {
    command
        .add_option("--settings", options.m_settings,
                    "Host settings file (INI); the options below override it")
        ->check(CLI::ExistingFile);
    command.add_option("--root", options.m_root,
                       "Shipped root: the directory that holds dev/ (Path ShippedRoot)");
    command.add_option("--name", options.m_name,
                       "Resource name below dev/ (Product-GeneralSpecification "
                       "QuendelFileName; default Quendel)");
    command.add_option("--user-root", options.m_userRoot,
                       "Root of the user-defined files (Path SystemHQUserDefinedRoot)");
    command.add_option("--product-rule", options.m_productRule,
                       "Product rule directory of the binary store "
                       "(Product-GeneralSpecification QuendelProductRule)");
    command
        .add_option("--store", options.m_store,
                    "text: the .pp files; bin: the resource file (PostProcessing "
                    "UseTxtQuendel)")
        ->check(CLI::IsMember({"text", "bin"}));
    command.add_option("-F,--group", options.m_group, "Group");
    command.add_option("-P,--probe", options.m_probe, "Transducer within the group");
    command.add_option("-A,--clinical", options.m_clinical, "Clinical setting");
    command.add_flag("-v,--verbose", options.m_verbose, "Show the host log lines on stderr");
    command.add_flag("--json", options.m_json, "Machine-readable output");
}

void RouteHostLog(bool verbose) {
    if (verbose) {
        corvel::SetLogSink([](const std::string& line) { std::cerr << line << "\n"; });
    } else {
        corvel::SetLogSink([](const std::string&) {});
    }
}

bool Selection::Open(const SelectionOptions& options, std::string& error) {
    m_options = options;
    if (!options.m_settings.empty()) {
        if (!Readable(options.m_settings)) {
            error = "cannot read the settings file " + options.m_settings;
            return false;
        }
        setenv("CORVEL_SETTINGS", options.m_settings.c_str(), 1);
    }
    // Every selection states its settings in full, so that a second one (diff) starts clean.
    corvel::ClearSettings();
    const auto apply = [](const char* section, const char* key,
                          const std::optional<std::string>& value) {
        if (value) {
            corvel::SetSetting(section, key, *value);
        }
    };
    apply("Path", "ShippedRoot", options.m_root);
    apply("Product-GeneralSpecification", "QuendelFileName", options.m_name);
    apply("Path", "SystemHQUserDefinedRoot", options.m_userRoot);
    apply("Product-GeneralSpecification", "QuendelProductRule", options.m_productRule);
    if (options.m_store) {
        corvel::SetSetting("PostProcessing", "UseTxtQuendel",
                           *options.m_store == "text" ? "true" : "false");
    }

    // The store is built by the library's own rule; the factory only keeps a view of it.
    SetStoreFactory([this](bool useText, const std::string& f, const std::string& p,
                           const std::string& a) -> std::unique_ptr<IResourceMsg> {
        if (useText) {
            auto store = std::make_unique<ResourceMsgImp>(f, p, a);
            m_text = store.get();
            return store;
        }
        auto store = std::make_unique<binFileMsgImpl>(f, p, a);
        m_binary = store.get();
        return store;
    });
    m_quendel.Initial(options.m_group, options.m_probe, options.m_clinical);
    SetStoreFactory(StoreFactory());

    if (m_text != nullptr) {
        m_store = m_text;
        if (m_text->GetLayers().empty()) {
            error = "no parameter file could be read under " + m_text->Root() +
                    " (text store); point --settings or --root at the directory that holds "
                    "dev/";
            return false;
        }
        return true;
    }
    if (m_binary != nullptr) {
        m_store = m_binary;
        const std::string& path = m_binary->BinaryFilePath();
        std::string reason;
        // The catalog reads the file as the store's parser does, so it tells why it failed.
        if (!m_catalog.Open(path, reason) || !m_binary->IsOpen()) {
            std::error_code ignored;
            error = "cannot open the resource file " + path + " (binary store): " +
                    (reason.empty() ? "the store's parser refused it" : reason) +
                    (std::filesystem::exists(path, ignored)
                         ? ""
                         : "; point --settings or --root at the directory that holds dev/, or "
                           "use --store text");
            return false;
        }
        return true;
    }
    error = "the library built no parameter store";
    return false;
}

std::string Selection::Describe() const {
    std::string text = m_text != nullptr ? "text store" : "binary store";
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
    if (m_text != nullptr) {
        return m_text->Root();
    }
    return m_binary != nullptr ? m_binary->BinaryFilePath() : std::string();
}

std::vector<std::string> Selection::Warnings() const {
    const std::string& f = m_options.m_group;
    const std::string& p = m_options.m_probe;
    const std::string& a = m_options.m_clinical;
    std::vector<std::string> warnings;
    if (!p.empty() && f.empty()) {
        warnings.push_back("-P " + p +
                           " is not read without -F: a transducer lives in its "
                           "group's directory");
    }
    bool group = true;
    bool probe = true;
    bool clinical = true;
    if (m_text != nullptr) {
        const std::vector<LayerInfo> layers = m_text->GetLayers();
        group = HasLayer(layers, "group");
        probe = HasLayer(layers, "transducer");
        clinical = HasLayer(layers, "clinical") || HasLayer(layers, "group clinical");
    } else if (m_binary != nullptr && m_binary->SelectionFiles().size() > kGroupEntry) {
        const std::vector<std::string>& files = m_binary->SelectionFiles();
        const auto held = [&](size_t entry) { return m_catalog.HasFile(files[entry]); };
        group = held(kGroupEntry);
        probe = held(kProbeEntry) || held(kProductProbeEntry);
        clinical = held(kClinicalEntry) || held(kGroupClinicalEntry) || held(kProductClinicalEntry);
    }
    if (!f.empty() && !group) {
        warnings.push_back("no group file for -F " + f + " (" + f + "/" + kGroupFile + ")");
    }
    if (!f.empty() && !p.empty() && !probe) {
        warnings.push_back("no transducer file for -P " + p + " (" + f + "/" + p + "/" +
                           kProbeFile + ")");
    }
    if (!a.empty() && !clinical) {
        warnings.push_back("no clinical file for -A " + a + " (" + kClinicalDir + "/" + a + "/" +
                           kClinicalFile +
                           (f.empty() || p.empty() ? "" : " or below " + f + "/" + p + "/") + ")");
    }
    return warnings;
}
