#include "textstore/ParamFile.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "TestSupport.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAreArray;

namespace {

// Every entry of the tree as "section path|key|value".
std::vector<std::string> Entries(const ParamFile& file) {
    std::vector<std::string> out;
    file.ForEachList([&out](const std::string& path, const BlockList& list) {
        for (const auto& [key, value] : list.m_values) {
            out.push_back(path + "|" + key + "|" + value.m_text);
        }
    });
    return out;
}

std::vector<std::string> ParseEntries(const std::string& text, const std::string& filter = "") {
    ParamFile file("memory");
    file.ParseText(text, filter);
    return Entries(file);
}

const std::string kG = "GlobalParameters";

struct TextCase {
    const char* name;
    std::string text;
    std::vector<std::string> entries;
};

}  // namespace

TEST(ParamFileTest, WorkedExample) {
    const std::string text =
        "# display settings\n"
        "Gain<12>\n"
        "<Display>\n"
        "Mode < B >   Depth<10>\n"
        "Color Map<1, 2, 3> # cut\n"
        "<Display:Zoom>Level<2>\n"
        "[Probe]\n"
        "Level<3>\n"
        "<:Extra> Size<4>\n"
        "Orphan\n";
    EXPECT_THAT(ParseEntries(text), UnorderedElementsAreArray(std::vector<std::string>{
                                        kG + "|Gain|12", "Display|Mode|B", "Display|Depth|10",
                                        "Display|ColorMap|1, 2, 3", "Display:Zoom|Level|3",
                                        kG + ":Extra|Size|4", kG + ":Extra|Orphan|"}));
}

TEST(ParamFileTest, ReadingsOfEveryConstruct) {
    const std::vector<TextCase> cases = {
        {"comments and blanks only", "# only\n\n\t# tab comment\n   \n\t\t\n", {}},
        {"hash cuts a value", "Color<#FF0000>", {kG + "|Color|"}},
        {"hash cuts a tag", "<A#B>\nK<1>", {"A|K|1"}},
        {"value without closing bracket", "Key<1 2", {kG + "|Key|1 2"}},
        {"bracket at end of line", "Key<", {kG + "|Key|"}},
        {"empty value drops the rest", "Key<>More<2>", {kG + "|Key|"}},
        {"text after a value is a new piece", "Key<a>b>", {kG + "|Key|a", kG + "|b>|"}},
        {"value keeps inner text", "K< a b : [c] <d >", {kG + "|K|a b : [c] <d"}},
        {"blanks vanish from a bracketed key", "Spaced\t Key<v>", {kG + "|SpacedKey|v"}},
        {"key without bracket keeps spaces", "Spaced Key", {kG + "|Spaced Key|"}},
        {"later value replaces earlier", "Key<1>\nKey<2>", {kG + "|Key|2"}},
        {"runs of colons are one separator", "<A::B>X<1>\n<A:B>Y<2>", {"A:B|X|1", "A:B|Y|2"}},
        {"empty tags keep the list",
         "<A>\n<:>K<1>\n<>L<2>\n< : >M<3>",
         {"A|K|1", "A|L|2", "A|M|3"}},
        {"blanks inside a tag", "< Dis play : Zo\tom >L<1>", {"Display:Zoom|L|1"}},
        {"tag without closing bracket", "<Open K<1>\nX<2>", {"OpenK<1|X|2"}},
        {"tag stays across section lines", "K<1>\n<G>\n[Sec]\nL<2>", {kG + "|K|1", "G|L|2"}},
        {"entry after a section line", "[Sec] Key<1>", {kG + "|Key|1"}},
        {"section without closing bracket", "[Sec Key<1>", {}},
        {"LF and CRLF give the same lines", "A<1>\r\n<G>\r\nB<2>\r\n", {kG + "|A|1", "G|B|2"}},
        {"lone CR at the end is a character", "A<1>\r", {kG + "|A|1", kG + "|\r|"}},
        {"CR inside a line is a character", "A<x\ry>", {kG + "|A|x\ry"}},
        {"NUL bytes are characters",
         std::string("K<a\0b>\nN\0M<1>", 13),
         {kG + std::string("|K|a\0b", 6), kG + std::string("|N\0M|1", 6)}},
        {"invalid UTF-8 is kept", "K<\xff\xfe\xc3>", {kG + "|K|\xff\xfe\xc3"}},
        {"byte-order mark joins the first line",
         "\xEF\xBB\xBF<Display>\nK<1>",
         {kG + "|\xEF\xBB\xBF|Display", kG + "|K|1"}},
    };
    for (const TextCase& c : cases) {
        EXPECT_THAT(ParseEntries(c.text), UnorderedElementsAreArray(c.entries)) << c.name;
    }
}

TEST(ParamFileTest, SectionFilterSwitchesLines) {
    const std::string text =
        "A<1>\n"
        "[T]\n"
        "B<2>\n"
        "<X>C<3>\n"
        "[S]\n"
        "D<4>\n"
        "[T] F<6>\n"
        "[ S ]E<5>\n";
    const std::vector<std::string> expected = {kG + "|A|1", kG + "|D|4", kG + "|E|5"};
    EXPECT_THAT(ParseEntries(text, "S"), UnorderedElementsAreArray(expected));
    EXPECT_THAT(ParseEntries(text, "  S "), UnorderedElementsAreArray(expected));
    EXPECT_THAT(ParseEntries(text, ""),
                UnorderedElementsAreArray(std::vector<std::string>{
                    kG + "|A|1", kG + "|B|2", "X|C|3", "X|D|4", "X|F|6", "X|E|5"}));
}

TEST(ParamFileTest, LookupFollowsTheFileNameRules) {
    ParamFile file("memory");
    file.ParseText("Top<1>\n<Display>Mode<B>\n<Display:Zoom>Level<2>\n<:Extra>Size<4>\n", "");
    struct Case {
        std::string section, key;
        bool found;
        std::string value;
    };
    const std::vector<Case> cases = {
        {"", "Top", true, "1"},
        {":", "Top", true, "1"},
        {" GlobalParameters ", "Top", true, "1"},
        {" Dis\tplay ", " Mo de ", true, "B"},
        {"Display:Zoom:", "Level", true, "2"},
        {":Extra", "Size", true, "4"},
        {"GlobalParameters:Extra", "Size", true, "4"},
        {"Display::Zoom", "Level", false, ""},
        {":Display:Zoom", "Level", false, ""},
        {"Display", "", false, ""},
        {"Display", "Level", false, ""},
    };
    for (const Case& c : cases) {
        std::string value = "unchanged";
        EXPECT_EQ(file.Lookup(c.section, c.key, value), c.found) << c.section << "/" << c.key;
        EXPECT_EQ(value, c.found ? c.value : "unchanged") << c.section << "/" << c.key;
    }
    std::string value;
    EXPECT_FALSE(ParamFile("empty").Lookup("", "Top", value));
    EXPECT_FALSE(FindInList("Top", value, nullptr));
    // The exact section paths under which the store shows the lists.
    EXPECT_EQ(file.FindList("Display:Zoom")->m_values.at("Level").m_text, "2");
    EXPECT_NE(file.FindList("GlobalParameters:Extra"), nullptr);
    for (const char* path : {":Extra", "Display::Zoom", "Display:Zoom:", ""}) {
        EXPECT_EQ(file.FindList(path), nullptr) << path;
    }
}

TEST(ParamFileTest, ParseReadsFilesAndReportsOnlyUnopenable) {
    TempDir dir;
    const std::string lf = dir.Write("lf.pp", "A<1>\n<G>\nB< 2 >\n");
    const std::string crlf = dir.Write("crlf.pp", "A<1>\r\n<G>\r\nB< 2 >\r\n");
    const std::string empty = dir.Write("empty.pp", "");
    ParamFile fromLf(lf);
    ParamFile fromCrlf(crlf);
    ASSERT_TRUE(fromLf.Parse(""));
    ASSERT_TRUE(fromCrlf.Parse(""));
    EXPECT_THAT(Entries(fromLf), ElementsAre("G|B|2", kG + "|A|1"));
    EXPECT_EQ(Entries(fromCrlf), Entries(fromLf));
    EXPECT_EQ(fromCrlf.FindList("G")->m_values.at("B").m_line, 3u);
    ParamFile fromEmpty(empty);
    EXPECT_TRUE(fromEmpty.Parse(""));
    EXPECT_THAT(Entries(fromEmpty), IsEmpty());

    for (const std::string& bad :
         {dir.Path() + "/missing.pp", dir.Path(), lf + std::string("\0x", 2)}) {
        ParamFile file(bad);
        EXPECT_FALSE(file.Parse("")) << bad;
        EXPECT_TRUE(file.Groups().empty());
    }
}

TEST(ParamFileTest, ClearKeepsPathAndRestartsAtTheTopSection) {
    ParamFile file("some/path.pp");
    file.ProcessLine("<G>K<1>");
    file.Clear();
    EXPECT_TRUE(file.Groups().empty());
    EXPECT_EQ(file.Path(), "some/path.pp");
    file.ProcessLine("L<2>");
    EXPECT_THAT(Entries(file), ElementsAre(kG + "|L|2"));
    file.ParseKeyValue("  M < 3 > N<4>");
    EXPECT_THAT(Entries(file), ElementsAre(kG + "|L|2", kG + "|M|3", kG + "|N|4"));
}

// A line of a million pieces: read one piece after the other, never one call per piece.
TEST(ParamFileTest, MillionPiecesOnOneLine) {
    std::string line;
    line.reserve(8'000'000);
    for (int i = 0; i < 1'000'000; ++i) {
        line += (i % 2 == 0) ? "A<1>" : "B<2>  ";
    }
    line += "Last<end>";
    const std::vector<std::string> entries = ParseEntries(line);
    EXPECT_THAT(entries, UnorderedElementsAreArray(
                             std::vector<std::string>{kG + "|A|1", kG + "|B|2", kG + "|Last|end"}));
}

// Tags nest to any depth: every level is a list of its own, found by its whole path, and the
// tree is walked and destroyed without recursion.
TEST(ParamFileTest, TagsNestToAnyDepth) {
    const std::string at64 = ChainPath(64) + ":b";
    ParamFile file("memory");
    file.ParseText("<" + ChainPath(100) + ">K<100>\n<" + at64 + ">K<64b>\n<" + ChainPath(100'000) +
                       ">K<100000>\n<" + ChainPath(10'000) + ">K<10000>\n",
                   "");
    const std::pair<std::string, const char*> cases[] = {{ChainPath(100), "100"},
                                                         {at64, "64b"},
                                                         {ChainPath(10'000), "10000"},
                                                         {ChainPath(100'000), "100000"},
                                                         {ChainPath(64), ""}};
    for (const auto& [section, expected] : cases) {
        std::string value;
        EXPECT_EQ(file.Lookup(section, "K", value), *expected != '\0') << section.size();
        EXPECT_EQ(value, expected);
    }
    size_t lists = 0;
    file.ForEachList([&lists](const std::string&, const BlockList&) { ++lists; });
    EXPECT_EQ(lists, 100'001u);
}
