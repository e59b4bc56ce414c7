// The benchmark table: figures in each row's unit, ratios in the target's direction, limits on
// ours alone, and failed or missing figures never shown as a result.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "BenchCases.h"
#include "ResultTable.h"

using bench::Result;
namespace name = bench::name;

TEST(ResultTable, RatiosLimitsErrorsAndNotes) {
    // Result{ns, bytes per second, items per second, factor}
    const std::vector<std::vector<std::pair<const char*, Result>>> tables = {
        {{name::kParseOurs, Result{0, 50e6}},
         {name::kParseInihMap, Result{0, 100e6}},
         {name::kClinicalText, Result{10e6}},
         {name::kInitialText, Result{100e6}},
         {name::kListOursText, Result{0, 0, 1e9 / 15}},
         {name::kListFromChars, Result{0, 0, 1e9 / 12}},
         {name::kIntOursText, Result{50}},
         {name::kIntBoost, Result{500}}},
        {{name::kListOursText, Result{0, 0, 1e9 / 25}},
         {name::kMemoryText, Result{0, 0, 0, 2.5}},
         {name::kMemoryBinary, Result{0, 0, 0, 1.5}},
         {name::kIntOursText, Result{40}},
         {name::kIntInih, Result{80}}}};  // failed below: its figure is not shown
    const std::vector<std::vector<std::pair<std::string, std::string>>> lines = {
        {{"Parse one .pp file (MB/s)",
          "50.0 | inih, map of strings | 100 | 0.5 | ratio >= 1.0 | NO |"},
         {"Text store, clinical switch (ms)",
          "10.0 | our text first Initial | 100 | 0.1 | ratio <= 0.2 | yes |"},
         {"256 floats, text store (ns/element)",
          "15.0 | std::from_chars | 12.0 | 1.25 | ratio <= 1.5 | yes |"},
         {"Int by name, text store (ns)", "50.0 | Boost.PropertyTree | 500 | 0.1 |  |  |"}},
        {{"256 floats, text store (ns/element)", "25.0 |  |  |  | <= 20.0 | NO |"},
         {"Peak RSS, text store (x bytes of files read)", "2.5 |  |  |  | <= 3.0 | yes |"},
         {"Peak RSS, binary store (x resource file size)", "1.5 |  |  |  | <= 1.05 | NO |"},
         {"Int by name, text store (ns)",
          "40.0 | inih map + stoi | failed: wrong answer |  | ratio <= 1.0 | n/a |"},
         {"Int by name, text store (ns)", "40.0 | toml++ | n/a |  | ratio <= 0.25 | n/a |"},
         {"Text store, first Initial (ms)", "n/a |  |  |  |  |  |"}}};
    for (size_t t = 0; t < tables.size(); ++t) {
        bench::ResultTable table;
        for (const auto& [case_, result] : tables[t]) {
            table.Add(case_, result);
        }
        table.AddError(name::kIntInih, "wrong answer");
        table.AddNote("text store: some detail.");
        const std::string text = table.Format("Header line.\n");
        EXPECT_EQ(text.rfind("Header line.\n", 0), 0u);
        EXPECT_NE(text.find("|\n\ntext store: some detail.\n"), std::string::npos);
        for (const auto& [measure, rest] : lines[t]) {
            EXPECT_NE(text.find("\n| " + measure + " | " + rest + "\n"), std::string::npos)
                << measure << " | " << rest << "\n"
                << text;
        }
    }
}
