// The parser's answers: round trip from the writer, precedence among handed-over files against
// a model, lookups by hashed keys, the per-file operations and when new file lists take effect.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "FendrelSamples.h"
#include "api/IdKeyTable.h"

using fendrel::KeyWords;
using fendrel::ResourceEntry;
using fendrel::ResourceWriter;
using fendrel::TextKey;

namespace {

using Paths = std::vector<std::string>;
const Paths kNoSelection(7);

KeyWords FromVector(const std::vector<uint64_t>& words) {
    KeyWords key{};
    std::copy(words.begin(), words.end(), key.begin());
    return key;
}

class FendrelLookupTest : public ::testing::Test {
  protected:
    // Writes files (path to entries), opens them and hands base over as the base list.
    void OpenWith(const std::map<std::string, std::vector<ResourceEntry>>& files, const Paths& base,
                  ResourceWriter writer = {}) {
        std::string error;
        for (const auto& [path, entries] : files) {
            ASSERT_TRUE(writer.AddFile(path, entries, error)) << error;
        }
        ASSERT_TRUE(m_parser.Open(m_dir, BuildImage(writer)));
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

// Lists take effect at Refresh; a selection list of another length is refused.
TEST_F(FendrelLookupTest, NewListsTakeEffectAtRefresh) {
    OpenWith({{"a", {{"S", "K", "from a"}}}, {"b", {{"S", "K", "from b"}}}}, {"a"});
    ASSERT_TRUE(m_parser->SetBaseFiles({"b"}));
    EXPECT_EQ(Find("S", "K"), "from a");
    m_parser->Refresh();
    EXPECT_EQ(Find("S", "K"), "from b");
    ASSERT_TRUE(m_parser->SetSelectionFiles({"a", "", "", "", "", "", ""}));
    m_parser->Refresh();
    EXPECT_EQ(Find("S", "K"), "from a");
    EXPECT_FALSE(m_parser->SetSelectionFiles({"b"}));
    EXPECT_FALSE(m_parser->SetSelectionFiles(Paths(8, "b")));
    m_parser->Refresh();
    EXPECT_EQ(Find("S", "K"), "from a");
}

// Random files, entries and lists against a plain model of the precedence rule (selection
// entries, then the base list; empty and unknown paths skipped; a file named twice keeps its
// first rank), by names, by text keys and per file. Names of every byte come back exactly and
// match only exactly. The crowded pair is held by more files than the parser scans, so both of
// its strategies are compared.
TEST_F(FendrelLookupTest, AgreesWithModelOnRandomTrees) {
    std::mt19937 random(12345);
    const std::string withNul("a\0b", 3);
    const std::string high = "\xc3\xa9t\xff";
    const Paths sections = {"", "A", "a", "A ", "A:B", "GlobalParameters", withNul, high, "Crowd"};
    const Paths keys = {"", "K0", "k0", std::string("K0\0", 3), "Gain", high};
    Paths paths;
    std::map<std::string, std::map<std::pair<std::string, std::string>, std::string>> model;
    std::map<std::string, std::vector<ResourceEntry>> files = {{"Quendel/Empty.pp", {}}};
    for (int f = 0; f < 30; ++f) {
        // Paths sort against their ranks, so file order cannot stand in for rank.
        const std::string path = "Quendel/" + std::to_string((f * 7) % 30) + "/x.pp";
        paths.push_back(path);
        for (const std::string& s : sections) {
            for (const std::string& k : keys) {
                if (s == "Crowd" ? f % 10 != 3 : random() % 3 == 0) {
                    const std::string value = k == "Gain" && f % 4 == 0 ? ""
                                              : k == high && f == 0     ? std::string(100000, 'x')
                                                                        : path + "|" + s + "|" + k;
                    files[path].push_back({s, k, value});
                    model[path][{s, k}] = value;
                }
            }
        }
    }
    OpenWith(files, {});
    Paths listed;
    ASSERT_TRUE(m_parser->ListFiles(listed));
    EXPECT_EQ(listed.size(), 31u);
    EXPECT_TRUE(m_parser->HasFile("Quendel/Empty.pp"));
    EXPECT_FALSE(m_parser->HasFile("quendel/Empty.pp"));
    for (const auto& [path, entries] : model) {
        for (const std::string& s : sections) {
            for (const std::string& k : keys) {
                std::string value = "<none>";
                m_parser->GetFileValue(path, s, k, value);
                const auto entry = entries.find({s, k});
                ASSERT_EQ(value, entry == entries.end() ? "<none>" : entry->second);
            }
        }
    }

    auto pick = [&]() -> std::string {
        const unsigned r = random() % 10;
        return r == 0 ? "" : r == 1 ? "Quendel/unknown.pp" : paths[random() % paths.size()];
    };
    for (int round = 0; round < 200; ++round) {
        Paths selection(7);
        Paths base(random() % 6);
        for (Paths* list : {&selection, &base}) {
            for (std::string& p : *list) {
                p = pick();
            }
        }
        ASSERT_TRUE(m_parser->SetSelectionFiles(selection));
        ASSERT_TRUE(m_parser->SetBaseFiles(base));
        m_parser->Refresh();
        Paths order = selection;
        order.insert(order.end(), base.begin(), base.end());
        for (const std::string& s : sections) {
            for (const std::string& k : keys) {
                std::string expected = "<none>";
                std::string expectedOrigin;
                for (const std::string& p : order) {
                    const auto file = model.find(p);
                    if (file != model.end() && file->second.count({s, k})) {
                        expected = file->second.at({s, k});
                        expectedOrigin = p;
                        break;
                    }
                }
                ASSERT_EQ(Find(s, k), expected) << "round " << round << " " << s << "/" << k;
                std::string byHash = "<none>";
                std::string origin;
                m_parser->FindValue(Words(TextKey(s)), Words(TextKey(k)), byHash);
                ASSERT_EQ(byHash, expected);
                EXPECT_EQ(m_parser->FindOrigin(s, k, origin), !expectedOrigin.empty());
                EXPECT_EQ(origin, expectedOrigin);
            }
        }
    }
}

// A fixed key replaces a name's text key; only the whole four-word vector matches.
TEST_F(FendrelLookupTest, HashedKeysMatchOnlyTheWholeFourWordVector) {
    const std::vector<uint64_t> group7 = IdHashedKey(7);
    const std::vector<uint64_t> gain = IdHashedKey(0);
    ResourceWriter writer;
    writer.SetFixedKeys({{"Group7", FromVector(group7)}, {"Gain", FromVector(gain)}});
    OpenWith({{"f", {{"Group7", "Gain", "1"}, {"Plain", "Gain", "3"}, {"Group7", "Depth", "4"}}}},
             {"f"}, writer);
    std::string value;
    EXPECT_TRUE(m_parser->FindValue(group7, gain, value));
    EXPECT_EQ(value, "1");
    EXPECT_TRUE(m_parser->FindValue("Plain", gain, value));
    EXPECT_EQ(value, "3");
    EXPECT_TRUE(m_parser->FindValue(group7, Words(TextKey("Depth")), value));
    EXPECT_EQ(value, "4");
    EXPECT_EQ(Find("Group7", "Gain"), "1");
    EXPECT_FALSE(m_parser->FindValue(Words(TextKey("Group7")), "Gain", value));

    std::vector<std::vector<uint64_t>> variants = {
        {}, {group7[0]}, {group7[0], group7[1], 0}, group7, group7};
    variants[3].push_back(0);
    variants[4][3] = 1;
    for (const std::vector<uint64_t>& bad : variants) {
        value = "untouched";
        EXPECT_FALSE(m_parser->FindValue(bad, "Gain", value)) << bad.size();
        EXPECT_FALSE(m_parser->FindValue("Group7", bad, value));
        EXPECT_FALSE(m_parser->FindValue(group7, bad, value));
        EXPECT_EQ(value, "untouched");
    }
}

// Each form of lookup finds exactly the pairs that the names find, whichever names carry fixed
// keys: the forms with a hashed key probe pair slots of their own.
TEST_F(FendrelLookupTest, EveryFormFindsWhatTheNamesFind) {
    std::mt19937 random(7);
    Paths sections = {"S99"};  // held by no pair
    Paths keys = {"K99"};
    std::map<std::string, KeyWords, std::less<>> fixed;
    std::vector<ResourceEntry> entries;
    for (int s = 0; s < 40; ++s) {
        sections.push_back("S" + std::to_string(s) + (s % 3 == 0 ? "" : ":C"));
        fixed[sections.back()] = FromVector(IdHashedKey(s));
    }
    for (int k = 0; k < 12; ++k) {
        keys.push_back("K" + std::to_string(k));
    }
    fixed[keys[5]] = FromVector(IdHashedKey(100));
    for (size_t s = 1; s < sections.size(); ++s) {
        for (size_t k = 1; k < keys.size(); ++k) {
            if (random() % 2 == 0) {
                entries.push_back({sections[s], keys[k], sections[s] + "/" + keys[k]});
            }
        }
    }
    // Every seventh section keeps its text key.
    for (int s = 1; s <= 40; s += 7) {
        fixed.erase(sections[s]);
    }
    ResourceWriter writer;
    writer.SetFixedKeys(fixed);
    OpenWith({{"f", entries}}, {"f"}, writer);
    const auto words = [&](const std::string& name) {
        const auto it = fixed.find(name);
        return it != fixed.end() ? Words(it->second) : Words(TextKey(name));
    };
    int found = 0;
    for (const std::string& s : sections) {
        for (const std::string& k : keys) {
            const std::string expected = Find(s, k);
            found += expected != "<none>";
            std::string value[3] = {"<none>", "<none>", "<none>"};
            m_parser->FindValue(words(s), k, value[0]);
            m_parser->FindValue(s, words(k), value[1]);
            m_parser->FindValue(words(s), words(k), value[2]);
            for (const std::string& answer : value) {
                EXPECT_EQ(answer, expected) << s << " " << k;
            }
        }
    }
    EXPECT_EQ(found, static_cast<int>(entries.size()));
}

// ListKeys and GetFileValue read one file whatever the view; before any list is handed over the
// view is empty. A new file replaces content and lists; a failed open leaves nothing open.
TEST_F(FendrelLookupTest, PerFileOperationsAndReopening) {
    OpenWith({{"Quendel/FileConfig.pp",
               {{"GlobalParameters", "FileNumbers", "3"},
                {"GlobalParameters", "File2", "Extra2.pp"},
                {"GlobalParameters", "File0", "Extra0.pp"},
                {"Other", "File1", "elsewhere"}}},
              {"Quendel/Other.pp", {{"GlobalParameters", "File1", "x"}}}},
             {});
    Paths keys = {"stale"};
    EXPECT_TRUE(m_parser->ListKeys("Quendel/FileConfig.pp", "GlobalParameters", keys));
    EXPECT_EQ(keys, Paths({"File0", "File2", "FileNumbers"}));
    EXPECT_FALSE(m_parser->ListKeys("Quendel/Other.pp", "Other", keys));
    EXPECT_TRUE(keys.empty());
    EXPECT_FALSE(m_parser->ListKeys("Quendel/Missing.pp", "GlobalParameters", keys));
    std::string value;
    EXPECT_TRUE(
        m_parser->GetFileValue("Quendel/FileConfig.pp", "GlobalParameters", "File2", value));
    EXPECT_EQ(value, "Extra2.pp");
    EXPECT_FALSE(
        m_parser->GetFileValue("Quendel/FileConfig.pp", "GlobalParameters", "File1", value));
    EXPECT_FALSE(m_parser->FindValue("GlobalParameters", "File0", value));

    ResourceWriter second;
    std::string error;
    ASSERT_TRUE(second.AddFile("two", {{"S", "K", "2"}}, error));
    ASSERT_TRUE(m_parser->OpenFile(m_dir.Write("second.bin", BuildImage(second))));
    EXPECT_FALSE(m_parser->HasFile("Quendel/Other.pp"));
    m_parser->Refresh();
    EXPECT_EQ(Find("S", "K"), "<none>");  // the old lists went with the old content
    ASSERT_TRUE(m_parser->SetBaseFiles({"two"}));
    m_parser->Refresh();
    EXPECT_EQ(Find("S", "K"), "2");
    EXPECT_FALSE(m_parser->OpenFile(m_dir.Path() + "/missing.bin"));
    EXPECT_FALSE(m_parser->HasFile("two"));
    EXPECT_EQ(Find("S", "K"), "<none>");
}

TEST_F(FendrelLookupTest, ClosedParserAnswersFalseEverywhere) {
    Paths list = {"stale"};
    std::string text = "untouched";
    const std::vector<uint64_t> hashed = Words(TextKey("S"));
    EXPECT_FALSE(m_parser->ListFiles(list));
    EXPECT_TRUE(list.empty());
    EXPECT_FALSE(m_parser->SetBaseFiles({"a"}));
    EXPECT_FALSE(m_parser->SetSelectionFiles(kNoSelection));
    m_parser->Refresh();
    EXPECT_FALSE(m_parser->FindValue("S", "K", text));
    EXPECT_FALSE(m_parser->FindValue(hashed, hashed, text));
    EXPECT_FALSE(m_parser->GetFileValue("a", "S", "K", text));
    EXPECT_FALSE(m_parser->FindOrigin("S", "K", text));
    EXPECT_FALSE(m_parser->ListKeys("a", "S", list));
    EXPECT_EQ(text, "untouched");
}

// The writer refuses what lookups could not tell apart; a later duplicate entry replaces the
// earlier one.
TEST(ResourceWriterTest, RefusesWhatLookupsCouldNotTellApart) {
    ResourceWriter writer;
    std::string error;
    EXPECT_FALSE(writer.AddFile("", {}, error));
    EXPECT_FALSE(error.empty());
    ASSERT_TRUE(writer.AddFile("f", {{"S", "K", "old"}, {"S", "K", "new"}}, error));
    EXPECT_FALSE(writer.AddFile("f", {}, error));
    EXPECT_NE(error.find("\"f\""), std::string::npos);

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

}  // namespace
