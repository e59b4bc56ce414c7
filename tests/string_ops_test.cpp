// Trimming, replacing, erasing, counting, splitting into tokens and the number test.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resource/StringOps.h"

namespace {

using Tokens = std::vector<std::string>;

TEST(StringOpsTest, TrimChars) {
    struct Case {
        const char* set;
        std::string text;
        std::string expected;
    };
    const Case cases[] = {
        {" ", "  a b  ", "a b"}, {" ", "   ", ""},        {" ", "", ""},  {" ", "x", "x"},
        {" \t", "\t a\t", "a"},  {":", "::a:b::", "a:b"}, {":", ":", ""}, {"\"", "\"\"x\"", "x"},
        {" ", "\ta ", "\ta"},  // only the set is trimmed
        {"", " a ", " a "},
    };
    for (const Case& c : cases) {
        std::string text = c.text;
        EXPECT_TRUE(TrimChars(c.set, text));
        EXPECT_EQ(text, c.expected) << "set '" << c.set << "' on '" << c.text << "'";
    }
}

TEST(StringOpsTest, ReplaceAll) {
    struct Case {
        std::string find, replacement, text, expected;
    };
    const Case cases[] = {
        {"a", "aa", "aXa", "aaXaa"},  // inserted text is not searched again
        {"a", "b", "banana", "bbnbnb"}, {"aa", "a", "aaaa", "aa"},        {"aa", "b", "aaa", "ba"},
        {"ab", "", "aabb", "ab"},       {"\t", " ", "a\tb\t\t", "a b  "}, {"x", "yz", "", ""},
        {"long", "s", "lon", "lon"},    {"", "x", "abc", "abc"},  // an empty text to find changes
                                                                  // nothing
    };
    for (const Case& c : cases) {
        std::string text = c.text;
        EXPECT_TRUE(ReplaceAll(c.find, c.replacement, text));
        EXPECT_EQ(text, c.expected) << c.find << " -> " << c.replacement << " in " << c.text;
    }
}

TEST(StringOpsTest, EraseAll) {
    struct Case {
        std::string erase, text, expected;
    };
    const Case cases[] = {
        {" ", "a \tb", "ab"},  // a space takes tabs with it
        {" ", " \t \t", ""},
        {"\t", "a \tb", "a b"},
        {"ab", "aabb", "ab"},  // a match made by an erasure is not erased again
        {"ab", "ababab", ""},
        {"::", ":::", ":"},
        {"xy", "axyb", "ab"},
        {"  ", "a   b", "a b"},  // two spaces are not one space: tabs stay
        {"  ", "a\t\tb", "a\t\tb"},
        {"", "abc", "abc"},
        {"z", "", ""},
    };
    for (const Case& c : cases) {
        std::string text = c.text;
        EXPECT_TRUE(EraseAll(c.erase, text));
        EXPECT_EQ(text, c.expected) << "'" << c.erase << "' from '" << c.text << "'";
    }
}

TEST(StringOpsTest, CountChar) {
    EXPECT_EQ(CountChar("a,b,,c", ','), 3);
    EXPECT_EQ(CountChar("", ','), 0);
    EXPECT_EQ(CountChar(std::string("a\0b\0", 4), '\0'), 2);
}

TEST(StringOpsTest, TokenizeWithCommaAndSpace) {
    struct Case {
        std::string text;
        Tokens expected;
    };
    const Case cases[] = {
        {"1, 2,,3", {"1", "2", "3"}},
        {"a\tb", {"a", "b"}},
        {",,,", {}},
        {"", {}},
        {"  x  ", {"x"}},
        {"\"a b\", c", {"a b", "c"}},
        {"\" a b\"", {"a", "b\""}},  // a quote followed by a space opens nothing
        {"ab\"cd", {"ab\"cd"}},
        {"\"a, b", {"a, b"}},    // an unclosed quote runs to the end
        {"\"a\"b", {"a", "b"}},  // the closing quote opens the next token
        {"\"\"", {}},            // an empty quoted piece gives no token
        {"\"x\ty\"", {"x y"}},   // tabs become spaces, also inside quotes
        {"x,\"1, 2\" ,3", {"x", "1, 2", "3"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Tokenize(c.text, ", "), c.expected) << "'" << c.text << "'";
    }
}

TEST(StringOpsTest, TokenizeWithOtherDelimiters) {
    EXPECT_EQ(Tokenize("a;b c", ";"), (Tokens{"a", "b c"}));
    EXPECT_EQ(Tokenize("a\tb", ";"), (Tokens{"a b"}));
}

TEST(StringOpsTest, ForEachTokenStopsWhenAsked) {
    std::vector<std::string> seen;
    const bool complete = ForEachToken(std::string("a b c"), ", ", [&](std::string_view token) {
        seen.emplace_back(token);
        return token != "b";
    });
    EXPECT_FALSE(complete);
    EXPECT_EQ(seen, (Tokens{"a", "b"}));
}

TEST(StringOpsTest, IsNumber) {
    const char* accepted[] = {"",   "0",  "12", "+5", "-5",  "-.5",
                              "5.", "-.", "+.", ".5", "007", "1.25"};
    const char* rejected[] = {"5+",  "+",  "-",  ".",   "1.2.3", "+-1", "1-2", "0x10",
                              "1e3", " 5", "5 ", "\t5", "++1",   "--1", "a",   "1,5"};
    for (const char* text : accepted) {
        EXPECT_TRUE(IsNumber(text)) << "'" << text << "'";
    }
    for (const char* text : rejected) {
        EXPECT_FALSE(IsNumber(text)) << "'" << text << "'";
    }
    EXPECT_FALSE(
        IsNumber(std::string_view("1\0"
                                  "2",
                                  3)));
}

}  // namespace
