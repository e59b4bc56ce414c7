#include "inspect/schema/SchemaCheck.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <set>
#include <tuple>
#include <unordered_map>
#include <utility>

#include "inspect/schema/SchemaText.h"
#include "inspect/schema/SchemaValue.h"

namespace {

struct KeyEntry {
    KeySchemas m_schemas;
    bool m_tooLong = false;
    size_t m_required = SIZE_MAX;  // its index among its section's required keys
};

// What the schema says of one section path, looked up once per path.
struct SectionEntry {
    std::string m_name;
    std::vector<const SectionSchema*> m_sections;
    bool m_tooLong = false;
    bool m_unknown = false;
    bool m_requiredSection = false;       // one the schema requires every selection to have
    std::vector<std::string> m_required;  // of every section schema that applies, once each
    std::unordered_map<std::string, KeyEntry> m_keys;
};

// Where a file first sets a section that has required keys, and which of them it sets.
struct Presence {
    size_t m_line = 0;
    size_t m_column = 0;
    std::vector<bool> m_has;
};

struct FileSections {
    SchemaFile m_file;
    std::unordered_map<const SectionEntry*, Presence> m_sections;
};

using LevelKey = std::tuple<SchemaLayer, std::string, std::string, std::string>;

LevelKey KeyOf(SchemaLayer layer, const SchemaFile& file) {
    const bool probe = layer != SchemaLayer::kGroup && layer != SchemaLayer::kClinical;
    const bool clinical = layer == SchemaLayer::kClinical || layer == SchemaLayer::kGroupClinical ||
                          layer == SchemaLayer::kUserDefined;
    return {layer, layer == SchemaLayer::kClinical ? std::string() : file.m_group,
            probe ? file.m_probe : std::string(), clinical ? file.m_clinical : std::string()};
}

// The levels that every selection reading a file of this level reads as well, itself included.
std::vector<SchemaLayer> ChainOf(SchemaLayer layer) {
    switch (layer) {
        case SchemaLayer::kGroup:
            return {SchemaLayer::kGroup};
        case SchemaLayer::kTransducer:
            return {SchemaLayer::kGroup, SchemaLayer::kTransducer};
        case SchemaLayer::kGroupClinical:
        case SchemaLayer::kUserDefined:
            return {SchemaLayer::kGroup, SchemaLayer::kTransducer, SchemaLayer::kGroupClinical,
                    SchemaLayer::kClinical, SchemaLayer::kUserDefined};
        case SchemaLayer::kClinical:
            return {SchemaLayer::kClinical};
        default:
            return {};
    }
}

// The smallest selection that reads a file of this level.
std::string SmallestSelection(const SchemaFile& file) {
    switch (file.m_layer) {
        case SchemaLayer::kGroup:
            return "selection F=" + file.m_group;
        case SchemaLayer::kTransducer:
            return "selection F=" + file.m_group + " P=" + file.m_probe;
        case SchemaLayer::kGroupClinical:
        case SchemaLayer::kUserDefined:
            return "selection F=" + file.m_group + " P=" + file.m_probe + " A=" + file.m_clinical;
        case SchemaLayer::kClinical:
            return "selection A=" + file.m_clinical;
        default:
            return "a selection of no group, transducer or clinical setting";
    }
}

std::string LayersText(const std::vector<SchemaLayer>& layers) {
    std::string text;
    for (size_t i = 0; i < layers.size(); ++i) {
        text += (i == 0                   ? ""
                 : i + 1 == layers.size() ? " and "
                                          : ", ") +
                std::string(LayerName(layers[i]));
    }
    return text;
}

}  // namespace

struct SchemaChecker::State {
    State(const Schema& schema, std::string schemaPath, NameHint hint)
        : m_schema(schema), m_schemaPath(std::move(schemaPath)), m_hint(std::move(hint)) {}

    SectionEntry& Section(std::string_view name) {
        if (m_last != nullptr && m_last->m_name == name) {
            return *m_last;
        }
        m_scratch.assign(name);
        auto [it, added] = m_cache.try_emplace(m_scratch);
        SectionEntry& entry = it->second;
        if (added) {
            entry.m_name = m_scratch;
            entry.m_sections = m_schema.SectionsOf(name, entry.m_tooLong);
            entry.m_unknown = m_schema.Refuses(entry.m_sections);
            entry.m_requiredSection =
                std::find(m_schema.m_required.begin(), m_schema.m_required.end(), m_scratch) !=
                m_schema.m_required.end();
            for (const SectionSchema* section : entry.m_sections) {
                for (const std::string& key : section->m_required) {
                    if (std::find(entry.m_required.begin(), entry.m_required.end(), key) ==
                        entry.m_required.end()) {
                        entry.m_required.push_back(key);
                    }
                }
            }
        }
        m_last = &entry;
        return entry;
    }

    KeyEntry& Key(SectionEntry& section, std::string_view name) {
        m_scratch.assign(name);
        auto [it, added] = section.m_keys.try_emplace(m_scratch);
        if (added) {
            it->second.m_schemas = KeySchemasOf(section.m_sections, name, it->second.m_tooLong);
            const auto required =
                std::find(section.m_required.begin(), section.m_required.end(), name);
            if (required != section.m_required.end()) {
                it->second.m_required = static_cast<size_t>(required - section.m_required.begin());
            }
        }
        return it->second;
    }

    void Report(const SchemaRecord& record, const char* rule, std::string message) {
        m_findings.push_back(
            SchemaFinding{m_file.m_path, record.m_line, record.m_column, rule, std::move(message)});
    }

    // A section the schema refuses, or cannot match against its families, is told once per
    // file (per selection), at its first entry.
    bool CheckSection(const SectionEntry& section, const SchemaRecord& record) {
        if ((!section.m_unknown && !section.m_tooLong) || !m_reported.insert(&section).second) {
            return !section.m_unknown;
        }
        if (section.m_unknown) {
            const std::string nearest =
                m_hint ? m_hint(m_schema.SectionNames(), section.m_name) : std::string();
            Report(record, schema_rule::kUnknownKey,
                   "section " + QuotedText(section.m_name) + " (of " + QuotedText(record.m_key) +
                       ") is not in the schema, which admits no other" +
                       (nearest.empty() ? "" : " (did you mean " + QuotedText(nearest) + "?)"));
        } else {
            Report(record, schema_rule::kUnknownKey,
                   "section path of " + std::to_string(section.m_name.size()) +
                       " bytes: the schema's section patterns are matched against at most " +
                       std::to_string(SchemaPattern::kMaxText));
        }
        return !section.m_unknown;
    }

    void CheckKey(const KeyEntry& key, const SchemaRecord& record) {
        if (key.m_tooLong) {
            Report(record, schema_rule::kUnknownKey,
                   "key of " + std::to_string(record.m_key.size()) +
                       " bytes: the schema's key patterns are matched against at most " +
                       std::to_string(SchemaPattern::kMaxText));
        }
        if (!key.m_schemas.m_closedWithout.empty()) {
            const SectionSchema& closed = *key.m_schemas.m_closedWithout.front();
            std::string nearest;
            if (m_hint) {
                std::vector<std::string> names;
                for (const auto& [name, schema] : closed.m_keys) {
                    names.push_back(name);
                }
                nearest = m_hint(names, record.m_key);
            }
            Report(record, schema_rule::kUnknownKey,
                   "section " + QuotedText(record.m_section) + " is closed (" + closed.m_where +
                       "): it declares no key " + QuotedText(record.m_key) +
                       (nearest.empty() ? "" : " (did you mean " + QuotedText(nearest) + "?)"));
        }
        const std::vector<const KeySchema*>& schemas = key.m_schemas.m_schemas;
        if (schemas.empty()) {
            return;
        }
        if (m_file.m_layer != SchemaLayer::kUnknown) {
            for (const KeySchema* schema : schemas) {
                const std::vector<SchemaLayer>& layers = schema->m_layers;
                if (!layers.empty() &&
                    std::find(layers.begin(), layers.end(), m_file.m_layer) == layers.end()) {
                    Report(record, schema_rule::kLayer,
                           QuotedText(record.m_key) + " is set in a " + LayerName(m_file.m_layer) +
                               " file, where the schema lets only " + LayersText(layers) +
                               " files set it");
                    break;
                }
            }
        }
        ReadValue(schemas, record.m_value, m_reading);
        CheckReading(schemas, m_reading, record.m_key, m_hint,
                     [&](const char* rule, std::string message) {
                         Report(record, rule, std::move(message));
                     });
    }

    // The tree's requirements: the sections every selection must have, and for each file that
    // sets a section, the keys the section requires.
    void CheckRequired() {
        if (!std::any_of(m_files.begin(), m_files.end(), [](const FileSections& file) {
                return file.m_file.m_layer != SchemaLayer::kUnknown;
            })) {
            return;
        }
        for (const std::string& section : m_schema.m_required) {
            if (m_baseSections.count(section) == 0) {
                m_findings.push_back(SchemaFinding{
                    m_schemaPath, 0, 0, schema_rule::kRequired,
                    "the schema requires section " + QuotedText(section) +
                        ", which no base-level file sets: a selection of no group, transducer "
                        "or clinical setting lacks it"});
            }
        }
        std::map<LevelKey, std::vector<const FileSections*>> levels;
        std::unordered_map<const SectionEntry*, std::vector<bool>> base;
        for (const FileSections& file : m_files) {
            if (IsBaseLevel(file.m_file.m_layer)) {
                for (const auto& [section, presence] : file.m_sections) {
                    std::vector<bool>& has = base[section];
                    has.resize(presence.m_has.size());
                    for (size_t i = 0; i < has.size(); ++i) {
                        has[i] = has[i] || presence.m_has[i];
                    }
                }
            } else if (file.m_file.m_layer != SchemaLayer::kUnknown) {
                levels[KeyOf(file.m_file.m_layer, file.m_file)].push_back(&file);
            }
        }
        const auto setIn = [&](const FileSections& file, const SectionEntry* section, size_t i) {
            const auto it = file.m_sections.find(section);
            return it != file.m_sections.end() && it->second.m_has[i];
        };
        for (const FileSections& file : m_files) {
            if (file.m_file.m_layer == SchemaLayer::kUnknown) {
                continue;
            }
            std::vector<const FileSections*> chain;
            for (const SchemaLayer layer : ChainOf(file.m_file.m_layer)) {
                const auto found = levels.find(KeyOf(layer, file.m_file));
                if (found != levels.end()) {
                    chain.insert(chain.end(), found->second.begin(), found->second.end());
                }
            }
            for (const auto& [section, presence] : file.m_sections) {
                const auto baseHas = base.find(section);
                for (size_t i = 0; i < presence.m_has.size(); ++i) {
                    const SectionEntry* entry = section;
                    const bool set =
                        presence.m_has[i] || (baseHas != base.end() && baseHas->second[i]) ||
                        std::any_of(chain.begin(), chain.end(), [&](const FileSections* other) {
                            return setIn(*other, entry, i);
                        });
                    if (set) {
                        continue;
                    }
                    const bool baseLevel = IsBaseLevel(file.m_file.m_layer);
                    m_findings.push_back(SchemaFinding{
                        file.m_file.m_path, presence.m_line, presence.m_column,
                        schema_rule::kRequired,
                        "section " + QuotedText(section->m_name) + " requires key " +
                            QuotedText(section->m_required[i]) +
                            (baseLevel ? ", which no base-level file sets: "
                                       : ", which neither this file nor a file read with it "
                                         "sets: ") +
                            SmallestSelection(file.m_file) + " lacks it"});
                }
            }
        }
    }

    const Schema& m_schema;
    std::string m_schemaPath;
    NameHint m_hint;
    bool m_tree = true;  // false: the entries of one selection, whose requirements it checks
    SchemaFile m_file;
    std::unordered_map<std::string, SectionEntry> m_cache;
    SectionEntry* m_last = nullptr;              // consecutive entries mostly share their section
    const SectionEntry* m_presenceOf = nullptr;  // the section of m_presence, in this file
    Presence* m_presence = nullptr;
    std::string m_scratch;
    std::vector<FileSections> m_files;
    std::set<std::string> m_baseSections;  // set by a base-level file, when sections are required
    std::set<const SectionEntry*> m_reported;
    std::vector<SchemaFinding> m_findings;
    SchemaReading m_reading;
};

SchemaChecker::SchemaChecker(const Schema& schema, std::string schemaPath, NameHint hint)
    : m_state(std::make_unique<State>(schema, std::move(schemaPath), std::move(hint))) {}

SchemaChecker::~SchemaChecker() = default;

void SchemaChecker::BeginFile(const SchemaFile& file) {
    State& state = *m_state;
    state.m_file = file;
    if (state.m_tree) {
        state.m_files.push_back(FileSections{file, {}});
        state.m_reported.clear();
        state.m_presenceOf = nullptr;
    }
}

void SchemaChecker::Add(const SchemaRecord& record) {
    State& state = *m_state;
    SectionEntry& section = state.Section(record.m_section);
    if (state.m_tree && section.m_requiredSection && IsBaseLevel(state.m_file.m_layer)) {
        state.m_baseSections.insert(section.m_name);
    }
    if (!state.CheckSection(section, record)) {
        return;
    }
    KeyEntry& key = state.Key(section, record.m_key);
    if (state.m_tree && !section.m_required.empty() && !state.m_files.empty()) {
        if (state.m_presenceOf != &section) {
            const auto [it, added] = state.m_files.back().m_sections.try_emplace(&section);
            if (added) {
                it->second = Presence{record.m_line, record.m_column,
                                      std::vector<bool>(section.m_required.size())};
            }
            state.m_presenceOf = &section;
            state.m_presence = &it->second;
        }
        if (key.m_required != SIZE_MAX) {
            state.m_presence->m_has[key.m_required] = true;
        }
    }
    state.CheckKey(key, record);
}

std::vector<SchemaFinding> SchemaChecker::Finish() {
    if (m_state->m_tree) {
        m_state->CheckRequired();
    }
    return std::move(m_state->m_findings);
}

std::vector<SchemaFinding> CheckSelection(const Schema& schema, const EntryTable& entries,
                                          const std::string& schemaPath,
                                          const std::string& description, const NameHint& hint) {
    SchemaChecker checker(schema, schemaPath, hint);
    SchemaChecker::State& state = *checker.m_state;
    state.m_tree = false;
    std::set<std::string> present;
    const std::vector<StoreEntry>& list = entries.m_entries;
    for (size_t i = 0; i < list.size();) {
        // The entries come by section: the keys of one section are checked together.
        const std::string& name = *list[i].m_section;
        size_t end = i;
        std::set<std::string> keys;
        for (; end < list.size() && *list[end].m_section == name; ++end) {
            const ValueOrigin& origin = list[end].m_origin;
            checker.BeginFile(SchemaFile{origin.m_path, LayerOf(origin.m_layer), {}, {}, {}});
            checker.Add(SchemaRecord{name, list[end].m_key, origin.m_value, origin.m_line, 0});
            keys.insert(list[end].m_key);
        }
        present.insert(name);
        const SectionEntry& section = state.Section(name);
        for (const std::string& key : section.m_required) {
            if (!section.m_unknown && keys.count(key) == 0) {
                state.m_findings.push_back(SchemaFinding{
                    list[i].m_origin.m_path, list[i].m_origin.m_line, 0, schema_rule::kRequired,
                    "section " + QuotedText(name) + " requires key " + QuotedText(key) +
                        ", which this selection (" + description + ") lacks"});
            }
        }
        i = end;
    }
    for (const std::string& section : schema.m_required) {
        if (present.count(section) == 0) {
            state.m_findings.push_back(
                SchemaFinding{schemaPath, 0, 0, schema_rule::kRequired,
                              "the schema requires section " + QuotedText(section) +
                                  ", which this selection (" + description + ") lacks"});
        }
    }
    return checker.Finish();
}
