#include "inspect/lint/TreeLint.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <system_error>
#include <unordered_map>
#include <utility>

#include "fileset/FileSet.h"
#include "inspect/lint/LintRules.h"
#include "inspect/lint/NameSuggestion.h"
#include "inspect/lint/OverrideReach.h"
#include "inspect/lint/ValueShape.h"
#include "inspect/matrix/TreeModel.h"
#include "inspect/report/NumberFit.h"
#include "inspect/tree/LayerPaths.h"
#include "inspect/tree/ParamFileWalk.h"
#include "resource/StringOps.h"

namespace fs = std::filesystem;

namespace {

struct TreeFile {
    std::string m_path;      // as reported
    std::string m_relative;  // below its tree, "/"-separated
    Layer m_layer = Layer::kDead;
    std::string m_what;
    const char* m_kind = nullptr;  // what it is when not a regular file
    bool m_directory = false;      // a directory named "*.pp", reported only at a layer path
};

// The base-level value of one entry: the one a query would get if no override set it.
struct Definition {
    ValueShape m_shape;
    std::string m_value;   // quoted for messages
    std::string m_origin;  // "ImgResBase.pp:4"
    // Files other than the defining one that give a list the same or another element count.
    size_t m_sameCounts = 0;
    size_t m_otherCounts = 0;
};

struct SectionDefinitions {
    std::unordered_map<std::string, Definition> m_keys;
    std::unique_ptr<NameSuggestion> m_suggestion;  // built at the first unknown key
};

// An override whose list has another element count than the base-level value; reported once
// every file is read, when it is the only file that differs and another file agrees with the
// base-level count (a list set by the base and one override alone may well vary in length).
struct CountDeviant {
    const Definition* m_definition;
    LintFinding m_finding;
    size_t m_count;
    bool m_reported;  // false for a base-level file, or a finding silenced on its line
};

std::string Normal(const std::string& path) {
    return fs::path(path).lexically_normal().generic_string();
}

// Every ".pp" file below dir in path order, with its path relative to dir.
void Walk(const std::string& dir, std::vector<TreeFile>& files, std::vector<std::string>& errors) {
    const ParamFileWalk walk = WalkParamFiles(dir);
    const size_t first = files.size();
    for (const auto* list : {&walk.m_files, &walk.m_notRegular, &walk.m_directories}) {
        for (const ParamFileEntry& found : *list) {
            TreeFile file;
            file.m_path = fs::path(found.m_path).lexically_normal().generic_string();
            file.m_relative = found.m_relative;
            file.m_kind = found.m_kind;
            file.m_directory = list == &walk.m_directories;
            files.push_back(std::move(file));
        }
    }
    std::sort(files.begin() + static_cast<std::ptrdiff_t>(first), files.end(),
              [](const TreeFile& a, const TreeFile& b) { return a.m_relative < b.m_relative; });
    if (walk.m_error) {
        errors.push_back("cannot read the directory " + dir + ": " + walk.m_error.message());
    }
}

class LayerChecks {
  public:
    // A base-level file, in precedence order: its values count only where no file before it
    // set the entry.
    void AddBase(const FileLint& lint, const std::string& relative) {
        std::vector<SectionDefinitions*> sections;
        for (const std::string& path : lint.m_sections) {
            sections.push_back(&m_sections[path]);
        }
        for (const LintEntry& entry : lint.m_entries) {
            if (!entry.m_live) {
                continue;
            }
            const auto [it, added] = sections[entry.m_section]->m_keys.try_emplace(entry.m_key);
            Definition& definition = it->second;
            if (added) {
                definition.m_shape = ShapeOf(entry.m_value);
                definition.m_value = QuoteText(entry.m_value);
                definition.m_origin = relative + ":" + std::to_string(entry.m_line);
            } else {
                CheckCount(definition, lint, entry, false);
            }
        }
    }

    void CheckOverride(const FileLint& lint, std::vector<LintFinding>& findings) {
        // An entry that a finding of its own file already explains is not reported again.
        std::vector<std::pair<size_t, size_t>> flagged;
        for (const LintFinding& finding : lint.m_findings) {
            flagged.emplace_back(finding.m_line, finding.m_column);
        }
        std::sort(flagged.begin(), flagged.end());
        std::vector<SectionDefinitions*> sections;
        for (const std::string& path : lint.m_sections) {
            const auto it = m_sections.find(path);
            sections.push_back(it == m_sections.end() ? nullptr : &it->second);
        }
        std::string buffer;
        for (const LintEntry& entry : lint.m_entries) {
            if (!entry.m_live || std::binary_search(flagged.begin(), flagged.end(),
                                                    std::make_pair(entry.m_line, entry.m_column))) {
                continue;
            }
            const std::string& section = lint.m_sections[entry.m_section];
            const std::string& key = LookupName(entry.m_key, buffer);
            SectionDefinitions* definitions = sections[entry.m_section];
            Definition* found = definitions == nullptr ? nullptr : Find(*definitions, key);
            if (definitions == nullptr) {
                Report(lint, entry, rule::kUnknownOverride,
                       "no base-level file defines section " + QuoteText(section) +
                           ": this override of " + QuoteText(key) + " changes nothing" +
                           SectionHint(section, key),
                       findings);
            } else if (found == nullptr) {
                const std::string nearest = Suggestion(*definitions).Nearest(key);
                Report(lint, entry, rule::kUnknownOverride,
                       "no base-level file defines " + QuoteText(key) + " in section " +
                           QuoteText(section) + ": this override changes nothing" +
                           (nearest.empty() ? "" : " (did you mean " + QuoteText(nearest) + "?)"),
                       findings);
            } else {
                CheckValue(*found, lint, entry, findings);
            }
        }
    }

    // The element counts are known once every file is read.
    void Finish(std::vector<LintFinding>& findings) {
        for (CountDeviant& deviant : m_deviants) {
            const Definition& definition = *deviant.m_definition;
            if (deviant.m_reported && definition.m_otherCounts == 1 &&
                definition.m_sameCounts > 0) {
                deviant.m_finding.m_message =
                    "list of " + std::to_string(deviant.m_count) +
                    " elements, where every other file that sets it has " +
                    std::to_string(definition.m_shape.m_count) + ", as the base-level value (" +
                    definition.m_origin + ") does: a query with a default of " +
                    std::to_string(definition.m_shape.m_count) + " elements gets " +
                    (deviant.m_count < definition.m_shape.m_count ? "the rest from the default"
                                                                  : "more than it asks for");
                findings.push_back(std::move(deviant.m_finding));
            }
        }
        m_deviants.clear();
    }

  private:
    static Definition* Find(SectionDefinitions& definitions, const std::string& key) {
        const auto it = definitions.m_keys.find(key);
        return it == definitions.m_keys.end() ? nullptr : &it->second;
    }

    static NameSuggestion& Suggestion(SectionDefinitions& definitions) {
        if (!definitions.m_suggestion) {
            definitions.m_suggestion = std::make_unique<NameSuggestion>();
            for (const auto& [key, definition] : definitions.m_keys) {
                definitions.m_suggestion->Add(key);
            }
        }
        return *definitions.m_suggestion;
    }

    // A section and a key are suggested separately: "<Gian> MasterGain" suggests "Gain" alone.
    std::string SectionHint(const std::string& section, const std::string& key) {
        if (!m_sectionSuggestion) {
            m_sectionSuggestion = std::make_unique<NameSuggestion>();
            for (const auto& [path, definitions] : m_sections) {
                m_sectionSuggestion->Add(path);
            }
        }
        const std::string nearest = m_sectionSuggestion->Nearest(section);
        if (nearest.empty()) {
            return {};
        }
        SectionDefinitions& definitions = m_sections[nearest];
        const std::string nearestKey =
            Find(definitions, key) == nullptr ? Suggestion(definitions).Nearest(key) : "";
        return " (did you mean section " + QuoteText(nearest) +
               (nearestKey.empty() ? "" : " and key " + QuoteText(nearestKey)) + "?)";
    }

    void CheckValue(Definition& definition, const FileLint& lint, const LintEntry& entry,
                    std::vector<LintFinding>& findings) {
        size_t count = 0;
        if (!ReadsAs(definition.m_shape.m_kind, entry.m_value, count)) {
            const std::string kind = KindName(definition.m_shape.m_kind);
            Report(lint, entry, rule::kTypeMismatch,
                   "value " + QuoteText(entry.m_value) + " does not read as " + kind +
                       ", unlike the base-level value " + definition.m_value + " (" +
                       definition.m_origin + "): a query for " + kind + " gets its default",
                   findings);
            return;
        }
        CheckNumber(definition, lint, entry, findings);
        CheckCount(definition, lint, entry, true);
    }

    // A number that a query of the base-level value's type reads other than it is written: an
    // int beyond its range or with a fraction, a decimal beyond a float, an empty value. Lists
    // element by element; the first such element is reported.
    static void CheckNumber(const Definition& definition, const FileLint& lint,
                            const LintEntry& entry, std::vector<LintFinding>& findings) {
        const ValueKind kind = definition.m_shape.m_kind;
        const bool ints = kind == ValueKind::kInt || kind == ValueKind::kIntList;
        if (!ints && kind != ValueKind::kDecimal && kind != ValueKind::kDecimalList) {
            return;
        }
        const NumberQuery query = ints ? NumberQuery::kInt : NumberQuery::kFloat;
        NumberFit fit;
        std::string element;
        if (!IsList(kind)) {
            fit = FitNumber(query, entry.m_value);
        } else {
            size_t index = 0;
            ForEachToken(entry.m_value, ", ", [&](std::string_view token) {
                fit = FitNumber(query, std::string(token));
                if (fit.m_misfit == NumberMisfit::kNone) {
                    ++index;
                    return true;
                }
                element = " (element " + std::to_string(index) + ")";
                return false;
            });
        }
        const char* rule = fit.m_misfit == NumberMisfit::kOutOfRange    ? rule::kOutOfRange
                           : fit.m_misfit == NumberMisfit::kFractionCut ? rule::kFractionCut
                           : fit.m_misfit == NumberMisfit::kEmpty       ? rule::kEmptyNumber
                                                                        : nullptr;
        if (rule != nullptr) {
            Report(lint, entry, rule,
                   "value " + QuoteText(entry.m_value) + element + " " + fit.m_message +
                       ", where the base-level value " + definition.m_value + " (" +
                       definition.m_origin + ") is " + KindName(kind),
                   findings);
        }
    }

    void CheckCount(Definition& definition, const FileLint& lint, const LintEntry& entry,
                    bool override) {
        size_t count = 0;
        if (!IsList(definition.m_shape.m_kind) ||
            !ReadsAs(definition.m_shape.m_kind, entry.m_value, count)) {
            return;
        }
        if (count == definition.m_shape.m_count) {
            ++definition.m_sameCounts;
            return;
        }
        ++definition.m_otherCounts;
        m_deviants.push_back(CountDeviant{
            &definition,
            LintFinding{lint.m_path, entry.m_line, entry.m_column, rule::kTypeMismatch, {}}, count,
            override && !lint.Silenced(entry.m_line, rule::kTypeMismatch)});
    }

    static void Report(const FileLint& lint, const LintEntry& entry, const char* rule,
                       std::string message, std::vector<LintFinding>& findings) {
        if (!lint.Silenced(entry.m_line, rule)) {
            findings.push_back(
                LintFinding{lint.m_path, entry.m_line, entry.m_column, rule, std::move(message)});
        }
    }

    std::unordered_map<std::string, SectionDefinitions> m_sections;
    std::unique_ptr<NameSuggestion> m_sectionSuggestion;  // built at the first unknown section
    std::vector<CountDeviant> m_deviants;
};

// The base-level files in the order of their precedence: clinical base, base, the listed files
// in their order, then the product files the binary store takes instead.
std::vector<TreeFile*> BaseLevelOrder(std::vector<TreeFile>& files,
                                      const std::vector<std::string>& listed) {
    std::map<std::string, TreeFile*> byPath;
    for (TreeFile& file : files) {
        if (file.m_layer == Layer::kBase) {
            byPath.emplace(Normal(file.m_relative), &file);
        }
    }
    std::vector<TreeFile*> order;
    const auto take = [&](const std::string& relative) {
        const auto it = byPath.find(Normal(relative));
        if (it != byPath.end()) {
            order.push_back(it->second);
            byPath.erase(it);
        }
    };
    take(FileSet::ClinicalBaseFile(""));
    take(FileSet::BaseFile(""));
    for (const std::string& relative : listed) {
        take(relative);
    }
    for (TreeFile& file : files) {
        if (byPath.count(Normal(file.m_relative)) != 0) {
            take(file.m_relative);
        }
    }
    return order;
}

}  // namespace

bool LintTree(const TreeLocation& tree, TreeLint& result, std::string& error,
              bool acrossSelections) {
    std::error_code fsError;
    if (!fs::is_directory(tree.m_root, fsError)) {
        error = "no parameter tree at " + tree.m_root +
                " (not a directory); point --settings or --root at the directory that holds dev/";
        return false;
    }
    std::vector<TreeFile> files;
    Walk(tree.m_root, files, result.m_errors);
    const size_t shipped = files.size();
    // A user-defined tree inside the resource root is walked with it already.
    const std::string userDir = fs::weakly_canonical(tree.m_userDir, fsError).generic_string();
    const std::string rootDir = fs::weakly_canonical(tree.m_root, fsError).generic_string();
    if (!tree.m_userDir.empty() && fs::is_directory(tree.m_userDir, fsError) &&
        (userDir + "/").rfind(rootDir + "/", 0) != 0) {
        Walk(tree.m_userDir, files, result.m_errors);
    }

    // Every file is read and linted once; the model of every selection takes over the files
    // that some selection reads.
    std::unordered_map<std::string, FileLint> lints;
    for (const TreeFile& file : files) {
        if (!file.m_directory) {
            result.m_files.push_back(file.m_path);
        }
        if (file.m_kind != nullptr) {
            continue;  // not a regular file: not read, by lint as by the stores
        }
        FileLint lint;
        std::string readError;
        if (!LintFile(file.m_path, lint, readError)) {
            result.m_errors.push_back(readError);
            continue;
        }
        result.m_findings.insert(result.m_findings.end(), lint.m_findings.begin(),
                                 lint.m_findings.end());
        lints.emplace(file.m_path, std::move(lint));
    }
    TreeModel model;
    std::vector<std::string> unread;
    ModelSource source;
    source.m_packed = true;
    source.m_reader = [&](const std::string& path,
                          std::string&) -> std::shared_ptr<const FileLint> {
        const auto it = lints.find(path);
        if (it == lints.end()) {
            return nullptr;  // unreadable, reported above, or outside the tree
        }
        auto lint = std::make_shared<const FileLint>(std::move(it->second));
        lints.erase(it);
        return lint;
    };
    if (acrossSelections && !model.LoadText(tree, source, unread, error)) {
        return false;
    }
    const auto lintOf = [&](const TreeFile& file) -> const FileLint* {
        const uint32_t id = model.FindFile(file.m_path);
        if (id != TreeModel::kNoFile) {
            return &model.Files()[id].Lint();
        }
        const auto it = lints.find(file.m_path);
        return it == lints.end() ? nullptr : &it->second;
    };

    // The file configuration first: the files it lists are base-level files.
    LayerPaths layers(tree.m_productRule);
    std::vector<std::string> listed;
    const auto config = std::find_if(files.begin(), files.begin() + shipped, [](const TreeFile& f) {
        return f.m_relative == FileSet::FileConfigFile("") && f.m_kind == nullptr;
    });
    if (config != files.begin() + shipped) {
        if (const FileLint* configLint = lintOf(*config)) {
            for (const LintEntry* entry : ListedFileEntries(*configLint)) {
                listed.push_back(entry->m_value);
                layers.AddListed(entry->m_value);
            }
        }
    }
    for (size_t i = 0; i < files.size(); ++i) {
        TreeFile& file = files[i];
        file.m_layer = i < shipped ? layers.Classify(file.m_relative, file.m_what)
                                   : LayerPaths::ClassifyUserDefined(file.m_relative, file.m_what);
    }

    // A path that is not a regular file is not read, by lint as by the stores.
    for (TreeFile& file : files) {
        if (file.m_kind != nullptr) {
            if (!file.m_directory || file.m_layer != Layer::kDead) {
                result.m_findings.push_back(NotRegularFinding(
                    file.m_path, file.m_kind, file.m_layer == Layer::kDead ? "" : file.m_what));
            }
            file.m_layer = Layer::kDead;  // checked no further
        }
    }
    LayerChecks checks;
    for (const TreeFile* file : BaseLevelOrder(files, listed)) {
        if (const FileLint* base = lintOf(*file)) {
            checks.AddBase(*base, file->m_relative);
        }
    }
    for (const TreeFile& file : files) {
        const FileLint* lint = lintOf(file);
        if (lint == nullptr) {
            continue;
        }
        if (file.m_layer == Layer::kOverride) {
            checks.CheckOverride(*lint, result.m_findings);
        } else if (file.m_layer == Layer::kDead && file.m_kind == nullptr &&
                   !lint->Silenced(1, rule::kDeadFile)) {
            const std::string home = LayerPaths::HomeOf(fs::path(file.m_relative).filename());
            result.m_findings.push_back(
                LintFinding{file.m_path, 1, 1, rule::kDeadFile,
                            "no selection reads this file: it is at no layer path and no file "
                            "configuration lists it" +
                                (home.empty() ? std::string()
                                              : " (a file of this name belongs in " + home + ")")});
        }
    }
    checks.Finish(result.m_findings);
    if (acrossSelections) {
        CheckOverrideReach(model, result.m_findings);
    }
    std::sort(result.m_findings.begin(), result.m_findings.end(), FindingBefore);
    return true;
}
