#include "TreeWorkspace.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <system_error>
#include <tuple>
#include <utility>

#include "DocumentUri.h"

namespace fs = std::filesystem;

namespace {

bool SameFindings(const std::vector<LintFinding>& a, const std::vector<LintFinding>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const LintFinding& x, const LintFinding& y) {
                          return std::tie(x.m_line, x.m_column, x.m_rule, x.m_message) ==
                                 std::tie(y.m_line, y.m_column, y.m_rule, y.m_message);
                      });
}

bool Below(const std::string& path, const std::string& dir) {
    if (dir.empty()) {
        return false;
    }
    const std::string prefix = dir.back() == '/' ? dir : dir + "/";
    return path.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

TreeWorkspace::TreeWorkspace(const DocumentStore& documents, ServerLog& log,
                             std::function<void(const std::string&)> report)
    : m_documents(documents), m_log(log), m_report(std::move(report)) {}

void TreeWorkspace::Report(const std::string& problem) {
    m_log.Line(problem);
    if (m_report) {
        m_report(problem);
    }
}

void TreeWorkspace::Configure(const Json& params) {
    std::vector<std::string> problems;
    m_options = ReadTreeOptions(params, problems);
    for (const std::string& problem : problems) {
        Report(problem);
    }
    if (!m_options.m_schema.empty()) {
        LoadSchema(m_options.m_schema);
    }
    m_default = m_options.m_selection;
    m_configured = true;
}

void TreeWorkspace::Changed(const std::string& path) {
    if (!path.empty()) {
        m_pending.insert(path);
    }
}

uint32_t TreeWorkspace::FileOf(const std::string& path) const {
    return m_loaded ? m_tree->FindFile(path) : CheckedTree::kNoFile;
}

bool TreeWorkspace::InTree(const std::string& path) const {
    return fs::path(path).extension() == ".pp" &&
           (Below(path, m_location.m_root) || Below(path, m_location.m_userDir));
}

std::shared_ptr<const FileLint> TreeWorkspace::Read(const std::string& path,
                                                    std::string& error) const {
    if (const std::string* text = m_documents.OpenText(path)) {
        return std::make_shared<const FileLint>(LintText(*text, path));
    }
    auto lint = std::make_shared<FileLint>();
    if (!LintFile(path, *lint, error)) {
        return nullptr;
    }
    return lint;
}

void TreeWorkspace::LoadSchema(const std::string& path) {
    auto schema = std::make_unique<SchemaFacts>();
    std::vector<std::string> problems;
    if (!schema->Load(path, problems)) {
        for (const std::string& problem : problems) {
            Report("quendel: " + problem);
        }
        Report("quendel: the schema " + path + " is not used: answers go without its facts");
        return;
    }
    m_log.Line("read the schema " + path);
    m_schema = std::move(schema);
}

std::vector<LintFinding> TreeWorkspace::FindingsOf(uint32_t file) const {
    std::vector<LintFinding> findings = m_tree->FindingsOf(file);
    const std::shared_ptr<const FileLint>& lint = m_tree->Files()[file].m_lint;
    if (m_schema != nullptr && lint != nullptr) {
        std::vector<LintFinding> more = m_schema->Check(*lint);
        findings.insert(findings.end(), std::make_move_iterator(more.begin()),
                        std::make_move_iterator(more.end()));
        std::sort(findings.begin(), findings.end(), FindingBefore);
    }
    return findings;
}

void TreeWorkspace::Load(const std::string& openedPath) {
    bool textStore = true;
    std::string error;
    if (!LocateTree(m_options, openedPath, m_location, textStore, error)) {
        if (!error.empty()) {
            Report("quendel: " + error + "; the files are checked each on its own");
            m_failed = true;
        }
        return;
    }
    if (m_options.m_schema.empty() && m_schema == nullptr) {
        std::string beside = m_location.m_root;
        while (!beside.empty() && beside.back() == '/') {
            beside.pop_back();
        }
        std::error_code ignored;
        if (!beside.empty() && fs::is_regular_file(beside + ".schema.json", ignored)) {
            LoadSchema(beside + ".schema.json");
        }
    }
    const auto start = std::chrono::steady_clock::now();
    auto tree = std::make_unique<CheckedTree>();
    std::vector<std::string> unread;
    const FileReader reader = [this](const std::string& path, std::string& readError) {
        return Read(path, readError);
    };
    if (!tree->Load(m_location, reader, true, unread, error)) {
        Report("quendel: " + error + "; the files are checked each on its own");
        m_failed = true;
        return;
    }
    for (const std::string& problem : unread) {
        m_log.Line(problem);
    }
    m_tree = std::move(tree);
    m_loaded = true;
    const TreeModel& model = m_tree->Model();
    m_binary = !textStore && std::any_of(model.Selections().begin(), model.Selections().end(),
                                         [](const ModelSelection& selection) {
                                             return selection.m_store == StoreKind::kBinary;
                                         });
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    m_log.Line("read the tree at " + m_location.m_root + ": " +
               std::to_string(m_tree->Files().size()) + " files, " +
               std::to_string(model.Offered().size()) + " selections, in " +
               std::to_string(took.count()) + " ms");
    if (!textStore && !m_binary) {
        m_log.Line(
            "without a product rule the binary store reads the files the text store "
            "reads: the answers are the text store's");
    }
}

std::vector<std::string> TreeWorkspace::TakeTouched() {
    std::vector<std::string> touched(m_touched.begin(), m_touched.end());
    m_touched.clear();
    return touched;
}

void TreeWorkspace::Sync() {
    std::vector<std::string> touched;
    if (!m_configured) {
        return;
    }
    if (!m_loaded) {
        if (!m_failed) {
            std::string opened;
            for (const std::string& path : m_pending) {
                if (m_documents.OpenFile(path) != nullptr) {
                    opened = path;
                    break;
                }
            }
            Load(opened);
        }
        if (m_loaded) {
            for (const auto& [uri, document] : m_documents.Documents()) {
                if (!document.Path().empty() && FileOf(document.Path()) != CheckedTree::kNoFile) {
                    touched.push_back(document.Path());
                }
            }
        }
        m_pending.clear();
        m_touched.insert(touched.begin(), touched.end());
        return;
    }
    bool reload = false;
    std::vector<uint32_t> files;
    for (const std::string& path : m_pending) {
        const uint32_t file = FileOf(path);
        std::error_code error;
        if (file == CheckedTree::kNoFile) {
            // A new file at a layer path may change what the tree reads.
            reload = reload || (InTree(path) && (m_documents.OpenFile(path) != nullptr ||
                                                 fs::is_regular_file(path, error)));
            continue;
        }
        std::string readError;
        std::shared_ptr<const FileLint> lint = Read(path, readError);
        if (lint == nullptr || !m_tree->Replace(file, std::move(lint), files)) {
            reload = true;
        }
    }
    m_pending.clear();
    for (const uint32_t file : files) {
        touched.push_back(m_tree->Files()[file].m_path);
    }
    if (reload) {
        Reload(touched);
    }
    m_touched.insert(touched.begin(), touched.end());
}

// Reads the tree again, keeping what was read of the files whose text did not change; every
// file whose findings differ afterwards is touched.
bool TreeWorkspace::Reload(std::vector<std::string>& touched) {
    std::map<std::string, std::vector<LintFinding>> before;
    std::map<std::string, std::shared_ptr<const FileLint>> kept;
    for (uint32_t file = 0; file < m_tree->Files().size(); ++file) {
        const CheckedTree::File& checked = m_tree->Files()[file];
        before.emplace(checked.m_path, m_tree->FindingsOf(file));
        if (checked.m_lint != nullptr && m_documents.OpenFile(checked.m_path) == nullptr) {
            kept.emplace(checked.m_path, checked.m_lint);
        }
    }
    const auto start = std::chrono::steady_clock::now();
    auto tree = std::make_unique<CheckedTree>();
    std::vector<std::string> unread;
    std::string error;
    const FileReader reader = [&](const std::string& path, std::string& readError) {
        const auto it = kept.find(path);
        return it != kept.end() && m_documents.OpenFile(path) == nullptr ? it->second
                                                                         : Read(path, readError);
    };
    if (!tree->Load(m_location, reader, true, unread, error)) {
        Report("quendel: " + error + "; the files are checked each on its own");
        for (const auto& [path, findings] : before) {
            touched.push_back(path);
        }
        m_tree.reset();
        m_loaded = false;
        m_failed = true;
        return false;
    }
    m_tree = std::move(tree);
    for (uint32_t file = 0; file < m_tree->Files().size(); ++file) {
        const std::string& path = m_tree->Files()[file].m_path;
        const auto old = before.find(path);
        if (old == before.end() || !SameFindings(old->second, m_tree->FindingsOf(file))) {
            touched.push_back(path);
        }
        if (old != before.end()) {
            before.erase(old);
        }
    }
    for (const auto& [path, findings] : before) {
        touched.push_back(path);  // gone from the tree
    }
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    m_log.Line("read the tree again (what it reads changed) in " + std::to_string(took.count()) +
               " ms");
    return true;
}

size_t TreeWorkspace::SelectionFor(uint32_t file) const {
    if (!m_loaded) {
        return kNoSelection;
    }
    const TreeModel& model = m_tree->Model();
    const StoreKind kind = m_binary ? StoreKind::kBinary : StoreKind::kText;
    const auto score = [&](size_t s) {
        const ModelSelection& selection = model.Selections()[s];
        return (selection.m_group == m_default.m_group ? 4 : 0) +
               (selection.m_probe == m_default.m_probe ? 2 : 0) +
               (selection.m_clinical == m_default.m_clinical ? 1 : 0);
    };
    size_t best = kNoSelection;
    int bestScore = -1;
    const auto consider = [&](size_t s) {
        if (model.Selections()[s].m_store == kind && score(s) > bestScore) {
            best = s;
            bestScore = score(s);
        }
    };
    const uint32_t modelFile =
        file < m_tree->Files().size() ? m_tree->Files()[file].m_modelFile : TreeModel::kNoFile;
    if (modelFile != TreeModel::kNoFile) {
        for (const Reading& reading : model.Readers(modelFile)) {
            consider(reading.m_selection);
        }
    }
    // A file no selection reads is answered for the default selection.
    if (best == kNoSelection) {
        for (size_t s = 0; s < model.Selections().size(); ++s) {
            consider(s);
        }
    }
    return best;
}

std::string TreeWorkspace::DescribeSelection(size_t selection) const {
    const ModelSelection& chosen = m_tree->Model().Selections()[selection];
    return chosen.m_group + " / " + chosen.m_probe + " / " + chosen.m_clinical + ", " +
           (chosen.m_store == StoreKind::kText
                ? "text store"
                : "binary store" +
                      (chosen.m_product.empty() ? "" : ", product " + chosen.m_product));
}

bool TreeWorkspace::SetDefaultSelection(const SelectionName& wanted, std::string& error) {
    SelectionName chosen = m_default;
    const auto take = [](std::string& part, const std::string& given) {
        if (!given.empty()) {
            part = given;
        }
    };
    take(chosen.m_group, wanted.m_group);
    take(chosen.m_probe, wanted.m_probe);
    take(chosen.m_clinical, wanted.m_clinical);
    if (m_loaded) {
        const auto& offered = m_tree->Model().Offered();
        const bool known = std::any_of(offered.begin(), offered.end(), [&](const SelectionName& s) {
            return (chosen.m_group.empty() || s.m_group == chosen.m_group) &&
                   (chosen.m_probe.empty() || s.m_probe == chosen.m_probe) &&
                   (chosen.m_clinical.empty() || s.m_clinical == chosen.m_clinical);
        });
        if (!known) {
            error = "the tree offers no selection " + chosen.m_group + " / " + chosen.m_probe +
                    " / " + chosen.m_clinical;
            return false;
        }
    }
    m_default = std::move(chosen);
    return true;
}
