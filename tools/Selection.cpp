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
#include "textstore/FileSet.h"
#include "textstore/ResourceMsgImp.h"

namespace {

bool HasLayer(const std::vector<LayerInfo>& layers, const std::string& name) {
    return std::any_of(layers.begin(), layers.end(),
                       [&](const LayerInfo& layer) { return layer.m_name == name; });
}

constexpr char kPointAtRoot[] = "; point --settings or --root at the directory that holds dev/";

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

void AddLocationOptions(CLI::App& command, SelectionOptions& options) {
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
}

void AddTreeOptions(CLI::App& command, SelectionOptions& options) {
    AddLocationOptions(command, options);
    command
        .add_option("--store", options.m_store,
                    "text: the .pp files; bin: the resource file (PostProcessing "
                    "UseTxtQuendel)")
        ->check(CLI::IsMember({"text", "bin"}));
    command.add_flag("-v,--verbose", options.m_verbose, "Show the host log lines on stderr");
    command.add_flag("--json", options.m_json, "Machine-readable output");
}

void AddSelectionOptions(CLI::App& command, SelectionOptions& options) {
    AddTreeOptions(command, options);
    command.add_option("-F,--group", options.m_group, "Group");
    command.add_option("-P,--probe", options.m_probe, "Transducer within the group");
    command.add_option("-A,--clinical", options.m_clinical, "Clinical setting");
    command.add_flag("--strict", options.m_strict,
                     "A missing base file, or a selected level without its file, is an error");
}

void RouteHostLog(bool verbose) {
    if (verbose) {
        corvel::SetLogSink([](const std::string& line) { std::cerr << line << "\n"; });
    } else {
        corvel::SetLogSink([](const std::string&) {});
    }
}

bool ApplySettings(const SelectionOptions& options, std::string& error) {
    if (!options.m_settings.empty()) {
        if (!Readable(options.m_settings)) {
            error = "cannot read the settings file " + options.m_settings;
            return false;
        }
        setenv("CORVEL_SETTINGS", options.m_settings.c_str(), 1);
    }
    // Every selection states its settings in full, so that a second one (diff) starts clean.
    corvel::ClearSettings();
    const auto apply = [](const HostSetting& setting, const std::optional<std::string>& value) {
        if (value) {
            corvel::SetSetting(setting.m_section, setting.m_key, *value);
        }
    };
    apply(FileSet::kShippedRoot, options.m_root);
    apply(FileSet::kResourceName, options.m_name);
    apply(FileSet::kUserDefinedRoot, options.m_userRoot);
    apply(FileSet::kProductRule, options.m_productRule);
    if (options.m_store) {
        apply(FileSet::kUseTextStore, *options.m_store == "text" ? "true" : "false");
    }
    return true;
}

bool Selection::Build(const SelectionOptions& options, std::string& error) {
    m_options = options;
    if (!ApplySettings(options, error)) {
        return false;
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

    m_store = m_text != nullptr ? static_cast<IResourceMsg*>(m_text) : m_binary;
    if (m_store == nullptr) {
        error = "the library built no parameter store";
        return false;
    }
    if (m_binary != nullptr) {
        const std::string& path = m_binary->BinaryFilePath();
        std::string reason;
        // The catalog reads the file as the store's parser does, so it tells why it failed.
        if (!m_catalog.Open(path, reason) || !m_binary->IsOpen()) {
            std::error_code ignored;
            error = "cannot open the resource file " + path + " (binary store): " +
                    (reason.empty() ? "the store's parser refused it" : reason) +
                    (std::filesystem::exists(path, ignored)
                         ? ""
                         : kPointAtRoot + std::string(", or use --store text"));
            return false;
        }
    }
    return true;
}

bool Selection::Open(const SelectionOptions& options, std::string& error) {
    if (!Build(options, error)) {
        return false;
    }
    if (m_text != nullptr && m_text->GetLayers().empty()) {
        error = "no parameter file could be read under " + m_text->Root() + " (text store)" +
                kPointAtRoot;
        return false;
    }
    return true;
}

bool Selection::OpenTree(const SelectionOptions& options, std::string& error) {
    if (!Build(options, error)) {
        return false;
    }
    std::error_code code;
    if (m_text != nullptr && !std::filesystem::is_directory(m_text->Root(), code)) {
        error = "no directory " + m_text->Root() + " (text store)" + kPointAtRoot;
        return false;
    }
    return true;
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
    // Whether the library found each file, and where it looked.
    bool base = true;
    bool group = true;
    bool probe = true;
    bool clinical = true;
    std::string basePath, groupPath, probePath, clinicalPaths, where;
    if (m_text != nullptr) {
        const std::vector<LayerInfo> layers = m_text->GetLayers();
        const std::string& root = m_text->Root();
        base = HasLayer(layers, "base");
        group = HasLayer(layers, "group");
        probe = HasLayer(layers, "transducer");
        clinical = HasLayer(layers, "clinical") || HasLayer(layers, "group clinical");
        basePath = FileSet::BaseFile(root);
        groupPath = FileSet::GroupFile(root, f);
        probePath = FileSet::ProbeFile(root, f, p);
        clinicalPaths =
            FileSet::ClinicalFile(root, a) +
            (f.empty() || p.empty() ? "" : " or " + FileSet::GroupClinicalFile(root, f, p, a));
    } else if (m_binary != nullptr) {
        const auto held = [&](const std::string& file) { return m_catalog.HasFile(file); };
        where = " in " + m_binary->BinaryFilePath();
        const std::vector<std::string>& bases = m_binary->BaseFiles();
        basePath = bases.empty() ? FileSet::BaseFile(m_binary->DirPrefix()) : bases.front();
        base = held(basePath);
        const std::vector<std::string>& files = m_binary->SelectionFiles();
        if (files.size() == kSelectionSlots) {
            group = held(files[kGroupSlot]);
            probe = held(files[kProbeSlot]) || held(files[kProductProbeSlot]);
            clinical = held(files[kClinicalSlot]) || held(files[kGroupClinicalSlot]) ||
                       held(files[kProductGroupClinicalSlot]);
            groupPath = files[kGroupSlot];
            probePath = files[kProbeSlot];
            clinicalPaths =
                files[kClinicalSlot] +
                (files[kGroupClinicalSlot].empty() ? "" : " or " + files[kGroupClinicalSlot]);
        }
    }
    if (!base) {
        problems.push_back("no base file " + basePath + where);
    }
    if (!f.empty() && !group) {
        problems.push_back("no group file for -F " + f + ": " + groupPath + where);
    }
    if (!f.empty() && !p.empty() && !probe) {
        problems.push_back("no transducer file for -P " + p + ": " + probePath + where);
    }
    if (!a.empty() && !clinical) {
        problems.push_back("no clinical file for -A " + a + ": " + clinicalPaths + where);
    }
    return problems;
}
