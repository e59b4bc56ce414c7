#include "RefTreeGenerator.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <stdexcept>
#include <utility>
#include <vector>

#include "PeerFormats.h"
#include "RefTree.h"

namespace fs = std::filesystem;

namespace reftree {
namespace {

// splitmix64: the same sequence on every platform, which the standard distributions do not
// promise.
class Rng {
  public:
    explicit Rng(uint64_t seed) : m_state(seed) {}
    uint64_t Next() {
        uint64_t z = (m_state += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }
    int Between(int lo, int hi) { return lo + static_cast<int>(Next() % (hi - lo + 1)); }
    bool Chance(double p) { return static_cast<double>(Next() >> 11) * 0x1p-53 < p; }
    template <size_t N>
    const char* Pick(const char* const (&words)[N]) {
        return words[Next() % N];
    }

  private:
    uint64_t m_state;
};

uint64_t Fnv1a(const std::string& text) {
    uint64_t hash = 0xcbf29ce484222325ULL;
    for (unsigned char c : text) {
        hash = (hash ^ c) * 0x100000001b3ULL;
    }
    return hash;
}

// Every file draws from its own stream, so one file's content does not depend on the others.
Rng FileRng(uint64_t seed, const std::string& relPath) {
    return Rng(seed ^ Fnv1a(relPath));
}

// Section names and key names come from disjoint words, so no key ever shares its name with
// a child section (which TOML and libconfig would reject).
const char* const kStageWords[] = {"Imaging", "Doppler",  "Color",  "Tissue",   "Speckle",
                                   "Edge",    "Persist",  "Frame",  "Scan",     "Beam",
                                   "Display", "Compound", "Filter", "Contrast", "Elasto",
                                   "Strain",  "Flow",     "Power",  "Spectral", "Harmonic"};
const char* const kChildWords[] = {"Band", "Zone",    "Kernel", "Layer", "Region",
                                   "Tap",  "Segment", "Branch", "Lane",  "Unit"};
const char* const kKeyWords[] = {"Gain",   "Offset", "Level",  "Threshold", "Weight", "Alpha",
                                 "Beta",   "Gamma",  "Enable", "Scale",     "Shift",  "Order",
                                 "Length", "Type",   "Method", "Coeffs",    "Taps",   "Limit",
                                 "Bias",   "Slope",  "Knee",   "Floor",     "Ceil",   "Depth",
                                 "Width",  "Rate",   "Curve",  "Table",     "Smooth", "Delay"};
const char* const kWords[] = {"Linear", "Log",   "Hann",     "Hamming", "Blackman",
                              "Gauss",  "Auto",  "Off",      "Low",     "Medium",
                              "High",   "Fixed", "Adaptive", "Cubic",   "Nearest"};

constexpr const char* kGlobalSection = "GlobalParameters";

enum class Kind { Int, Decimal, Bool, Word, List, IntList, BoolList };

struct Field {
    std::string key;
    Kind kind;
    int listLength;
};

struct Section {
    std::string path;
    std::vector<Field> fields;
    int home;  // 0 the base file, 1 + i the listed file i
};

// One file's content in writing order: sections, each with its entries.
using Entries = std::vector<std::pair<std::string, std::string>>;
using FileContent = std::vector<std::pair<std::string, Entries>>;

Kind PickKind(Rng& rng) {
    const int r = rng.Between(0, 99);
    return r < 50   ? Kind::Int
           : r < 75 ? Kind::Decimal
           : r < 85 ? Kind::Bool
           : r < 90 ? Kind::Word
                    : Kind::List;
}

std::string Decimal(Rng& rng, int maxWhole) {
    const int digits = rng.Between(1, 4);
    static const int kScale[] = {1, 10, 100, 1000, 10000};
    std::string text = rng.Chance(0.2) ? "-" : "";
    text += std::to_string(rng.Between(0, maxWhole)) + ".";
    const std::string fraction = std::to_string(rng.Between(0, kScale[digits] - 1));
    return text + std::string(digits - fraction.size(), '0') + fraction;
}

std::string Value(const Field& field, Rng& rng) {
    switch (field.kind) {
        case Kind::Int: {
            const int r = rng.Between(0, 9);
            return std::to_string(r < 6   ? rng.Between(0, 100)
                                  : r < 9 ? rng.Between(0, 10000)
                                          : rng.Between(-1000, 1000));
        }
        case Kind::Decimal:
            return Decimal(rng, rng.Chance(0.8) ? 9 : 999);
        case Kind::Bool:
            return rng.Chance(0.5) ? "true" : "false";
        case Kind::Word:
            return rng.Pick(kWords);
        case Kind::List:
        case Kind::IntList:
        case Kind::BoolList: {
            std::string text;
            for (int i = 0; i < field.listLength; ++i) {
                text += i ? ", " : "";
                text += field.kind == Kind::List      ? Decimal(rng, 99)
                        : field.kind == Kind::IntList ? std::to_string(rng.Between(-100, 1000))
                        : rng.Chance(0.5)             ? "true"
                                                      : "false";
            }
            return text;
        }
    }
    return {};
}

// A family of sections: one stage word at one depth, its child words fixed by the stage, its
// keys the same in every section of it (Imaging03:Zone2 and Imaging17:Zone4 share theirs).
struct Family {
    int stage;
    int depth;
    std::vector<Field> fields;
};

// The child word of a stage at a level below it: Harmonic goes on to Band, then Zone.
const char* ChildWord(int stage, int level) {
    return kChildWords[static_cast<size_t>(stage + level) % std::size(kChildWords)];
}

std::string SectionPath(Rng& rng, int& stage, int& depth) {
    stage = static_cast<int>(rng.Next() % std::size(kStageWords));
    std::string path = std::string(kStageWords[stage]) + (rng.Chance(0.5) ? "0" : "1") +
                       std::to_string(rng.Between(0, 9));
    depth = rng.Between(1, 10) <= 3 ? 1 : rng.Between(2, 3);
    for (int level = 1; level < depth; ++level) {
        path += ":" + std::string(ChildWord(stage, level)) + std::to_string(rng.Between(1, 4));
    }
    return path;
}

void AddRandomFields(std::vector<Field>& fields, int count, Rng& rng) {
    std::set<std::string> used;
    for (const Field& field : fields) {
        used.insert(field.key);
    }
    while (static_cast<int>(fields.size()) < count) {
        const int index = rng.Between(0, 12);
        const std::string key = rng.Pick(kKeyWords) + (index < 4 ? "" : std::to_string(index));
        if (used.insert(key).second) {
            fields.push_back({key, PickKind(rng), rng.Between(16, 256)});
        }
    }
}

struct Layout {
    std::vector<Section> sections;
    std::vector<Family> families;  // in order of first use
};

Layout MakeLayout(uint64_t seed, int sections) {
    Rng rng(seed);
    Layout layout;
    std::vector<Section>& schema = layout.sections;
    std::map<std::pair<int, int>, size_t> familyOf;  // (stage, depth) to its family
    const auto family = [&](int stage, int depth, std::vector<Field> seeded) {
        const auto [it, added] = familyOf.try_emplace({stage, depth}, layout.families.size());
        if (added) {
            layout.families.push_back({stage, depth, std::move(seeded)});
            AddRandomFields(layout.families.back().fields, rng.Between(6, 30), rng);
        }
        return layout.families[it->second].fields;
    };
    std::set<std::string> paths{kGlobalSection, kLookupSection};
    schema.push_back({kGlobalSection, {{"Version", Kind::Int, 0}, {"Product", Kind::Word, 0}}, 0});
    AddRandomFields(schema.back().fields, 12, rng);
    const int lookupStage = static_cast<int>(std::size(kStageWords)) - 1;  // Harmonic
    schema.push_back({kLookupSection,
                      family(lookupStage, 3,
                             {{kIntKey, Kind::Int, 0},
                              {kWordKey, Kind::Word, 0},
                              {kListKey, Kind::List, kListLength}}),
                      0});
    // After the random fields, so that they and every later section stay as they were drawn.
    for (std::vector<Field>* fields : {&layout.families.back().fields, &schema.back().fields}) {
        fields->push_back({kIntListKey, Kind::IntList, kListLength});
        fields->push_back({kBoolListKey, Kind::BoolList, kListLength});
    }
    while (static_cast<int>(schema.size()) < sections) {
        int stage = 0;
        int depth = 0;
        std::string path = SectionPath(rng, stage, depth);
        if (!paths.insert(path).second) {
            continue;
        }
        const int r = rng.Between(0, 9);
        schema.push_back({std::move(path), family(stage, depth, {}), r < 7 ? 0 : r - 6});
    }
    return layout;
}

// The value ranges Value() draws from, which the schema declares.
constexpr int kIntLow = -1000;
constexpr int kIntHigh = 10000;
constexpr double kDecimalBound = 999.9999;
constexpr double kListBound = 99.9999;

nlohmann::ordered_json FieldSchema(const Field& field) {
    nlohmann::ordered_json key;
    switch (field.kind) {
        case Kind::Int:
            key = {{"type", "integer"}, {"minimum", kIntLow}, {"maximum", kIntHigh}};
            break;
        case Kind::Decimal:
            key = {{"type", "number"}, {"minimum", -kDecimalBound}, {"maximum", kDecimalBound}};
            break;
        case Kind::Bool:
            key = {{"type", "boolean"}};
            break;
        case Kind::Word:
            key = {{"type", "string"},
                   {"enum", std::vector<std::string>(std::begin(kWords), std::end(kWords))}};
            break;
        case Kind::List:
            key = {
                {"type", "array"},
                {"items", {{"type", "number"}, {"minimum", -kListBound}, {"maximum", kListBound}}},
                {"minItems", field.listLength},
                {"maxItems", field.listLength}};
            break;
        case Kind::IntList:
            key = {{"type", "array"},
                   {"items", {{"type", "integer"}, {"minimum", -100}, {"maximum", 1000}}},
                   {"minItems", field.listLength},
                   {"maxItems", field.listLength}};
            break;
        case Kind::BoolList:
            key = {{"type", "array"},
                   {"items", {{"type", "boolean"}}},
                   {"minItems", field.listLength},
                   {"maxItems", field.listLength}};
            break;
    }
    const std::pair<const char*, const char*> units[] = {
        {"Gain", "dB"}, {"Delay", "us"}, {"Rate", "Hz"}, {"Depth", "mm"}};
    for (const auto& [prefix, unit] : units) {
        if (field.kind != Kind::Bool && field.kind != Kind::Word &&
            field.key.rfind(prefix, 0) == 0) {
            key["x-unit"] = unit;
        }
    }
    return key;
}

// Every key of every section is set by the base file or a listed file, the top-level ones by
// the base file alone: all are required, and the top-level ones only the base file may set.
nlohmann::ordered_json SectionSchema(const std::vector<Field>& fields, bool baseOnly) {
    nlohmann::ordered_json properties = nlohmann::ordered_json::object();
    std::vector<std::string> keys;
    for (const Field& field : fields) {
        properties[field.key] = FieldSchema(field);
        if (baseOnly) {
            properties[field.key]["x-layers"] = {"base"};
        }
        keys.push_back(field.key);
    }
    return {{"type", "object"},
            {"properties", std::move(properties)},
            {"required", keys},
            {"additionalProperties", false}};
}

// The schema of the tree, as JSON Schema: the top-level section, then one pattern per family.
std::string SchemaText(const Layout& layout) {
    nlohmann::ordered_json families = nlohmann::ordered_json::object();
    for (const Family& family : layout.families) {
        std::string pattern = std::string("^") + kStageWords[family.stage] + "[01][0-9]";
        for (int level = 1; level < family.depth; ++level) {
            pattern += std::string(":") + ChildWord(family.stage, level) + "[1-4]";
        }
        families[pattern + "$"] = SectionSchema(family.fields, false);
    }
    nlohmann::ordered_json properties = nlohmann::ordered_json::object();
    properties[kGlobalSection] = SectionSchema(layout.sections.front().fields, true);
    nlohmann::ordered_json schema = {
        {"$schema", "https://json-schema.org/draft/2020-12/schema"},
        {"title", "Reference tree"},
        {"description",
         "The sections of the reference tree by family: a stage word and its number, then up to "
         "two child levels; every section of a family has the family's keys."},
        {"type", "object"},
        {"properties", std::move(properties)},
        {"patternProperties", std::move(families)},
        {"required", {kGlobalSection}},
        {"additionalProperties", false}};
    return schema.dump(2) + "\n";
}

// The sections homed in one file, all their entries.
FileContent HomeContent(const std::vector<Section>& schema, int home, Rng& rng) {
    FileContent content;
    for (const Section& section : schema) {
        if (section.home == home) {
            Entries entries;
            for (const Field& field : section.fields) {
                entries.emplace_back(field.key, Value(field, rng));
            }
            content.emplace_back(section.path, std::move(entries));
        }
    }
    return content;
}

// A random share of the sections, each with a random share of its entries, new values.
// The lookup section is left alone unless lookup is set; then all its lookup entries are
// written, so that every lookup answer comes from this level (which both stores read).
FileContent OverrideContent(const std::vector<Section>& schema, double sectionShare,
                            double keyShare, Rng& rng, bool lookupEntries = false) {
    static const std::set<std::string> kLookupKeys = {kIntKey, kWordKey, kListKey, kIntListKey,
                                                      kBoolListKey};
    FileContent content;
    for (const Section& section : schema) {
        const bool lookup = section.path == kLookupSection;
        if (lookup ? !lookupEntries : section.path == kGlobalSection || !rng.Chance(sectionShare)) {
            continue;
        }
        Entries entries;
        for (const Field& field : section.fields) {
            if (lookup ? kLookupKeys.count(field.key) > 0 : rng.Chance(keyShare)) {
                entries.emplace_back(field.key, Value(field, rng));
            }
        }
        if (!entries.empty()) {
            content.emplace_back(section.path, std::move(entries));
        }
    }
    return content;
}

// Written the way people write these files: a tag per section, tab-indented entries, some
// comments, now and then two entries on one line. Top-level entries come before the first tag.
std::string FormatPp(const FileContent& content, const std::string& title, Rng& rng) {
    std::string out = "# " + title + "\n\n";
    for (const auto& [section, entries] : content) {
        const bool global = section == kGlobalSection;
        if (!global) {
            if (rng.Chance(0.3)) {
                out += "# " + section + " tuning\n";
            }
            out += "<" + section + ">\n";
        }
        for (size_t i = 0; i < entries.size(); ++i) {
            out += global ? "" : "\t";
            out += entries[i].first + "<" + entries[i].second + ">";
            if (i + 1 < entries.size() && entries[i].second.size() < 12 && rng.Chance(0.05)) {
                ++i;
                out += " " + entries[i].first + "<" + entries[i].second + ">";
            }
            out += rng.Chance(0.03) ? "  # tuned\n" : "\n";
        }
        out += "\n";
    }
    return out;
}

class TreeWriter {
  public:
    TreeWriter(std::string out, uint64_t seed) : m_out(std::move(out)), m_seed(seed) {}

    Rng RngFor(const std::string& relPath) const { return FileRng(m_seed, relPath); }

    void Write(const std::string& relPath, const std::string& text) {
        const fs::path path = fs::path(m_out) / relPath;
        fs::create_directories(path.parent_path());
        std::ofstream file(path, std::ios::binary);
        file << text;
        if (!file.flush()) {
            throw std::runtime_error("cannot write " + path.string());
        }
        ++m_stats.files;
        m_stats.treeBytes += text.size();
    }

    // Generates and writes one layer; the layers of the start selection are kept for merging.
    void Layer(const std::string& relPath, const FileContent& content, Rng& rng, bool selected) {
        Write(relPath, FormatPp(content, relPath, rng));
        if (selected) {
            m_selected.push_back(content);
        }
    }

    GeneratorStats& Stats() { return m_stats; }
    // Kept layers, in the order they were written.
    const std::vector<FileContent>& Selected() const { return m_selected; }

  private:
    std::string m_out;
    uint64_t m_seed;
    GeneratorStats m_stats;
    std::vector<FileContent> m_selected;
};

}  // namespace

GeneratorStats Generate(const std::string& out, uint64_t seed, int sections) {
    for (const char* dir : {"dev", kUserDefinedDir, kPeerDir}) {
        fs::remove_all(fs::path(out) / dir);
    }
    const Layout layout = MakeLayout(seed, sections);
    const std::vector<Section>& schema = layout.sections;
    const Selection start = StartSelection();
    const std::string dev = std::string("dev/") + kResourceName + "/";
    TreeWriter tree(out, seed);

    std::string config = "# Files merged below the base file; File0 wins over File1.\n";
    config += "FileNumbers<" + std::to_string(std::size(kListedFiles)) + ">\n";
    for (size_t i = 0; i < std::size(kListedFiles); ++i) {
        config += "File" + std::to_string(i) + "<" + kListedFiles[i] + ">\n";
    }
    tree.Write(dev + kFileConfigFile, config);

    // Written lowest precedence first, so the kept layers merge in writing order.
    for (int i = static_cast<int>(std::size(kListedFiles)) - 1; i >= 0; --i) {
        const std::string rel = dev + kListedFiles[i];
        Rng rng = tree.RngFor(rel);
        FileContent content = HomeContent(schema, i + 1, rng);
        // Some entries repeat what the base file and other listed files say, and lose to them.
        FileContent shadowed = OverrideContent(schema, 0.03, 0.5, rng);
        content.insert(content.end(), shadowed.begin(), shadowed.end());
        tree.Layer(rel, content, rng, true);
    }
    {
        Rng rng = tree.RngFor(dev + kBaseFile);
        tree.Layer(dev + kBaseFile, HomeContent(schema, 0, rng), rng, true);
    }
    for (int g = 0; g < kGroups; ++g) {
        const std::string rel = dev + GroupName(g) + "/" + kGroupFile;
        Rng rng = tree.RngFor(rel);
        tree.Layer(rel, OverrideContent(schema, 0.15, 0.5, rng), rng, GroupName(g) == start.f);
    }
    for (int g = 0; g < kGroups; ++g) {
        for (int p = 0; p < kProbes; ++p) {
            const std::string dir = dev + GroupName(g) + "/" + ProbeName(p) + "/";
            Rng rng = tree.RngFor(dir + kProbeFile);
            const bool probeSelected = GroupName(g) == start.f && ProbeName(p) == start.p;
            tree.Layer(dir + kProbeFile, OverrideContent(schema, 0.06, 0.5, rng), rng,
                       probeSelected);
        }
    }
    for (int g = 0; g < kGroups; ++g) {
        for (int p = 0; p < kProbes; ++p) {
            for (int a = 0; a < kClinicals; ++a) {
                const std::string rel = dev + GroupName(g) + "/" + ProbeName(p) + "/" +
                                        ClinicalName(a) + "/" + kClinicalFile;
                Rng rng = tree.RngFor(rel);
                const bool selected = GroupName(g) == start.f && ProbeName(p) == start.p &&
                                      ClinicalName(a) == start.a;
                tree.Layer(rel, OverrideContent(schema, 0.008, 0.5, rng, true), rng, selected);
            }
        }
    }
    {
        const std::string rel = dev + kClinicalDir + "/" + kClinicalBaseFile;
        Rng rng = tree.RngFor(rel);
        tree.Layer(rel, OverrideContent(schema, 0.10, 0.5, rng), rng, true);
    }
    for (int a = 0; a < kClinicals; ++a) {
        const std::string rel = dev + kClinicalDir + "/" + ClinicalName(a) + "/" + kClinicalFile;
        Rng rng = tree.RngFor(rel);
        tree.Layer(rel, OverrideContent(schema, 0.03, 0.5, rng), rng, ClinicalName(a) == start.a);
    }
    {
        const std::string rel = std::string(kUserDefinedDir) + "/" + kResourceName + "/" + start.f +
                                "/" + start.p + "/" + start.a + "/" + kClinicalFile;
        Rng rng = tree.RngFor(rel);
        // A few sections even in a small tree.
        const double share = std::max(0.002, 4.0 / sections);
        tree.Layer(rel, OverrideContent(schema, share, 0.3, rng), rng, true);
    }

    ParamTable merged;
    for (const FileContent& layer : tree.Selected()) {
        for (const auto& [section, entries] : layer) {
            for (const auto& [key, value] : entries) {
                merged[section][key] = value;
            }
        }
    }
    // The figures describe the tree; the peer files are written after them.
    GeneratorStats stats = tree.Stats();
    for (const auto& [section, entries] : merged) {
        stats.selectionEntries += entries.size();
    }
    const std::string peers = std::string(kPeerDir) + "/";
    FileContent flat;
    for (const auto& [section, entries] : merged) {
        flat.emplace_back(section, Entries(entries.begin(), entries.end()));
    }
    // The top-level entries go first: before the first tag is where they belong.
    std::stable_partition(flat.begin(), flat.end(),
                          [](const auto& s) { return s.first == kGlobalSection; });
    Rng rng = tree.RngFor(peers + kPeerPp);
    const std::string pp = FormatPp(flat, "Merged parameters of one selection", rng);
    stats.selectionPpBytes = pp.size();
    tree.Write(peers + kPeerPp, pp);
    tree.Write(peers + kPeerIni, FormatIni(merged));
    tree.Write(peers + kPeerToml, FormatToml(merged));
    tree.Write(peers + kPeerCfg, FormatLibconfig(merged));
    // The first sections of the schema, the lookup section first, name the IdEnum groups.
    std::string ids = "# IdEnum value and the section path that carries its hashed key\n";
    for (int id = 0; id < kIdCount && id + 1 < static_cast<int>(schema.size()); ++id) {
        ids += std::to_string(id) + " " + schema[id + 1].path + "\n";
    }
    static_assert(kLookupId == 0, "the lookup section is the schema's second section");
    tree.Write(std::string("dev/") + kIdNamesFile, ids);
    tree.Write(std::string("dev/") + kResourceName + kSchemaSuffix, SchemaText(layout));
    return stats;
}

}  // namespace reftree
