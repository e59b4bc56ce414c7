#include "RefTreeGenerator.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
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

std::string SectionPath(Rng& rng) {
    std::string path = std::string(rng.Pick(kStageWords)) + (rng.Chance(0.5) ? "0" : "1") +
                       std::to_string(rng.Between(0, 9));
    const int depth = rng.Between(1, 10) <= 3 ? 1 : rng.Between(2, 3);
    for (int level = 1; level < depth; ++level) {
        path += ":" + std::string(rng.Pick(kChildWords)) + std::to_string(rng.Between(1, 4));
    }
    return path;
}

void AddRandomFields(Section& section, int count, Rng& rng) {
    std::set<std::string> used;
    for (const Field& field : section.fields) {
        used.insert(field.key);
    }
    while (static_cast<int>(section.fields.size()) < count) {
        const int index = rng.Between(0, 12);
        const std::string key = rng.Pick(kKeyWords) + (index < 4 ? "" : std::to_string(index));
        if (used.insert(key).second) {
            section.fields.push_back({key, PickKind(rng), rng.Between(16, 256)});
        }
    }
}

std::vector<Section> MakeSchema(uint64_t seed, int sections) {
    Rng rng(seed);
    std::vector<Section> schema;
    std::set<std::string> paths{kGlobalSection, kLookupSection};
    schema.push_back({kGlobalSection, {{"Version", Kind::Int, 0}, {"Product", Kind::Word, 0}}, 0});
    AddRandomFields(schema.back(), 12, rng);
    schema.push_back(
        {kLookupSection,
         {{kIntKey, Kind::Int, 0}, {kWordKey, Kind::Word, 0}, {kListKey, Kind::List, kListLength}},
         0});
    AddRandomFields(schema.back(), 20, rng);
    // After the random fields, so that they and every later section stay as they were drawn.
    schema.back().fields.push_back({kIntListKey, Kind::IntList, kListLength});
    schema.back().fields.push_back({kBoolListKey, Kind::BoolList, kListLength});
    while (static_cast<int>(schema.size()) < sections) {
        std::string path = SectionPath(rng);
        if (!paths.insert(path).second) {
            continue;
        }
        const int r = rng.Between(0, 9);
        schema.push_back({std::move(path), {}, r < 7 ? 0 : r - 6});
        AddRandomFields(schema.back(), rng.Between(6, 30), rng);
    }
    return schema;
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
    const std::vector<Section> schema = MakeSchema(seed, sections);
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
    return stats;
}

}  // namespace reftree
