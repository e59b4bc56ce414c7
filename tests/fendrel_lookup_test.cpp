// The parser's answers: round trip from the writer, precedence among handed-over files, lookups
// by hashed keys, the per-file operations and the moment new file lists take effect.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "FendrelSamples.h"
#include "api/IdKeyTable.h"

using fendrel::KeyWords;
using fendrel::ResourceEntry;
using fendrel::ResourceWriter;
using fendrel::TextKey;

namespace {

const std::vector<std::string> kNoSelection(7);

KeyWords FromVector(const std::vector<uint64_t>& words) {
    KeyWords key{};
    std::copy(words.begin(), words.end(), key.begin());
    return key;
}

class FendrelLookupTest : public ::testing::Test {
  protected:
    // Opens the written files and hands them over: selection then base, then Refresh.
    void OpenWith(const ResourceWriter& writer, const std::vector<std::string>& selection,
                  const std::vector<std::string>& base) {
        ASSERT_TRUE(m_parser.Open(m_dir, BuildImage(writer)));
        ASSERT_TRUE(m_parser->SetSelectionFiles(selection));
        ASSERT_TRUE(m_parser->SetBaseFiles(base));
        m_parser->Refresh();
    }
    std::string Find(const std::string& section, const std::string& key) {
        std::string value = "<none>";
        m_parser->FindValue(section, key, value);
        return value;
    }

    TempDir m_dir;
    ParserHandle m_parser;
};

TEST_F(FendrelLookupTest, EveryTextRoundTripsByteForByte) {
    const std::string withNul("a\0b", 3);
    const std::string high = "\xc3\xa9t\xff";
    const std::string longValue(100000, 'x');
    const std::vector<ResourceEntry> entries = {{"GlobalParameters", "FileNumbers", "2"},
                                                {"A:B:C", "", "empty key"},
                                                {"A:B:C", "EmptyValue", ""},
                                                {high, high, high},
                                                {"a\x01", "k", "low byte"},
                                                {"a\xff", "k", "high byte"},
                                                {withNul, withNul, withNul},
                                                {"Long", "Value", longValue}};
    ResourceWriter writer;
    std::string error;
    ASSERT_TRUE(writer.AddFile("Quendel/ImgResBase.pp", entries, error)) << error;
    ASSERT_TRUE(writer.AddFile("Quendel/Empty.pp", {}, error)) << error;
    OpenWith(writer, kNoSelection, {"Quendel/ImgResBase.pp"});

    for (const ResourceEntry& e : entries) {
        std::string value;
        EXPECT_TRUE(m_parser->GetFileValue("Quendel/ImgResBase.pp", e.section, e.key, value));
        EXPECT_EQ(value, e.value);
        value.clear();
        EXPECT_TRUE(m_parser->FindValue(e.section, e.key, value));
        EXPECT_EQ(value, e.value);
        value.clear();
        EXPECT_TRUE(m_parser->FindValue(Words(TextKey(e.section)), Words(TextKey(e.key)), value));
        EXPECT_EQ(value, e.value);
    }
    EXPECT_TRUE(m_parser->HasFile("Quendel/Empty.pp"));
    EXPECT_FALSE(m_parser->HasFile("Quendel/empty.pp"));
    EXPECT_FALSE(m_parser->HasFile(""));
    std::vector<std::string> files;
    ASSERT_TRUE(m_parser->ListFiles(files));
    EXPECT_EQ(files, (std::vector<std::string>{"Quendel/Empty.pp", "Quendel/ImgResBase.pp"}));
}

TEST_F(FendrelLookupTest, NamesMatchExactly) {
    ResourceWriter writer;
    std::string error;
    ASSERT_TRUE(writer.AddFile("f", {{"Sec:Sub", "Key", "v"}}, error));
    OpenWith(writer, kNoSelection, {"f"});
    EXPECT_EQ(Find("Sec:Sub", "Key"), "v");
    for (const auto& [section, key] :
         std::vector<std::pair<std::string, std::string>>{{"sec:sub", "Key"},
                                                          {"Sec:Sub ", "Key"},
                                                          {"Sec", "Key"},
                                                          {"Sec:Sub", "key"},
                                                          {"Sec:Sub", "Ke"},
                                                          {"Sec:Sub", std::string("Key\0", 4)},
                                                          {"", "Key"}}) {
        EXPECT_EQ(Find(section, key), "<none>") << section << "/" << key;
    }
}

// Each level's file holds the keys of its own and all higher levels, so key Kj is answered by
// level j. Paths sort against the precedence order, so file order cannot stand in for rank.
TEST_F(FendrelLookupTest, SelectionEntriesThenBaseListInOrder) {
    const std::vector<std::string> levels = {"z/sel0", "y/sel1", "x/sel2",  "w/sel3", "v/sel4",
                                             "u/sel5", "t/sel6", "s/base0", "r/base1"};
    ResourceWriter writer;
    std::string error;
    for (std::size_t i = 0; i < levels.size(); ++i) {
        std::vector<ResourceEntry> entries;
        for (std::size_t j = 0; j <= i; ++j) {
            entries.push_back({"S", "K" + std::to_string(j), levels[i]});
        }
        ASSERT_TRUE(writer.AddFile(levels[i], entries, error));
    }
    const std::vector<std::string> selection(levels.begin(), levels.begin() + 7);
    OpenWith(writer, selection, {levels[7], levels[8]});
    for (std::size_t j = 0; j < levels.size(); ++j) {
        const std::string key = "K" + std::to_string(j);
        EXPECT_EQ(Find("S", key), levels[j]);
        std::string origin;
        EXPECT_TRUE(m_parser->FindOrigin("S", key, origin));
        EXPECT_EQ(origin, levels[j]);
    }

    // Empty and unknown paths are skipped; a file in both lists keeps its selection rank; the
    // base list counts in its own order.
    ASSERT_TRUE(m_parser->SetSelectionFiles({"", "nowhere", levels[8], "", "", "", ""}));
    ASSERT_TRUE(m_parser->SetBaseFiles({levels[4], levels[8], levels[2]}));
    m_parser->Refresh();
    EXPECT_EQ(Find("S", "K0"), levels[8]);
    EXPECT_EQ(Find("S", "K8"), levels[8]);
    ASSERT_TRUE(m_parser->SetSelectionFiles(kNoSelection));
    m_parser->Refresh();
    EXPECT_EQ(Find("S", "K0"), levels[4]);
    EXPECT_EQ(Find("S", "K4"), levels[4]);
    EXPECT_EQ(Find("S", "K5"), levels[8]);
}

TEST_F(FendrelLookupTest, NewListsTakeEffectAtRefresh) {
    ResourceWriter writer;
    std::string error;
    ASSERT_TRUE(writer.AddFile("a", {{"S", "K", "from a"}}, error));
    ASSERT_TRUE(writer.AddFile("b", {{"S", "K", "from b"}}, error));
    ASSERT_TRUE(m_parser.Open(m_dir, BuildImage(writer)));
    ASSERT_TRUE(m_parser->SetBaseFiles({"a"}));
    EXPECT_EQ(Find("S", "K"), "<none>");
    m_parser->Refresh();
    EXPECT_EQ(Find("S", "K"), "from a");
    ASSERT_TRUE(m_parser->SetSelectionFiles({"b", "", "", "", "", "", ""}));
    EXPECT_EQ(Find("S", "K"), "from a");
    m_parser->Refresh();
    EXPECT_EQ(Find("S", "K"), "from b");
    // A list of another length is refused and changes nothing.
    EXPECT_FALSE(m_parser->SetSelectionFiles({"a"}));
    EXPECT_FALSE(m_parser->SetSelectionFiles(std::vector<std::string>(8)));
    m_parser->Refresh();
    EXPECT_EQ(Find("S", "K"), "from b");
}

// Random files, entries and lists against a plain model of the precedence rule; the crowded
// pair is held by more files than the parser scans, so both of its strategies are compared.
TEST_F(FendrelLookupTest, AgreesWithModelOnRandomTrees) {
    std::mt19937 random(12345);
    const int fileCount = 30;
    const std::vector<std::string> sections = {"", "A", "A:B", "GlobalParameters", "Crowd"};
    const std::vector<std::string> keys = {"", "K0", "K1", "K2", "Gain", "Depth"};
    std::vector<std::string> paths;
    std::map<std::string, std::map<std::pair<std::string, std::string>, std::string>> model;
    ResourceWriter writer;
    std::string error;
    for (int f = 0; f < fileCount; ++f) {
        const std::string path = "Quendel/" + std::to_string((f * 7) % fileCount) + "/x.pp";
        paths.push_back(path);
        std::vector<ResourceEntry> entries;
        for (const std::string& s : sections) {
            for (const std::string& k : keys) {
                if (s == "Crowd" ? f % 10 != 3 : random() % 3 == 0) {
                    entries.push_back({s, k, path + "|" + s + "|" + k});
                    model[path][{s, k}] = entries.back().value;
                }
            }
        }
        ASSERT_TRUE(writer.AddFile(path, entries, error));
    }
    ASSERT_TRUE(m_parser.Open(m_dir, BuildImage(writer)));

    auto pick = [&]() -> std::string {
        const unsigned r = random() % 10;
        return r == 0 ? "" : r == 1 ? "Quendel/unknown.pp" : paths[random() % paths.size()];
    };
    for (int round = 0; round < 200; ++round) {
        std::vector<std::string> selection(7);
        for (std::string& p : selection) {
            p = pick();
        }
        std::vector<std::string> base(random() % 6);
        for (std::string& p : base) {
            p = pick();
        }
        ASSERT_TRUE(m_parser->SetSelectionFiles(selection));
        ASSERT_TRUE(m_parser->SetBaseFiles(base));
        m_parser->Refresh();
        std::vector<std::string> order = selection;
        order.insert(order.end(), base.begin(), base.end());
        for (const std::string& s : sections) {
            for (const std::string& k : keys) {
                std::string expected = "<none>";
                std::string expectedOrigin;
                for (const std::string& p : order) {
                    const auto file = model.find(p);
                    if (file == model.end() || !file->second.count({s, k})) {
                        continue;
                    }
                    expected = file->second.at({s, k});
                    expectedOrigin = p;
                    break;
                }
                ASSERT_EQ(Find(s, k), expected) << "round " << round << " " << s << "/" << k;
                std::string byHash = "<none>";
                m_parser->FindValue(Words(TextKey(s)), Words(TextKey(k)), byHash);
                ASSERT_EQ(byHash, expected);
                std::string origin;
                EXPECT_EQ(m_parser->FindOrigin(s, k, origin), !expectedOrigin.empty());
                EXPECT_EQ(origin, expectedOrigin);
            }
        }
    }
}

TEST_F(FendrelLookupTest, HashedKeysMatchOnlyTheWholeFourWordVector) {
    const std::vector<uint64_t> group7 = IdHashedKey(7);
    const std::vector<uint64_t> gain = IdHashedKey(0);
    ResourceWriter writer;
    writer.SetFixedKeys({{"Group7", FromVector(group7)}, {"Gain", FromVector(gain)}});
    std::string error;
    ASSERT_TRUE(writer.AddFile("f",
                               {{"Group7", "Gain", "1"},
                                {"Plain", "Depth", "2"},
                                {"Plain", "Gain", "3"},
                                {"Group7", "Depth", "4"}},
                               error));
    OpenWith(writer, kNoSelection, {"f"});

    std::string value;
    EXPECT_TRUE(m_parser->FindValue(group7, "Gain", value));
    EXPECT_EQ(value, "1");
    EXPECT_TRUE(m_parser->FindValue("Plain", gain, value));
    EXPECT_EQ(value, "3");
    EXPECT_TRUE(m_parser->FindValue(group7, gain, value));
    EXPECT_EQ(value, "1");
    EXPECT_TRUE(m_parser->FindValue(Words(TextKey("Plain")), Words(TextKey("Depth")), value));
    EXPECT_EQ(value, "2");
    EXPECT_TRUE(m_parser->FindValue(group7, Words(TextKey("Depth")), value));
    EXPECT_EQ(value, "4");
    EXPECT_EQ(Find("Group7", "Gain"), "1");
    // A fixed name carries only its fixed key.
    EXPECT_FALSE(m_parser->FindValue(Words(TextKey("Group7")), "Gain", value));

    std::vector<std::vector<uint64_t>> variants = {
        {}, {group7[0]}, {group7[0], group7[1]}, {group7[0], group7[1], 0}, group7, group7};
    variants[4].push_back(0);
    variants[5][3] = 1;
    for (const std::vector<uint64_t>& bad : variants) {
        value = "untouched";
        EXPECT_FALSE(m_parser->FindValue(bad, "Gain", value)) << bad.size();
        EXPECT_FALSE(m_parser->FindValue(bad, gain, value));
        EXPECT_FALSE(m_parser->FindValue("Group7", bad, value));
        EXPECT_FALSE(m_parser->FindValue(group7, bad, value));
        EXPECT_EQ(value, "untouched");
    }
}

TEST_F(FendrelLookupTest, PerFileOperationsIgnoreTheView) {
    ResourceWriter writer;
    std::string error;
    ASSERT_TRUE(writer.AddFile("Quendel/FileConfig.pp",
                               {{"GlobalParameters", "FileNumbers", "3"},
                                {"GlobalParameters", "File2", "Extra2.pp"},
                                {"GlobalParameters", "File0", "Extra0.pp"},
                                {"Other", "File1", "elsewhere"}},
                               error));
    ASSERT_TRUE(writer.AddFile("Quendel/Other.pp", {{"GlobalParameters", "File1", "x"}}, error));
    ASSERT_TRUE(m_parser.Open(m_dir, BuildImage(writer)));

    std::vector<std::string> keys = {"stale"};
    EXPECT_TRUE(m_parser->ListKeys("Quendel/FileConfig.pp", "GlobalParameters", keys));
    EXPECT_EQ(keys, (std::vector<std::string>{"File0", "File2", "FileNumbers"}));
    EXPECT_TRUE(m_parser->ListKeys("Quendel/Other.pp", "GlobalParameters", keys));
    EXPECT_EQ(keys, std::vector<std::string>{"File1"});
    EXPECT_FALSE(m_parser->ListKeys("Quendel/Other.pp", "Other", keys));
    EXPECT_TRUE(keys.empty());
    EXPECT_FALSE(m_parser->ListKeys("Quendel/Missing.pp", "GlobalParameters", keys));
    EXPECT_FALSE(m_parser->ListKeys("Quendel/FileConfig.pp", "Missing", keys));

    std::string value;
    EXPECT_TRUE(
        m_parser->GetFileValue("Quendel/FileConfig.pp", "GlobalParameters", "File2", value));
    EXPECT_EQ(value, "Extra2.pp");
    value = "untouched";
    EXPECT_FALSE(
        m_parser->GetFileValue("Quendel/FileConfig.pp", "GlobalParameters", "File1", value));
    EXPECT_FALSE(m_parser->GetFileValue("Quendel/Missing.pp", "GlobalParameters", "File0", value));
    EXPECT_EQ(value, "untouched");
    // Nothing handed over yet: the view is empty.
    EXPECT_FALSE(m_parser->FindValue("GlobalParameters", "File0", value));
}

TEST_F(FendrelLookupTest, ReopeningReplacesContentAndLists) {
    ResourceWriter first;
    ResourceWriter second;
    std::string error;
    ASSERT_TRUE(first.AddFile("one", {{"S", "K", "1"}}, error));
    ASSERT_TRUE(second.AddFile("two", {{"S", "K", "2"}}, error));
    OpenWith(first, kNoSelection, {"one"});
    EXPECT_EQ(Find("S", "K"), "1");

    ASSERT_TRUE(m_parser->OpenFile(m_dir.Write("second.bin", BuildImage(second))));
    EXPECT_FALSE(m_parser->HasFile("one"));
    EXPECT_TRUE(m_parser->HasFile("two"));
    m_parser->Refresh();
    EXPECT_EQ(Find("S", "K"), "<none>");  // the old lists went with the old content
    ASSERT_TRUE(m_parser->SetBaseFiles({"two"}));
    m_parser->Refresh();
    EXPECT_EQ(Find("S", "K"), "2");

    // A failed open leaves nothing open.
    EXPECT_FALSE(m_parser->OpenFile(m_dir.Path() + "/missing.bin"));
    EXPECT_FALSE(m_parser->HasFile("two"));
    EXPECT_EQ(Find("S", "K"), "<none>");
}

TEST_F(FendrelLookupTest, ClosedParserAnswersFalseEverywhere) {
    std::vector<std::string> list = {"stale"};
    std::string text = "untouched";
    const std::vector<uint64_t> hashed = Words(TextKey("S"));
    EXPECT_FALSE(m_parser->ListFiles(list));
    EXPECT_TRUE(list.empty());
    EXPECT_FALSE(m_parser->SetBaseFiles({"a"}));
    EXPECT_FALSE(m_parser->SetSelectionFiles(kNoSelection));
    m_parser->Refresh();
    EXPECT_FALSE(m_parser->FindValue("S", "K", text));
    EXPECT_FALSE(m_parser->FindValue(hashed, "K", text));
    EXPECT_FALSE(m_parser->FindValue("S", hashed, text));
    EXPECT_FALSE(m_parser->FindValue(hashed, hashed, text));
    EXPECT_FALSE(m_parser->GetFileValue("a", "S", "K", text));
    EXPECT_FALSE(m_parser->FindOrigin("S", "K", text));
    EXPECT_FALSE(m_parser->HasFile("a"));
    EXPECT_FALSE(m_parser->ListKeys("a", "S", list));
    EXPECT_EQ(text, "untouched");
}

TEST(ResourceWriterTest, RefusesWhatLookupsCouldNotTellApart) {
    ResourceWriter writer;
    std::string error;
    EXPECT_FALSE(writer.AddFile("", {}, error));
    EXPECT_FALSE(error.empty());
    ASSERT_TRUE(writer.AddFile("f", {{"S", "K", "old"}, {"S", "K", "new"}}, error));
    EXPECT_FALSE(writer.AddFile("f", {}, error));
    EXPECT_NE(error.find("\"f\""), std::string::npos);

    // The later duplicate replaced the earlier one.
    TempDir dir;
    ParserHandle parser;
    ASSERT_TRUE(parser.Open(dir, BuildImage(writer)));
    std::string value;
    EXPECT_TRUE(parser->GetFileValue("f", "S", "K", value));
    EXPECT_EQ(value, "new");

    // Two names given the same fixed key: fine until both are used as sections.
    const KeyWords shared = FromVector(IdHashedKey(3));
    writer.SetFixedKeys({{"A", shared}, {"B", shared}});
    ASSERT_TRUE(writer.AddFile("g", {{"A", "K", "1"}, {"S", "B", "2"}}, error));
    std::string image;
    EXPECT_TRUE(writer.Build(image, error)) << error;
    ASSERT_TRUE(writer.AddFile("h", {{"B", "K", "3"}}, error));
    EXPECT_FALSE(writer.Build(image, error));
    EXPECT_NE(error.find("\"A\" and \"B\""), std::string::npos) << error;
}

TEST(ResourceWriterTest, WriteFileReplacesOnlyWithCompleteFile) {
    TempDir dir;
    ResourceWriter writer;
    std::string error;
    ASSERT_TRUE(writer.AddFile("f", {{"S", "K", "v"}}, error));
    const std::string path = dir.Path() + "/out.bin";
    ASSERT_TRUE(writer.WriteFile(path, error)) << error;
    EXPECT_EQ(ReadWholeFile(path), BuildImage(writer));
    EXPECT_FALSE(writer.WriteFile(dir.Path() + "/no/such/dir/out.bin", error));
    EXPECT_NE(error.find("out.bin"), std::string::npos);
}

}  // namespace
