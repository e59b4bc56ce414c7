// Tables of numbers: rows split at ";", a flat list read as a column.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "quendel/Quendel.h"
#include "resource/ValueText.h"

namespace {

using IntRows = std::vector<std::vector<int>>;
using FloatRows = std::vector<std::vector<float>>;

int WarningLines(const std::string& out) {
    const std::string line = "Warning! Number is casted to int\n";
    int count = 0;
    for (size_t pos = out.find(line); pos != std::string::npos; pos = out.find(line, pos + 1)) {
        ++count;
    }
    EXPECT_EQ(out.size(), count * line.size()) << "unexpected output: " << out;
    return count;
}

// A flat list is a column; ";" splits rows, inside quotes too; empty rows go; a bad token ends
// its row; every int cast warns.
TEST(NestedListsTest, RowsSplitAtSemicolons) {
    struct Case {
        std::string text;
        IntRows rows;
        int warnings;
    };
    const Case cases[] = {{"1, 2, 3", {{1}, {2}, {3}}, 0},   {"1 2;3", {{1, 2}, {3}}, 0},
                          {"1, x, 3; 4", {{1}, {4}}, 0},     {"1.5; 2", {{1}, {2}}, 1},
                          {"\"1\"; \"2;3\"", {{1}, {2}}, 0}, {";1;; x;2;", {{1}, {2}}, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE("'" + c.text + "'");
        testing::internal::CaptureStdout();
        const IntRows rows = StringToNestedIntVec(c.text);
        EXPECT_EQ(WarningLines(testing::internal::GetCapturedStdout()), c.warnings);
        EXPECT_EQ(rows, c.rows);
    }
    EXPECT_EQ(StringToNestedFLoatVec("0.5, 1.25; -2"), (FloatRows{{0.5f, 1.25f}, {-2.0f}}));
    EXPECT_EQ(StringToNestedFLoatVec("1e3; 7"), (FloatRows{{7.0f}}));
}

}  // namespace
