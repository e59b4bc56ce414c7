// The strict, word and stream conversions of value text, with the int-cast warning line, and the
// tables of numbers built on them.
#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <locale>
#include <string>
#include <thread>
#include <vector>

#include "quendel/Quendel.h"
#include "resource/StringOps.h"
#include "resource/ValueText.h"

namespace {

const std::string kWarningLine = std::string("Warning! Number is casted to int") + "\n";

// Counts the warning lines in captured standard output; anything else there is a fault.
int WarningLines(const std::string& out) {
    int lines = 0;
    size_t pos = 0;
    while (pos < out.size()) {
        if (out.compare(pos, kWarningLine.size(), kWarningLine) != 0) {
            ADD_FAILURE() << "unexpected standard output: '" << out.substr(pos) << "'";
            return -1;
        }
        pos += kWarningLine.size();
        ++lines;
    }
    return lines;
}

// Runs convert with standard output captured; returns the number of warning lines.
template <class Convert>
int WarningsOf(Convert convert) {
    testing::internal::CaptureStdout();
    convert();
    return WarningLines(testing::internal::GetCapturedStdout());
}

bool SameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}
bool SameBits(float a, float b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(ValueTextTest, StrictNumbers) {
    struct Case {
        std::string text;
        bool ok;
        int number;  // ToInt and ToLong
        double real;
        int warnings;  // of ToInt
    };
    const Case cases[] = {
        {"", true, 0, 0.0, 0},
        {"2.7", true, 2, 2.7, 1},
        {"-2.7", true, -2, -2.7, 1},
        {" 5", false, 0, 0.0, 0},
        {"5abc", false, 0, 0.0, 0},
        {"1e3", false, 0, 0.0, 0},
        {"+42", true, 42, 42.0, 0},
        {"5.", true, 5, 5.0, 1},
        {".5", true, 0, 0.5, 1},
        {"-.", true, 0, 0.0, 1},
        {"-0", true, 0, -0.0, 0},
        {"0007", true, 7, 7.0, 0},
        {"2147483647", true, INT_MAX, 2147483647.0, 0},
        {"-2147483648", true, INT_MIN, -2147483648.0, 0},
        {"1.2.3", false, 0, 0.0, 0},
        {"1-2", false, 0, 0.0, 0},
        {"+-1", false, 0, 0.0, 0},
        {"1+", false, 0, 0.0, 0},
        {".", false, 0, 0.0, 0},
        {"-", false, 0, 0.0, 0},
        {"+.", true, 0, 0.0, 1},
        {"++1", false, 0, 0.0, 0},
        {"0x10", false, 0, 0.0, 0},
        {"1,5", false, 0, 0.0, 0},
        {std::string("1\0"
                     "2",
                     3),
         false, 0, 0.0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("'" + c.text + "'");
        int i = -99;
        long l = -99;
        double d = -99.0;
        float f = -99.0f;
        bool okInt = false;
        EXPECT_EQ(WarningsOf([&] { okInt = ToInt(c.text, i); }), c.warnings);
        EXPECT_EQ(WarningsOf([&] {
                      EXPECT_EQ(ToLong(c.text, l), c.ok);
                      EXPECT_EQ(ToDouble(c.text, d), c.ok);
                      EXPECT_EQ(ToFloat(c.text, f), c.ok);
                  }),
                  0);
        EXPECT_EQ(okInt, c.ok);
        EXPECT_EQ(i, c.ok ? c.number : -99);  // a failure leaves the value as it was
        EXPECT_EQ(l, c.ok ? c.number : -99);
        EXPECT_TRUE(SameBits(d, c.ok ? c.real : -99.0)) << d;
        EXPECT_TRUE(SameBits(f, static_cast<float>(c.ok ? c.real : -99.0))) << f;
    }
}

// Texts at the edges of each reading give the very bits atoi and atof give: digits past long's
// range saturate before the int cast keeps the low 32 bits; 15 and 16 significant digits, 10^22
// and 10^23 as the scale, halfway cases of float, and the ends of double's range.
TEST(ValueTextTest, EdgeTextsMatchTheCLibrary) {
    const std::string texts[] = {"2147483648",
                                 "4294967297",
                                 "-2147483649",
                                 "9223372036854775807",
                                 "9223372036854775808",
                                 "-9223372036854775808",
                                 "-9223372036854775809",
                                 "99999999999999999999999999",
                                 "-99999999999999999999999999.5",
                                 "123456789012345",
                                 "1234567890123456",
                                 "9007199254740993",
                                 "0.1234567890123456789012",
                                 "0.12345678901234567890123",
                                 "000000000000000012345.5",
                                 "1.0000000000000000",
                                 "-0.0000000000000000000001",
                                 "0.00000000000000000000001",
                                 "16777217",
                                 "340282356779733661637539395458142568447",
                                 "4.9406564584124654",
                                 std::string(400, '9'),
                                 "-0." + std::string(400, '0') + "1"};
    for (const std::string& text : texts) {
        long l = 0;
        double d = 0.0;
        float f = 0.0f;
        ASSERT_TRUE(ToLong(text, l) && ToDouble(text, d) && ToFloat(text, f)) << text;
        const double expected = std::atof(text.c_str());
        EXPECT_EQ(l, std::atoi(text.c_str())) << text;
        EXPECT_TRUE(SameBits(d, expected)) << text;
        EXPECT_TRUE(SameBits(f, static_cast<float>(expected))) << text;
    }
}

TEST(ValueTextTest, NarrowToFloatPastTheRange) {
    const double halfway = static_cast<double>(FLT_MAX) + std::ldexp(1.0, 103);
    EXPECT_EQ(NarrowToFloat(1e39), std::numeric_limits<float>::infinity());
    EXPECT_EQ(NarrowToFloat(-1e39), -std::numeric_limits<float>::infinity());
    EXPECT_EQ(NarrowToFloat(halfway), std::numeric_limits<float>::infinity());
    EXPECT_EQ(NarrowToFloat(std::nextafter(halfway, 0.0)), FLT_MAX);
    EXPECT_EQ(NarrowToFloat(-std::nextafter(halfway, 0.0)), -FLT_MAX);
    EXPECT_EQ(NarrowToFloat(FLT_MAX), FLT_MAX);
    EXPECT_EQ(NarrowToFloat(0.1), 0.1f);
    EXPECT_TRUE(std::isnan(NarrowToFloat(std::nan(""))));
    float f = 0.0f;
    ASSERT_TRUE(ToFloat(std::string(40, '9'), f));
    EXPECT_EQ(f, std::numeric_limits<float>::infinity());
    ASSERT_TRUE(StreamToFloat("-1e300", f));
    EXPECT_EQ(f, -std::numeric_limits<float>::infinity());
}

TEST(ValueTextTest, ToBool) {
    struct Case {
        std::string text;
        bool ok;
        bool value;
        int warnings;
    };
    const Case cases[] = {
        {"true", true, true, 0},
        {" True ", true, true, 0},
        {"\"FALSE\"", true, false, 0},
        {" \"fAlSe\" ", true, false, 0},
        {"\" true \"", false, false, 0},  // quotes are trimmed after spaces
        {"yes", false, false, 0},
        {"2", true, true, 0},
        {"", true, false, 0},
        {"0.9", true, false, 1},
        {"-1.5", true, true, 1},
        {"\"1\"", false, false, 0},
        {"\ttrue", false, false, 0},
        {"truee", false, false, 0},
        {"TRUE\xC3\xA9", false, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("'" + c.text + "'");
        bool value = !c.value;
        bool ok = false;
        EXPECT_EQ(WarningsOf([&] { ok = ToBool(c.text, value); }), c.warnings);
        EXPECT_EQ(ok, c.ok);
        EXPECT_EQ(value, c.value);
    }
}

TEST(ValueTextTest, NumberListsStopAtTheFirstBadToken) {
    std::vector<int> ints{7, 7, 7, 7};
    EXPECT_FALSE(ToIntVector("1, x, 3", ints));
    EXPECT_EQ(ints, std::vector<int>{1});

    std::vector<int> warned;
    EXPECT_EQ(WarningsOf([&] { EXPECT_TRUE(ToIntVector("4.5, 6", warned)); }), 1);
    EXPECT_EQ(warned, (std::vector<int>{4, 6}));

    std::vector<long> longs{9};
    EXPECT_EQ(WarningsOf([&] { EXPECT_TRUE(ToLongVector("1.5 -2.5,3", longs)); }), 2);
    EXPECT_EQ(longs, (std::vector<long>{1, -2, 3}));

    std::vector<double> doubles{5.0};
    EXPECT_TRUE(ToDoubleVector("\t, ,", doubles));
    EXPECT_TRUE(doubles.empty());
    EXPECT_FALSE(ToDoubleVector("0.25 \"1 2\" 3", doubles));  // a quoted piece is one token
    EXPECT_EQ(doubles, std::vector<double>{0.25});

    std::vector<float> floats;
    EXPECT_TRUE(ToFloatVector("0.1,-2", floats));
    EXPECT_EQ(floats, (std::vector<float>{0.1f, -2.0f}));
    EXPECT_FALSE(ToFloatVector("0.5, 1-2", floats));  // no sign inside a number
    EXPECT_EQ(floats, std::vector<float>{0.5f});
}

TEST(ValueTextTest, BoolAndStringLists) {
    std::vector<bool> bools{true, true, true, true, true};
    EXPECT_EQ(WarningsOf([&] { EXPECT_TRUE(ToBoolVector("false, TRUE 0.0 \"true\" 3", bools)); }),
              1);
    EXPECT_EQ(bools, (std::vector<bool>{false, true, false, true, true}));
    EXPECT_FALSE(ToBoolVector("true maybe false", bools));
    EXPECT_EQ(bools, std::vector<bool>{true});

    std::vector<std::string> strings{"old"};
    EXPECT_TRUE(ToStringVector("a, \"b c\"\td", strings));
    EXPECT_EQ(strings, (std::vector<std::string>{"a", "b c", "d"}));
    EXPECT_TRUE(ToStringVector("", strings));
    EXPECT_TRUE(strings.empty());
}

// Tables of numbers: a flat list is a column; ";" splits rows, inside quotes too; empty rows go;
// a bad token ends its row; every int cast warns.
TEST(NestedListsTest, RowsSplitAtSemicolons) {
    using IntRows = std::vector<std::vector<int>>;
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
        IntRows rows;
        EXPECT_EQ(WarningsOf([&] { rows = StringToNestedIntVec(c.text); }), c.warnings);
        EXPECT_EQ(rows, c.rows);
    }
    using FloatRows = std::vector<std::vector<float>>;
    EXPECT_EQ(StringToNestedFLoatVec("0.5, 1.25; -2"), (FloatRows{{0.5f, 1.25f}, {-2.0f}}));
    EXPECT_EQ(StringToNestedFLoatVec("1e3; 7"), (FloatRows{{7.0f}}));
}

// "1e400" is out of double's range: the stream fails. Past int's range the number is held at
// the nearest end instead of an undefined cast.
TEST(ValueTextTest, StreamNumbers) {
    struct Case {
        std::string text;
        bool ok;
        int number;
        double real;
    };
    const Case cases[] = {{"", false, 0, 0.0},
                          {"2.7", true, 2, 2.7},
                          {"-2.7", true, -2, -2.7},
                          {" 5", true, 5, 5.0},
                          {"\t\n5", true, 5, 5.0},
                          {"5abc", true, 5, 5.0},
                          {"1e3", true, 1000, 1000.0},
                          {"1.5mm", true, 1, 1.5},
                          {"+.5", true, 0, 0.5},
                          {"abc", false, 0, 0.0},
                          {"-", false, 0, 0.0},
                          {"1e400", false, 0, 0.0},
                          {"nan", false, 0, 0.0},
                          {"inf", false, 0, 0.0},
                          {"2147483647", true, INT_MAX, 2147483647.0},
                          {"2147483647.9", true, INT_MAX, 2147483647.9},
                          {"2147483648", true, INT_MAX, 2147483648.0},
                          {"1e10", true, INT_MAX, 1e10},
                          {"1e308", true, INT_MAX, 1e308},
                          {"-2147483648", true, INT_MIN, -2147483648.0},
                          {"-2147483648.9", true, INT_MIN, -2147483648.9},
                          {"-2147483649", true, INT_MIN, -2147483649.0},
                          {"-1e300", true, INT_MIN, -1e300},
                          {"-2147483647.5", true, -2147483647, -2147483647.5}};
    for (const Case& c : cases) {
        SCOPED_TRACE("'" + c.text + "'");
        int i = -99;
        float f = -99.0f;
        double d = -99.0;
        EXPECT_EQ(WarningsOf([&] {
                      EXPECT_EQ(StreamToInt(c.text, i), c.ok);
                      EXPECT_EQ(StreamToFloat(c.text, f), c.ok);
                      EXPECT_EQ(StreamToDouble(c.text, d), c.ok);
                  }),
                  0);
        EXPECT_EQ(i, c.ok ? c.number : -99);
        EXPECT_EQ(f, c.ok ? NarrowToFloat(c.real) : -99.0f);
        EXPECT_EQ(d, c.ok ? c.real : -99.0);
    }
    std::vector<int> list;
    EXPECT_TRUE(StreamToIntVector("1e12, -1e12, 3", list));
    EXPECT_EQ(list, (std::vector<int>{INT_MAX, INT_MIN, 3}));
}

TEST(ValueTextTest, StreamLists) {
    std::vector<double> doubles{1.0};
    EXPECT_TRUE(StreamToDoubleVector("1e2, 2.5x \"3 4\"", doubles));  // " 3 4": reads 3
    EXPECT_EQ(doubles, (std::vector<double>{100.0, 2.5, 3.0}));

    std::vector<int> ints;
    EXPECT_FALSE(StreamToIntVector("1, 2, x, 4", ints));
    EXPECT_EQ(ints, (std::vector<int>{1, 2}));
    EXPECT_TRUE(StreamToIntVector(",, ,", ints));
    EXPECT_TRUE(ints.empty());

    std::vector<float> floats;
    EXPECT_EQ(WarningsOf([&] { EXPECT_TRUE(StreamToFloatVector("0.5\t2.25", floats)); }), 0);
    EXPECT_EQ(floats, (std::vector<float>{0.5f, 2.25f}));

    // A token is read by itself: the reader must not run on into the next one.
    EXPECT_TRUE(StreamToDoubleVector("1,2", doubles));
    EXPECT_EQ(doubles, (std::vector<double>{1.0, 2.0}));
}

// Parameter texts write numbers with a point whatever locale the host has made global.
TEST(ValueTextTest, StreamIgnoresTheGlobalLocale) {
    struct CommaPoint : std::numpunct<char> {
        char do_decimal_point() const override { return ','; }
    };
    const std::locale previous =
        std::locale::global(std::locale(std::locale::classic(), new CommaPoint));
    double d = 0.0;
    std::thread fresh([&d] { StreamToDouble("2.5e0", d); });  // a thread that never read before
    fresh.join();
    std::locale::global(previous);
    EXPECT_EQ(d, 2.5);
}

// Each thread reads through its own stream (the exponent keeps the short-decimal path out).
TEST(ValueTextTest, StreamReadsFromManyThreadsAtOnce) {
    std::vector<int> wrong(4, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t, &wrong] {
            for (int i = t * 100000; i < t * 100000 + 5000; ++i) {
                std::vector<double> list;
                StreamToDoubleVector(std::to_string(i) + ".75e0 5e-1", list);
                wrong[t] += list != std::vector<double>{i + 0.75, 0.5};
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(wrong, std::vector<int>(4, 0));
}

}  // namespace
