// Lists and list elements answered from converted forms kept per stored value: the same answers
// and the same int-cast warnings as converting the text at every query, first query and later
// ones alike, and never a form of a value that a re-selection replaced.
#include <corvel/CorvelControl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "inspect/pack/ResourcePack.h"
#include "quendel/Quendel.h"
#include "resource/ConvertedValue.h"
#include "resource/ConvertedValueCache.h"
#include "resource/StringOps.h"
#include "resource/ValueText.h"

namespace {

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

template <class T>
struct Answer {
    bool ok = false;
    std::vector<T> values;
    std::string out;  // standard output: the warning lines
    bool operator==(const Answer& other) const {
        // The values of a failed conversion are never answered.
        return ok == other.ok && out == other.out && (!ok || SameBytes(other));
    }
    bool SameBytes(const Answer& other) const {
        if constexpr (std::is_same_v<T, bool> || std::is_same_v<T, std::string>) {
            return values == other.values;
        } else {
            // Bit for bit: a float list and a double list must also agree in the sign of zero.
            return values.size() == other.values.size() &&
                   (values.empty() || std::memcmp(values.data(), other.values.data(),
                                                  values.size() * sizeof(T)) == 0);
        }
    }
};

template <class T, class Read>
Answer<T> Run(Read read) {
    Answer<T> answer;
    CaptureStdout();
    answer.ok = read(answer.values);
    answer.out = GetCapturedStdout();
    return answer;
}

// Every list of each rule, asked twice of one converted value (made, then kept), against the
// conversion of the text itself.
void ExpectListsAsConverted(const std::string& text) {
    SCOPED_TRACE("'" + text + "'");
    ConvertedValue value(text);
    const auto both = [&](auto direct, NumberRule rule, auto type) {
        using T = decltype(type);
        const Answer<T> expected = Run<T>([&](std::vector<T>& list) { return direct(text, list); });
        for (int query = 0; query < 2; ++query) {
            EXPECT_EQ(Run<T>([&](std::vector<T>& list) { return value.ReadList(rule, list); }),
                      expected)
                << "query " << query << " of " << typeid(T).name();
        }
    };
    using Ints = std::vector<int>;
    using Longs = std::vector<long>;
    using Floats = std::vector<float>;
    using Doubles = std::vector<double>;
    using Bools = std::vector<bool>;
    using Strings = std::vector<std::string>;
    const auto strict = NumberRule::kStrict;
    const auto stream = NumberRule::kStream;
    both([](const std::string& t, Ints& l) { return ToIntVector(t, l); }, strict, int());
    both([](const std::string& t, Longs& l) { return ToLongVector(t, l); }, strict, long());
    both([](const std::string& t, Floats& l) { return ToFloatVector(t, l); }, strict, float());
    both([](const std::string& t, Doubles& l) { return ToDoubleVector(t, l); }, strict, double());
    both([](const std::string& t, Bools& l) { return ToBoolVector(t, l); }, strict, bool());
    both([](const std::string& t, Strings& l) { return ToStringVector(t, l); }, strict,
         std::string());
    both([](const std::string& t, Ints& l) { return StreamToIntVector(t, l); }, stream, int());
    both([](const std::string& t, Floats& l) { return StreamToFloatVector(t, l); }, stream,
         float());
    both([](const std::string& t, Doubles& l) { return StreamToDoubleVector(t, l); }, stream,
         double());
    both([](const std::string& t, Bools& l) { return ToBoolVector(t, l); }, stream, bool());

    const std::vector<std::string> tokens = Tokenize(text, ", ");
    std::string_view token;
    for (size_t i = 0; i < tokens.size(); ++i) {
        ASSERT_TRUE(value.Token(i, token)) << i;
        EXPECT_EQ(token, tokens[i]) << i;
    }
    EXPECT_FALSE(value.Token(tokens.size(), token));
    EXPECT_FALSE(value.Token(UINT64_MAX, token));
}

TEST(ConvertedValueTest, ListsAndTokensAreThoseOfTheText) {
    for (const std::string text : {
             "1, 2, 3",
             "0.5, -1.25, 3e2",
             "4.5, 6, -7.9",
             "1, x, 3",
             "2.5, 1, x",
             "",
             " , ,,",
             "true, FALSE, 1, 0.0, \"true\"",
             "yes, 1",
             "1e3, 5abc, 0x10",
             "1\t2\t\"a\tb\", 3",
             "\"a b\", c",
             "\" a b\"",
             "ab\"cd, 7",
             "  5 , 6  ",
             "99999999999, -1e400, 1e-400",
             "3.4028235e38, 1e39, -.5, +2",
             "0.1, 0.2, 0.30000000000000004",
         }) {
        ExpectListsAsConverted(text);
    }
}

TEST(ConvertedValueCacheTest, OneValuePerTextPlace) {
    ConvertedValueCache cache;
    const std::string a = "1, 2";
    const std::string b = "1, 2";  // equal text elsewhere: a value of its own
    std::vector<std::string> many(300, "7");
    ConvertedValue& first = cache.Of(a);
    EXPECT_NE(&cache.Of(b), &first);
    EXPECT_NE(&cache.Of(std::string_view(a).substr(0, 1)), &first);
    for (const std::string& text : many) {  // the table grows; values stay where they are
        EXPECT_EQ(cache.Of(text).Text().data(), text.data());
    }
    EXPECT_EQ(&cache.Of(a), &first);
    EXPECT_EQ(&cache.Of(many[17]), &cache.Of(many[17]));
    // Texts at one place differ by their length: every prefix is a value of its own, however
    // the table's probes cross.
    const std::string line(200, '5');
    for (size_t n = 1; n <= line.size(); ++n) {
        EXPECT_EQ(cache.Of(std::string_view(line).substr(0, n)).Text().size(), n);
    }
    std::vector<int> list;
    ASSERT_TRUE(first.ReadList(NumberRule::kStrict, list));
    EXPECT_EQ(list, (std::vector<int>{1, 2}));
    cache.Clear();
    EXPECT_EQ(cache.Of(a).Text().data(), a.data());
}

// Both stores, through Quendel: the same list key holds other texts in two selections; each
// answer is the selected one's, however often the selections alternate.
class ConvertedStoreTest : public ::testing::TestWithParam<bool> {
  protected:
    void SetUp() override {
        setenv("CORVEL_LOG", "/dev/null", 1);
        corvel::ClearSettings();
        corvel::SetSetting("Path", "ShippedRoot", m_dir.Path());
        m_dir.Write("dev/Quendel/ImgResBase.pp", "<S>\nL<1, 2.5, 3>\nW<a, b>\n");
        // Texts of one length: a form kept for the group left would answer for the other.
        m_dir.Write("dev/Quendel/G/ImgResGrp.pp", "<S>\nL<40, 50>\n");
        m_dir.Write("dev/Quendel/H/ImgResGrp.pp", "<S>\nL<6.5, x>\n");
        m_dir.Write("dev/Quendel/K/ImgResGrp.pp", "<S>\nL<7, 8.5>\n");
        PackOptions options;
        options.m_dir = m_dir.Path() + "/dev/Quendel";
        options.m_output = m_dir.Path() + "/dev/Quendel.bin";
        PackResult result;
        std::string error;
        ASSERT_TRUE(PackTree(options, result, error)) << error;
        corvel::SetSetting("PostProcessing", "UseTxtQuendel", GetParam() ? "true" : "false");
    }
    void TearDown() override {
        corvel::ClearSettings();
        unsetenv("CORVEL_LOG");
    }

    TempDir m_dir;
};

TEST_P(ConvertedStoreTest, AnswersFollowTheSelection) {
    Quendel quendel;
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(quendel.Initial("G", "", ""));
        std::vector<double> doubles;
        EXPECT_TRUE(quendel.GetParameter("S", "L", doubles, {0, 0, 9}));
        EXPECT_EQ(doubles, (std::vector<double>{40, 50, 9}));
        EXPECT_EQ(quendel.GetParamInArray("S", "L", 1, 0.0), 50.0);
        EXPECT_EQ(quendel.GetParamInArray("S", "L", 2, -1.0), -1.0);
        CaptureStdout();
        std::vector<int> ints;
        EXPECT_TRUE(quendel.GetParameter("S", "L", ints, {}));
        EXPECT_EQ(GetCapturedStdout(), "");

        ASSERT_TRUE(quendel.Initial("H", "", ""));
        EXPECT_FALSE(quendel.GetParameter("S", "L", doubles, {7}));
        EXPECT_EQ(doubles, (std::vector<double>{7}));
        EXPECT_EQ(quendel.GetParamInArray("S", "L", 1, std::string()), "x");
        for (int query = 0; query < 2; ++query) {
            CaptureStdout();
            EXPECT_EQ(quendel.GetParamInArray("S", "L", 0, 0), 6);
            EXPECT_FALSE(quendel.GetParameter("S", "L", ints, {1}));
            // A warning for 6.5 from each: the element, and the list up to the x that fails it.
            EXPECT_EQ(GetCapturedStdout(),
                      "Warning! Number is casted to int\n"
                      "Warning! Number is casted to int\n");
        }
        // A third group read where the first one's text lay may reuse its place.
        ASSERT_TRUE(quendel.Initial("K", "", ""));
        EXPECT_TRUE(quendel.GetParameter("S", "L", doubles, {0, 0, 9}));
        EXPECT_EQ(doubles, (std::vector<double>{7, 8.5, 9}));
        std::vector<std::string> words;
        EXPECT_TRUE(quendel.GetParameter("S", "W", words, {}));
        EXPECT_EQ(words, (std::vector<std::string>{"a", "b"}));
    }
}

INSTANTIATE_TEST_SUITE_P(BothStores, ConvertedStoreTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Text" : "Binary"; });

}  // namespace
