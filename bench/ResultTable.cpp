#include "ResultTable.h"

#include <cstdio>
#include <optional>
#include <vector>

#include "BenchCases.h"

namespace bench {
namespace {

enum class Figure { MBps, Ns, NsPerItem, Ms, Factor };

// A target compares ours with the peer (a ratio), or ours alone with a limit.
enum class Check { None, RatioAtLeast, RatioAtMost, AtMost };

struct Row {
    const char* measure;
    Figure figure;
    const char* ours;
    const char* peerLabel;  // null when ours stands alone
    const char* peer;
    Check check = Check::None;
    double limit = 0;
    bool goal = false;  // a goal beyond the target, shown as such
};

using namespace name;

// clang-format off
const Row kRows[] = {
    {"Parse one .pp file (MB/s)", Figure::MBps, kParseOurs, "inih, map of strings", kParseInihMap, Check::RatioAtLeast, 1.0},
    {"Parse one .pp file (MB/s)", Figure::MBps, kParseOurs, "inih, no-op handler", kParseInihNoop},
    {"Parse one .pp file (MB/s)", Figure::MBps, kParseOurs, "Boost.PropertyTree INI", kParseBoost},
    {"Parse one .pp file (MB/s)", Figure::MBps, kParseOurs, "libconfig++", kParseLibconfig},
    {"Parse one .pp file (MB/s)", Figure::MBps, kParseOurs, "toml++", kParseToml},
    {"Text store, first Initial (MB/s of files read)", Figure::MBps, kInitialText, "inih, map of strings", kParseInihMap, Check::RatioAtLeast, 1.0},
    {"Text store, first Initial (ms)", Figure::Ms, kInitialText, nullptr, nullptr},
    {"Text store, clinical switch (ms)", Figure::Ms, kClinicalText, "our text first Initial", kInitialText, Check::RatioAtMost, 0.2},
    {"Text store, transducer switch (ms)", Figure::Ms, kProbeText, "our text first Initial", kInitialText},
    {"Text store, group switch (ms)", Figure::Ms, kGroupText, "our text first Initial", kInitialText},
    {"Binary store, first Initial (ms)", Figure::Ms, kInitialBinary, "map + XXH3-64 of the file", kMapAndHash, Check::RatioAtMost, 2.0},
    {"Binary store, first Initial (ms)", Figure::Ms, kInitialBinary, "map + XXH3-64 of the file", kMapAndHash, Check::RatioAtMost, 1.3, true},
    {"Binary store, first Initial (ms)", Figure::Ms, kInitialBinary, "our text first Initial", kInitialText},
    {"OpenFile of the packed tree (ms)", Figure::Ms, kOpenFile, "map + XXH3-64 of the file", kMapAndHash},
    {"Binary store, clinical switch (ms)", Figure::Ms, kClinicalBinary, "our text first Initial", kInitialText, Check::RatioAtMost, 0.01},
    {"Binary store, clinical switch (ms)", Figure::Ms, kClinicalBinary, nullptr, nullptr, Check::AtMost, 0.002},
    {"Binary store, transducer switch (ms)", Figure::Ms, kProbeBinary, nullptr, nullptr, Check::AtMost, 0.002},
    {"Binary store, group switch (ms)", Figure::Ms, kGroupBinary, nullptr, nullptr, Check::AtMost, 0.002},
    {"Int by name, text store (ns)", Figure::Ns, kIntOursText, "inih map + stoi", kIntInih, Check::RatioAtMost, 1.0},
    {"Int by name, text store (ns)", Figure::Ns, kIntOursText, "toml++", kIntToml, Check::RatioAtMost, 0.25},
    {"Int by name, text store (ns)", Figure::Ns, kIntOursText, "Boost.PropertyTree", kIntBoost},
    {"Int by name, text store (ns)", Figure::Ns, kIntOursText, "libconfig++", kIntLibconfig},
    {"Int by name, text store (ns)", Figure::Ns, kIntOursText, "unordered_map find", kIntUnorderedMap, Check::RatioAtMost, 3.0},
    {"Int by name, text store (ns)", Figure::Ns, kIntOursText, "two-level std::map find", kIntTwoLevelMap},
    {"Int by name, binary store (ns)", Figure::Ns, kIntOursBinary, "our text store", kIntOursText, Check::RatioAtMost, 1.0},
    {"Int by name, binary store (ns)", Figure::Ns, kIntOursBinary, "unordered_map find", kIntUnorderedMap, Check::RatioAtMost, 4.0},
    {"Int by name, binary store (ns)", Figure::Ns, kIntOursBinary, "unordered_map find", kIntUnorderedMap, Check::RatioAtMost, 2.5, true},
    {"Int by name, binary store (ns)", Figure::Ns, kIntOursBinary, "inih map + stoi", kIntInih},
    {"Int by IdEnum, binary store (ns)", Figure::Ns, kIntIdEnumBinary, "unordered_map find", kIntUnorderedMap, Check::RatioAtMost, 2.0},
    {"Int by hashed key, binary store (ns)", Figure::Ns, kIntHashedBinary, "unordered_map find", kIntUnorderedMap, Check::RatioAtMost, 2.0},
    {"String by name, text store (ns)", Figure::Ns, kWordOursText, "inih map", kWordInih},
    {"String by name, text store (ns)", Figure::Ns, kWordOursText, "toml++", kWordToml},
    {"String by name, text store (ns)", Figure::Ns, kWordOursText, "Boost.PropertyTree", kWordBoost},
    {"String by name, text store (ns)", Figure::Ns, kWordOursText, "libconfig++", kWordLibconfig},
    {"String by name, binary store (ns)", Figure::Ns, kWordOursBinary, "inih map", kWordInih},
    {"256 floats, text store (ns/element)", Figure::NsPerItem, kListOursText, nullptr, nullptr, Check::AtMost, 20},
    {"256 floats, text store (ns/element)", Figure::NsPerItem, kListOursText, "std::from_chars", kListFromChars, Check::RatioAtMost, 1.5},
    {"256 floats, text store (ns/element)", Figure::NsPerItem, kListOursText, "std::from_chars", kListFromChars, Check::RatioAtMost, 1.2, true},
    {"256 floats, text store (ns/element)", Figure::NsPerItem, kListOursText, "strtof", kListStrtof},
    {"256 floats, text store (ns/element)", Figure::NsPerItem, kListOursText, "inih map + from_chars", kListInih},
    {"256 floats, text store (ns/element)", Figure::NsPerItem, kListOursText, "toml++", kListToml},
    {"256 floats, text store (ns/element)", Figure::NsPerItem, kListOursText, "Boost.PropertyTree + from_chars", kListBoost},
    {"256 floats, text store (ns/element)", Figure::NsPerItem, kListOursText, "libconfig++", kListLibconfig},
    {"256 floats, binary store (ns/element)", Figure::NsPerItem, kListOursBinary, "std::from_chars", kListFromChars},
    {"One list element, text store (ns)", Figure::Ns, kElementOursText, nullptr, nullptr},
    {"One list element, binary store (ns)", Figure::Ns, kElementOursBinary, nullptr, nullptr},
    {"quendel pack, whole tree (ms)", Figure::Ms, kPack, nullptr, nullptr},
    {"quendel lint, whole tree (ms)", Figure::Ms, kLintTree, nullptr, nullptr, Check::AtMost, 2000},
    {"quendel lint, whole tree (ms)", Figure::Ms, kLintTree, "the same without the checks across selections", kLintTreeLayers, Check::RatioAtMost, 1.5},
    {"quendel matrix of one key, binary store (ms)", Figure::Ms, kMatrixBinary, nullptr, nullptr, Check::AtMost, 50},
    {"quendel matrix of one key, text store (ms)", Figure::Ms, kMatrixText, nullptr, nullptr},
    {"quendel impact, one group clinical file edited (ms)", Figure::Ms, kImpactOne, nullptr, nullptr, Check::AtMost, 200},
    {"quendel impact, trees of other seeds (ms)", Figure::Ms, kImpactAll, nullptr, nullptr, Check::AtMost, 10000},
    {"Peak RSS, text store (x bytes of files read)", Figure::Factor, kMemoryText, nullptr, nullptr, Check::AtMost, 3.0},
    {"Peak RSS, binary store (x resource file size)", Figure::Factor, kMemoryBinary, nullptr, nullptr, Check::AtMost, 1.05},
    {"quendel lsp, start to the first diagnostics (ms)", Figure::Ms, kLspStartup, "quendel lint, whole tree", kLintTree, Check::RatioAtMost, 1.5},
    {"quendel lsp, diagnostics after an edit of a group clinical file (ms)", Figure::Ms, kLspEditClinical, nullptr, nullptr, Check::AtMost, 20},
    {"quendel lsp, diagnostics after an edit of the base file (ms)", Figure::Ms, kLspEditBase, nullptr, nullptr, Check::AtMost, 500},
    {"quendel lsp, hover (ms)", Figure::Ms, kLspHover, nullptr, nullptr, Check::AtMost, 2},
    {"quendel lsp, definition (ms)", Figure::Ms, kLspDefinition, nullptr, nullptr, Check::AtMost, 2},
    {"Peak RSS, impact of trees of other seeds (x both trees' bytes)", Figure::Factor, kMemoryImpact, nullptr, nullptr, Check::AtMost, 3.0},
    {"Peak RSS, quendel lsp with the tree read (x the tree's bytes)", Figure::Factor, kMemoryLsp, nullptr, nullptr, Check::AtMost, 4.0},
};
// clang-format on

std::optional<double> FigureOf(const Result& r, Figure figure) {
    switch (figure) {
        case Figure::MBps:
            return r.bytesPerSecond > 0 ? std::optional(r.bytesPerSecond / 1e6) : std::nullopt;
        case Figure::Ns:
            return r.ns;
        case Figure::NsPerItem:
            return r.itemsPerSecond > 0 ? std::optional(1e9 / r.itemsPerSecond) : std::nullopt;
        case Figure::Ms:
            return r.ns / 1e6;
        case Figure::Factor:
            return r.value;
    }
    return std::nullopt;
}

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, value >= 100 ? "%.0f" : value >= 10 ? "%.1f" : "%.3g", value);
    return text;
}

std::string TargetText(const Row& row) {
    // Whole tenths keep one decimal (1.0, 20.0); finer limits show their digits (1.05, 0.002).
    const bool tenths = row.limit >= 1 && row.limit * 10 == static_cast<long>(row.limit * 10);
    char limit[32];
    std::snprintf(limit, sizeof limit, tenths ? "%.1f" : "%.3g", row.limit);
    const std::string goal = row.goal ? " (goal)" : "";
    switch (row.check) {
        case Check::RatioAtLeast:
            return std::string("ratio >= ") + limit + goal;
        case Check::RatioAtMost:
            return std::string("ratio <= ") + limit + goal;
        case Check::AtMost:
            return std::string("<= ") + limit + goal;
        case Check::None:
            break;
    }
    return "";
}

}  // namespace

std::string ResultTable::Format(const std::string& header) const {
    std::string out = header;
    out += "\n| Measure | Ours | Peer | Peer's | Ratio | Target | Holds |\n";
    out += "|---|---:|---|---:|---:|---|---|\n";
    const auto figure = [this](const char* name, Figure kind) -> std::optional<double> {
        if (m_errors.count(name ? name : "") > 0) {
            return std::nullopt;
        }
        const auto it = m_results.find(name ? name : "");
        return it == m_results.end() ? std::nullopt : FigureOf(it->second, kind);
    };
    const auto shown = [this](const char* name, const std::optional<double>& value) {
        if (value) {
            return Number(*value);
        }
        const auto error = m_errors.find(name ? name : "");
        return error != m_errors.end() ? "failed: " + error->second : std::string("n/a");
    };
    for (const Row& row : kRows) {
        const auto ours = figure(row.ours, row.figure);
        const auto peer = figure(row.peer, row.figure);
        std::optional<double> ratio;
        if (ours && peer && *peer > 0) {
            ratio = *ours / *peer;
        }
        std::string holds;
        if (row.check == Check::AtMost) {
            holds = ours ? (*ours <= row.limit ? "yes" : "NO") : "n/a";
        } else if (row.check != Check::None) {
            const bool ok = ratio && (row.check == Check::RatioAtLeast ? *ratio >= row.limit
                                                                       : *ratio <= row.limit);
            holds = ratio ? (ok ? "yes" : "NO") : "n/a";
        }
        out += std::string("| ") + row.measure + " | " + shown(row.ours, ours) + " | " +
               (row.peerLabel ? row.peerLabel : "") + " | " +
               (row.peer ? shown(row.peer, peer) : "") + " | " + (ratio ? Number(*ratio) : "") +
               " | " + TargetText(row) + " | " + holds + " |\n";
    }
    return m_notes.empty() ? out : out + "\n" + m_notes;
}

}  // namespace bench
