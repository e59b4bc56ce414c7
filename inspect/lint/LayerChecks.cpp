#include "inspect/lint/LayerChecks.h"

#include <algorithm>
#include <filesystem>

#include "inspect/lint/LintRules.h"
#include "inspect/lint/ValueShape.h"
#include "inspect/report/NumberFit.h"
#include "resource/StringOps.h"

void LayerChecks::Put(uint32_t id, const FileLint* lint, std::string relative, Layer layer,
                      uint32_t baseRank) {
    if (id >= m_files.size()) {
        m_files.resize(id + 1);
    }
    File& file = m_files[id];
    file.m_lint = lint;
    file.m_relative = std::move(relative);
    file.m_layer = layer;
    file.m_baseRank = layer == Layer::kBase ? baseRank : kNotBase;
    file.m_explained.clear();
    if (lint != nullptr) {
        for (const LintFinding& finding : lint->m_findings) {
            file.m_explained.emplace_back(finding.m_line, finding.m_column);
        }
        std::sort(file.m_explained.begin(), file.m_explained.end());
    }
    Index(id, true);
}

void LayerChecks::TakeOut(uint32_t id) {
    Index(id, false);
    m_files[id].m_lint = nullptr;
}

HolderIndex::Name LayerChecks::NameOf(const Holder& holder) const {
    const FileLint& lint = *m_files[holder.m_file].m_lint;
    const LintEntry& entry = lint.m_entries[holder.m_entry];
    const std::string& section = lint.m_sections[entry.m_section];
    // A base-level key defines the name as written; an override is looked up without blanks.
    if (IsBaseLevel(holder.m_file) || !HasBlank(entry.m_key)) {
        return {section, entry.m_key};
    }
    std::string buffer;
    return {section, *m_blankless.find(WithoutBlanks(entry.m_key, buffer))};
}

const LintEntry& LayerChecks::Entry(const Holder& holder) const {
    return m_files[holder.m_file].m_lint->m_entries[holder.m_entry];
}

std::string LayerChecks::Origin(const Holder& holder) const {
    return m_files[holder.m_file].m_relative + ":" + std::to_string(Entry(holder).m_line);
}

void LayerChecks::Index(uint32_t id, bool add) {
    if (!Indexed(id)) {
        return;
    }
    const FileLint& lint = *m_files[id].m_lint;
    const bool base = IsBaseLevel(id);
    if (base) {
        for (const std::string& path : lint.m_sections) {
            Section& section = m_sections[path];
            if (add) {
                section.m_baseFiles.push_back(id);
                if (section.m_baseFiles.size() == 1) {
                    m_sectionSuggestion.reset();  // a new section
                }
            } else {
                section.m_baseFiles.erase(
                    std::remove(section.m_baseFiles.begin(), section.m_baseFiles.end(), id),
                    section.m_baseFiles.end());
            }
        }
    }
    std::string buffer;
    const auto nameOf = [this](const Holder& holder) { return NameOf(holder); };
    for (uint32_t i = 0; i < lint.m_entries.size(); ++i) {
        const LintEntry& entry = lint.m_entries[i];
        if (!entry.m_live) {
            continue;
        }
        const std::string& section = lint.m_sections[entry.m_section];
        if (base) {
            Section& known = m_sections[section];
            if (add && known.m_keys[entry.m_key]++ == 0) {
                known.m_suggestion.reset();
            } else if (!add && --known.m_keys[entry.m_key] == 0) {
                known.m_keys.erase(entry.m_key);
                known.m_suggestion.reset();
            }
        } else if (add && HasBlank(entry.m_key)) {
            m_blankless.insert(WithoutBlanks(entry.m_key, buffer));
        }
        const HolderIndex::Name name = NameOf(Holder{id, i});
        if (add) {
            m_settings.Add(name, Holder{id, i});
        } else {
            m_settings.Remove(name, Holder{id, i}, nameOf);
        }
    }
    if (base && !add) {
        for (const std::string& path : lint.m_sections) {
            const auto it = m_sections.find(path);
            if (it != m_sections.end() && it->second.m_baseFiles.empty()) {
                m_sections.erase(it);
                m_sectionSuggestion.reset();
            }
        }
    }
}

const std::vector<Holder>* LayerChecks::Settings(std::string_view section,
                                                 std::string_view key) const {
    return m_settings.Find({section, key});
}

const Holder* LayerChecks::Definition(std::string_view section, std::string_view key) const {
    const std::vector<Holder>* settings = Settings(section, key);
    const Holder* best = nullptr;
    if (settings != nullptr) {
        for (const Holder& holder : *settings) {
            const uint32_t rank = m_files[holder.m_file].m_baseRank;
            if (rank != kNotBase && (best == nullptr || rank < m_files[best->m_file].m_baseRank)) {
                best = &holder;
            }
        }
    }
    return best;
}

bool LayerChecks::SectionDefined(const std::string& section) const {
    return m_sections.count(section) != 0;
}

std::vector<std::string> LayerChecks::DefinedSections() const {
    std::vector<std::string> names;
    for (const auto& [path, section] : m_sections) {
        names.push_back(path);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> LayerChecks::DefinedKeys(const std::string& section) const {
    std::vector<std::string> keys;
    const auto it = m_sections.find(section);
    if (it != m_sections.end()) {
        for (const auto& [key, files] : it->second.m_keys) {
            keys.push_back(key);
        }
    }
    std::sort(keys.begin(), keys.end());
    return keys;
}

bool LayerChecks::Explained(const File& file, const LintEntry& entry) const {
    return std::binary_search(file.m_explained.begin(), file.m_explained.end(),
                              std::make_pair(entry.m_line, entry.m_column));
}

NameSuggestion& LayerChecks::KeySuggestion(Section& section) {
    if (!section.m_suggestion) {
        section.m_suggestion = std::make_unique<NameSuggestion>();
        for (const auto& [key, files] : section.m_keys) {
            section.m_suggestion->Add(key);
        }
    }
    return *section.m_suggestion;
}

// Where a suggested name is defined: its first base-level setting, or for a section the first
// tag that names it in the base-level file of the highest precedence.
LintSuggestion LayerChecks::Suggest(bool isSection, const std::string& name,
                                    const std::string& section, const std::string& key) const {
    LintSuggestion suggestion{isSection, name, {}, 0};
    if (const Holder* definition = Definition(section, key)) {
        suggestion.m_file = m_files[definition->m_file].m_lint->m_path;
        suggestion.m_line = Entry(*definition).m_line;
    }
    const auto known = m_sections.find(section);
    if (!isSection || known == m_sections.end() || known->second.m_baseFiles.empty()) {
        return suggestion;
    }
    const uint32_t first = *std::min_element(
        known->second.m_baseFiles.begin(), known->second.m_baseFiles.end(),
        [this](uint32_t a, uint32_t b) { return m_files[a].m_baseRank < m_files[b].m_baseRank; });
    const FileLint& lint = *m_files[first].m_lint;
    suggestion.m_file = lint.m_path;
    suggestion.m_line = 1;
    for (const LintTag& tag : lint.m_tags) {
        if (lint.m_sections[tag.m_section] == section) {
            suggestion.m_line = tag.m_line;
            break;
        }
    }
    return suggestion;
}

// A section and a key are suggested separately: "<Gian> MasterGain" suggests "Gain" alone.
std::string LayerChecks::SectionHint(const std::string& section, const std::string& key,
                                     std::vector<LintSuggestion>& suggestions) {
    if (!m_sectionSuggestion) {
        m_sectionSuggestion = std::make_unique<NameSuggestion>();
        for (const auto& [path, known] : m_sections) {
            m_sectionSuggestion->Add(path);
        }
    }
    const std::string nearest = m_sectionSuggestion->Nearest(section);
    if (nearest.empty()) {
        return {};
    }
    Section& known = m_sections[nearest];
    const std::string nearestKey =
        known.m_keys.count(key) == 0 ? KeySuggestion(known).Nearest(key) : "";
    suggestions.push_back(Suggest(true, nearest, nearest, nearestKey.empty() ? key : nearestKey));
    if (!nearestKey.empty()) {
        suggestions.push_back(Suggest(false, nearestKey, nearest, nearestKey));
    }
    return " (did you mean section " + QuoteText(nearest) +
           (nearestKey.empty() ? "" : " and key " + QuoteText(nearestKey)) + "?)";
}

bool LayerChecks::Report(const FileLint& lint, const LintEntry& entry, const char* rule,
                         std::string message, LintFinding& finding) {
    if (lint.Silenced(entry.m_line, rule)) {
        return false;
    }
    finding = LintFinding{lint.m_path, entry.m_line, entry.m_column, rule, std::move(message), {}};
    return true;
}

void LayerChecks::CheckEntry(uint32_t id, uint32_t index, std::vector<LintFinding>& found) {
    const File& file = m_files[id];
    if (!Indexed(id) || file.m_layer != Layer::kOverride) {
        return;
    }
    const FileLint& lint = *file.m_lint;
    const LintEntry& entry = lint.m_entries[index];
    if (!entry.m_live || Explained(file, entry)) {
        return;
    }
    const std::string& section = lint.m_sections[entry.m_section];
    std::string buffer;
    const std::string& key = LookupName(entry.m_key, buffer);
    LintFinding finding;
    const auto known = m_sections.find(section);
    if (known == m_sections.end()) {
        std::vector<LintSuggestion> suggestions;
        const std::string hint = SectionHint(section, key, suggestions);
        if (Report(lint, entry, rule::kUnknownOverride,
                   "no base-level file defines section " + QuoteText(section) +
                       ": this override of " + QuoteText(key) + " changes nothing" + hint,
                   finding)) {
            finding.m_suggestions = std::move(suggestions);
            found.push_back(std::move(finding));
        }
        return;
    }
    const std::vector<Holder>* settings = Settings(section, key);
    const Holder* definition = Definition(section, key);
    if (definition == nullptr) {
        const std::string nearest = KeySuggestion(known->second).Nearest(key);
        if (Report(lint, entry, rule::kUnknownOverride,
                   "no base-level file defines " + QuoteText(key) + " in section " +
                       QuoteText(section) + ": this override changes nothing" +
                       (nearest.empty() ? "" : " (did you mean " + QuoteText(nearest) + "?)"),
                   finding)) {
            if (!nearest.empty()) {
                finding.m_suggestions.push_back(Suggest(false, nearest, section, nearest));
            }
            found.push_back(std::move(finding));
        }
        return;
    }
    const LintEntry& base = Entry(*definition);
    const ValueShape shape = ShapeOf(base.m_value);
    size_t count = 0;
    if (!ReadsAs(shape.m_kind, entry.m_value, count)) {
        const std::string kind = KindName(shape.m_kind);
        if (Report(lint, entry, rule::kTypeMismatch,
                   "value " + QuoteText(entry.m_value) + " does not read as " + kind +
                       ", unlike the base-level value " + QuoteText(base.m_value) + " (" +
                       Origin(*definition) + "): a query for " + kind + " gets its default",
                   finding)) {
            found.push_back(std::move(finding));
        }
        return;
    }
    if (CheckNumber(Holder{id, index}, *definition, finding)) {
        found.push_back(std::move(finding));
    }
    if (CheckCount(Holder{id, index}, *settings, *definition, finding)) {
        found.push_back(std::move(finding));
    }
}

// A number that a query of the base-level value's type reads other than it is written: an int
// beyond its range or with a fraction, a decimal beyond a float, an empty value. Lists element
// by element; the first such element is reported.
bool LayerChecks::CheckNumber(const Holder& self, const Holder& definition,
                              LintFinding& finding) const {
    const LintEntry& base = Entry(definition);
    const ValueKind kind = ShapeOf(base.m_value).m_kind;
    const bool ints = kind == ValueKind::kInt || kind == ValueKind::kIntList;
    if (!ints && kind != ValueKind::kDecimal && kind != ValueKind::kDecimalList) {
        return false;
    }
    const LintEntry& entry = Entry(self);
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
    return rule != nullptr &&
           Report(*m_files[self.m_file].m_lint, entry, rule,
                  "value " + QuoteText(entry.m_value) + element + " " + fit.m_message +
                      ", where the base-level value " + QuoteText(base.m_value) + " (" +
                      Origin(definition) + ") is " + KindName(kind),
                  finding);
}

// A list with another element count than the base-level value, when it is the only setting
// that differs and another one agrees with the base-level count (a list set by the base and one
// override alone may well vary in length). Every base-level setting counts but the defining
// one; an override counts when its value reads as the list and no finding of its file
// explains it.
bool LayerChecks::CheckCount(const Holder& self, const std::vector<Holder>& settings,
                             const Holder& definition, LintFinding& finding) const {
    const ValueShape shape = ShapeOf(Entry(definition).m_value);
    size_t count = 0;
    if (!IsList(shape.m_kind) || !ReadsAs(shape.m_kind, Entry(self).m_value, count) ||
        count == shape.m_count) {
        return false;
    }
    size_t same = 0;
    size_t other = 0;
    for (const Holder& holder : settings) {
        if (holder.m_file == definition.m_file) {
            continue;
        }
        const File& file = m_files[holder.m_file];
        const LintEntry& entry = Entry(holder);
        size_t n = 0;
        if ((file.m_baseRank == kNotBase && Explained(file, entry)) ||
            !ReadsAs(shape.m_kind, entry.m_value, n)) {
            continue;
        }
        ++(n == shape.m_count ? same : other);
    }
    if (other != 1 || same == 0) {
        return false;
    }
    const FileLint& lint = *m_files[self.m_file].m_lint;
    return Report(
        lint, Entry(self), rule::kTypeMismatch,
        "list of " + std::to_string(count) + " elements, where every other file that sets it has " +
            std::to_string(shape.m_count) + ", as the base-level value (" + Origin(definition) +
            ") does: a query with a default of " + std::to_string(shape.m_count) +
            " elements gets " +
            (count < shape.m_count ? "the rest from the default" : "more than it asks for"),
        finding);
}

bool LayerChecks::CheckDeadFile(uint32_t id, LintFinding& finding) const {
    const File& file = m_files[id];
    if (file.m_lint == nullptr || file.m_layer != Layer::kDead ||
        file.m_lint->Silenced(1, rule::kDeadFile)) {
        return false;
    }
    const std::string home =
        LayerPaths::HomeOf(std::filesystem::path(file.m_relative).filename().string());
    finding = LintFinding{
        file.m_lint->m_path,
        1,
        1,
        rule::kDeadFile,
        "no selection reads this file: it is at no layer path and no file "
        "configuration lists it" +
            (home.empty() ? std::string() : " (a file of this name belongs in " + home + ")"),
        {}};
    return true;
}
