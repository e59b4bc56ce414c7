// The benchmark table: figures in each row's unit, ratios, and whether a target holds.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "BenchCases.h"
#include "ResultTable.h"

using bench::Result;
using bench::ResultTable;
namespace name = bench::name;

namespace {

// The table line whose measure and peer columns are these (an empty peer: ours alone).
std::string LineOf(const std::string& table, const std::string& measure, const std::string& peer) {
    std::istringstream lines(table);
    for (std::string line; std::getline(lines, line);) {
        const std::string start = "| " + measure + " | ";
        if (line.rfind(start, 0) != 0) {
            continue;
        }
        const size_t peerStart = line.find(" | ", start.size()) + 3;
        if (line.compare(peerStart, peer.size() + 3, peer + " | ") == 0) {
            return line;
        }
    }
    return "no line for " + measure + " / " + peer;
}

Result Rate(double bytesPerSecond) {
    Result r;
    r.bytesPerSecond = bytesPerSecond;
    return r;
}

Result Time(double ns) {
    Result r;
    r.ns = ns;
    return r;
}

Result PerItem(double nsPerItem) {
    Result r;
    r.itemsPerSecond = 1e9 / nsPerItem;
    return r;
}

Result Factor(double value) {
    Result r;
    r.value = value;
    return r;
}

}  // namespace

TEST(ResultTable, RatiosAndTargetsInEachRowsUnit) {
    struct Case {
        const char* what;
        const char* ours;
        Result oursResult;
        const char* peer;
        Result peerResult;
        const char* measure;
        const char* peerLabel;
        const char* expected;  // the line from the ours column on
    };
    const Case cases[] = {
        {"faster parse holds", name::kParseOurs, Rate(300e6), name::kParseInihMap, Rate(100e6),
         "Parse one .pp file (MB/s)", "inih, map of strings",
         "300 | inih, map of strings | 100 | 3 | ratio >= 1.0 | yes |"},
        {"slower parse fails", name::kParseOurs, Rate(50e6), name::kParseInihMap, Rate(100e6),
         "Parse one .pp file (MB/s)", "inih, map of strings",
         "50.0 | inih, map of strings | 100 | 0.5 | ratio >= 1.0 | NO |"},
        {"cheap switch holds", name::kClinicalText, Time(10e6), name::kInitialText, Time(100e6),
         "Text store, clinical switch (ms)", "our text first Initial",
         "10.0 | our text first Initial | 100 | 0.1 | ratio <= 0.2 | yes |"},
        {"dear switch fails", name::kClinicalText, Time(30e6), name::kInitialText, Time(100e6),
         "Text store, clinical switch (ms)", "our text first Initial",
         "30.0 | our text first Initial | 100 | 0.3 | ratio <= 0.2 | NO |"},
        {"list per element", name::kListOursText, PerItem(15), name::kListFromChars, PerItem(12),
         "256 floats, text store (ns/element)", "std::from_chars",
         "15.0 | std::from_chars | 12.0 | 1.25 | ratio <= 1.5 | yes |"},
        {"peer without a target", name::kIntOursText, Time(50), name::kIntBoost, Time(500),
         "Int by name, text store (ns)", "Boost.PropertyTree",
         "50.0 | Boost.PropertyTree | 500 | 0.1 |  |  |"},
    };
    for (const Case& c : cases) {
        ResultTable table;
        table.Add(c.ours, c.oursResult);
        table.Add(c.peer, c.peerResult);
        const std::string line = LineOf(table.Format(""), c.measure, c.peerLabel);
        EXPECT_EQ(line, std::string("| ") + c.measure + " | " + c.expected) << c.what;
    }
}

TEST(ResultTable, LimitsOnOursAloneMissingFiguresErrorsAndNotes) {
    ResultTable table;
    table.Add(name::kListOursText, PerItem(25));
    table.Add(name::kMemoryText, Factor(2.5));
    table.Add(name::kMemoryBinary, Factor(1.5));
    table.Add(name::kIntOursText, Time(40));
    table.AddError(name::kIntInih, "wrong answer");
    table.Add(name::kIntInih, Time(80));  // a figure of a failed case is not shown
    table.AddNote("text store: some detail.");
    const std::string text = table.Format("Header line.\n");

    EXPECT_EQ(text.rfind("Header line.\n", 0), 0u);
    EXPECT_EQ(LineOf(text, "256 floats, text store (ns/element)", ""),
              "| 256 floats, text store (ns/element) | 25.0 |  |  |  | <= 20.0 | NO |");
    EXPECT_EQ(LineOf(text, "Peak RSS, text store (x bytes of files read)", ""),
              "| Peak RSS, text store (x bytes of files read) | 2.5 |  |  |  | <= 3.0 | yes |");
    EXPECT_EQ(LineOf(text, "Peak RSS, binary store (x resource file size)", ""),
              "| Peak RSS, binary store (x resource file size) | 1.5 |  |  |  | <= 1.05 | NO |");
    EXPECT_EQ(LineOf(text, "Int by name, text store (ns)", "inih map + stoi"),
              "| Int by name, text store (ns) | 40.0 | inih map + stoi | failed: wrong answer |  "
              "| ratio <= 1.0 | n/a |");
    EXPECT_EQ(LineOf(text, "Int by name, text store (ns)", "toml++"),
              "| Int by name, text store (ns) | 40.0 | toml++ | n/a |  | ratio <= 0.25 | n/a |");
    EXPECT_EQ(LineOf(text, "Text store, first Initial (ms)", ""),
              "| Text store, first Initial (ms) | n/a |  |  |  |  |  |");
    EXPECT_NE(text.find("|\n\ntext store: some detail.\n"), std::string::npos);
}
