// Trimming, replacing, erasing and splitting into tokens (the number test is read through the
// strict conversions in value_text_test).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resource/StringOps.h"

namespace {

using Tokens = std::vector<std::string>;

// Each case: the edit's argument(s), the text, the result. The value_text fuzzer compares the
// three edits with plain restatements on every input; these are the readings worth naming.
TEST(StringOpsTest, TrimReplaceAndEraseInPlace) {
    const std::vector<std::vector<std::string>> trims = {
        {" \t", "\t a\t", "a"},
        {" ", "\ta ", "\ta"},
        {"", " a ", " a "}};  // only the set is trimmed
    for (const auto& c : trims) {
        std::string text = c[1];
        EXPECT_TRUE(TrimChars(c[0].c_str(), text));
        EXPECT_EQ(text, c[2]) << "trim '" << c[0] << "' on '" << c[1] << "'";
    }
    const std::vector<std::vector<std::string>> replaces = {
        {"a", "aa", "aXa", "aaXaa"},  // inserted text is not searched again
        {"aa", "a", "aaaa", "aa"},
        {"", "x", "abc", "abc"}};
    for (const auto& c : replaces) {
        std::string text = c[2];
        EXPECT_TRUE(ReplaceAll(c[0], c[1], text));
        EXPECT_EQ(text, c[3]) << c[0] << " -> " << c[1] << " in " << c[2];
    }
    const std::vector<std::vector<std::string>> erases = {
        {" ", "a \tb", "ab"},  // a space takes tabs with it
        {"ab", "aabb", "ab"},  // a match made by an erasure stays
        {"  ", "a\t\tb", "a\t\tb"},
        {"", "abc", "abc"}};
    for (const auto& c : erases) {
        std::string text = c[1];
        EXPECT_TRUE(EraseAll(c[0], text));
        EXPECT_EQ(text, c[2]) << "'" << c[0] << "' from '" << c[1] << "'";
    }
}

TEST(StringOpsTest, TokenizeSplitsAtDelimitersAndKeepsQuotedPieces) {
    const std::vector<std::pair<std::string, Tokens>> cases = {
        {" 1, 2,,3", {"1", "2", "3"}},
        {"\"a b\", c", {"a b", "c"}},
        {"\" a b\"", {"a", "b\""}},  // a quote followed by a space opens nothing
        {"ab\"cd", {"ab\"cd"}},
        {"\"a, b", {"a, b"}},    // an unclosed quote runs to the end
        {"\"a\"b", {"a", "b"}},  // the closing quote opens the next token
        {"\"\"", {}},            // an empty quoted piece gives no token
        {"\"x\ty\"", {"x y"}},   // tabs become spaces, also inside quotes
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(Tokenize(text, ", "), expected) << "'" << text << "'";
    }
    EXPECT_EQ(Tokenize("a;b c", ";"), (Tokens{"a", "b c"}));
    EXPECT_EQ(Tokenize("a\tb", ";"), (Tokens{"a b"}));

    Tokens seen;
    EXPECT_FALSE(ForEachToken(std::string("a b c"), ", ", [&](std::string_view token) {
        seen.emplace_back(token);
        return token != "b";
    }));
    EXPECT_EQ(seen, (Tokens{"a", "b"}));
}

}  // namespace
