// Tables of numbers: rows split at ";", a flat list read as a column.
#include <gtest/gtest.h>

#include <random>
#include <regex>
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
    const Case cases[] = {{"1, 2, 3", {{1}, {2}, {3}}, 0},
                          {"1 2;3", {{1, 2}, {3}}, 0},
                          {"1, x, 3; 4", {{1}, {4}}, 0},
                          {"1.5; 2", {{1}, {2}}, 1},
                          {"\"1\"; \"2;3\"", {{1}, {2}}, 0}};
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

// The rows as a regular-expression token split at ";" gives them: the plain split must agree.
template <class T>
std::vector<std::vector<T>> RegexSplitRows(const std::string& text,
                                           bool (*convert)(const std::string&, std::vector<T>&)) {
    std::vector<std::vector<T>> rows;
    std::vector<T> row;
    if (text.empty() || text.find(';') == std::string::npos) {
        convert(text, row);
        for (const T& value : row) {
            rows.push_back({value});
        }
        return rows;
    }
    const std::regex semicolon(";");
    for (std::sregex_token_iterator it(text.begin(), text.end(), semicolon, -1), end; it != end;
         ++it) {
        convert(it->str(), row);
        if (!row.empty()) {
            rows.push_back(row);
        }
    }
    return rows;
}

TEST(NestedListsTest, AgreesWithRegexSplitOnRandomTexts) {
    const std::string alphabet = "0123456789..;;;,, \t\"x-";
    std::mt19937 rng(7);
    for (int n = 0; n < 3000; ++n) {
        std::string text;
        const size_t length = rng() % 24;
        for (size_t i = 0; i < length; ++i) {
            text += alphabet[rng() % alphabet.size()];
        }
        SCOPED_TRACE("'" + text + "'");
        testing::internal::CaptureStdout();
        const IntRows ints = StringToNestedIntVec(text);
        const int warnings = WarningLines(testing::internal::GetCapturedStdout());
        testing::internal::CaptureStdout();
        const IntRows expectedInts = RegexSplitRows<int>(text, ToIntVector);
        const int expectedWarnings = WarningLines(testing::internal::GetCapturedStdout());
        ASSERT_EQ(ints, expectedInts);
        ASSERT_EQ(warnings, expectedWarnings);
        ASSERT_EQ(StringToNestedFLoatVec(text), RegexSplitRows<float>(text, ToFloatVector));
    }
}

}  // namespace
