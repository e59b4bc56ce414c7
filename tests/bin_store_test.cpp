// The binary store: the file lists it hands the parser (read back through the store and
// confirmed by lookups), product redirects, re-selection, lookups and a file that does not open.
#include <corvel/CorvelControl.h>
#include <fendrel/ResourceWriter.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "StoreSelection.h"
#include "TestSupport.h"
#include "api/IdKeyTable.h"
#include "binstore/binFileMsgImpl.h"

using fendrel::ResourceEntry;

namespace {

using Files = std::map<std::string, std::vector<ResourceEntry>>;
using Paths = std::vector<std::string>;

const char kProduct[] = "Product-GeneralSpecification";
const std::string kClnBase = "Quendel/Clns/ImgResClnBase.pp";

// Every file of a precedence order v0 (highest) .. vn holds "Rank" entries: v_i the keys L0 to
// Li, each with v_i's path as value. Looking up L<k> then answers v_k exactly when the files
// are all in the view in this order. Each file also holds its own path as a key of "Files".
void AddRanked(Files& files, const Paths& order) {
    for (size_t i = 0; i < order.size(); ++i) {
        for (size_t k = 0; k <= i; ++k) {
            files[order[i]].push_back({"Rank", "L" + std::to_string(k), order[i]});
        }
        files[order[i]].push_back({"Files", order[i], "in view"});
    }
}

// The view's order as the store's lookups show it, highest precedence first.
Paths ViewOrder(binFileMsgImpl& store) {
    Paths order;
    std::string value;
    while (store.GetRawValue("Rank", "L" + std::to_string(order.size()), value)) {
        order.push_back(value);
    }
    return order;
}

// Non-empty entries of the selection list, then the base list: what the parser ranks.
Paths HandedOver(const binFileMsgImpl& store) {
    Paths paths;
    for (const auto* list : {&store.SelectionFiles(), &store.BaseFiles()}) {
        for (const std::string& path : *list) {
            if (!path.empty()) {
                paths.push_back(path);
            }
        }
    }
    return paths;
}

class BinStoreTest : public ::testing::Test {
  protected:
    void SetUp() override {
        corvel::ClearSettings();
        corvel::SetSetting("Path", "ShippedRoot", m_dir.Path());
    }
    void TearDown() override { corvel::ClearSettings(); }

    // Writes <ShippedRoot>/dev/<name>.bin holding files.
    void WriteProduct(const Files& files, const std::string& name = "Quendel",
                      std::map<std::string, fendrel::KeyWords, std::less<>> fixed = {}) {
        fendrel::ResourceWriter writer;
        writer.SetFixedKeys(std::move(fixed));
        std::string error;
        for (const auto& [path, entries] : files) {
            ASSERT_TRUE(writer.AddFile(path, entries, error)) << error;
        }
        std::filesystem::create_directories(m_dir.Path() + "/dev");
        ASSERT_TRUE(writer.WriteFile(m_dir.Path() + "/dev/" + name + ".bin", error)) << error;
    }

    std::string Lookup(binFileMsgImpl& store, const std::string& section, const std::string& key) {
        std::string value = "<none>";
        store.GetRawValue(section, key, value);
        return value;
    }

    TempDir m_dir;
    LogCapture m_log;
};

// The layered files of group G1, probe P1, clinical A1 with product rule Prod, and a file
// configuration listing two further files.
struct WorkedExample {
    Paths selection;
    Paths base = {"Quendel/ImgResBase.pp", "Quendel/Common/A.pp", "Quendel/Common/B.pp"};
    Files files;

    explicit WorkedExample(bool productProbe) {
        const std::string probeDir = productProbe ? "Quendel/G1/P1/Prod/" : "Quendel/G1/P1/";
        selection = {"Quendel/Clns/A1/ImgResCln.pp",
                     kClnBase,
                     probeDir + "A1/Prod/ImgResCln.pp",
                     probeDir + "A1/ImgResCln.pp",
                     productProbe ? "Quendel/G1/P1/Prod/ImgResXdr.pp" : "",
                     "Quendel/G1/P1/ImgResXdr.pp",
                     "Quendel/G1/ImgResGrp.pp"};
        AddRanked(files, Expected());
        files["Quendel/FileConfig.pp"] = {{"GlobalParameters", "FileNumbers", "2"},
                                          {"GlobalParameters", "File0", "Common/A.pp"},
                                          {"GlobalParameters", "File1", "Common/B.pp"}};
    }
    Paths Expected() const {
        Paths order;
        for (const auto* list : {&selection, &base}) {
            for (const std::string& path : *list) {
                if (!path.empty()) {
                    order.push_back(path);
                }
            }
        }
        return order;
    }
};

TEST_F(BinStoreTest, WorkedExampleListsAndPrecedence) {
    corvel::SetSetting(kProduct, "QuendelProductRule", "Prod");
    for (const bool productProbe : {true, false}) {
        SCOPED_TRACE(productProbe ? "product probe file" : "no product probe file");
        const WorkedExample example(productProbe);
        WriteProduct(example.files);
        m_log.Clear();
        binFileMsgImpl store("G1", "P1", "A1");
        store.Refresh();
        ASSERT_TRUE(store.IsOpen());
        EXPECT_EQ(store.SelectionFiles(), example.selection);
        EXPECT_EQ(store.BaseFiles(), example.base);
        EXPECT_EQ(ViewOrder(store), example.Expected());
        EXPECT_EQ(m_log.Count("INFO [Quendel] FileName: Quendel"), 1);
        EXPECT_EQ(m_log.Count("INFO [Quendel] Redirect ProbeProduct: Quendel/G1/P1/Prod/"),
                  productProbe ? 1 : 0);
        std::string origin;
        ASSERT_TRUE(store.FindOrigin("Rank", "L2", origin));
        EXPECT_EQ(origin, example.selection[2]);
    }
}

TEST_F(BinStoreTest, SelectionListForEmptySelectors) {
    corvel::SetSetting(kProduct, "QuendelProductRule", "Prod");
    const WorkedExample example(true);
    WriteProduct(example.files);
    const std::string clinical = "Quendel/Clns/A1/ImgResCln.pp";
    struct Case {
        std::string f, p, a;
        Paths selection;
    };
    const std::vector<Case> cases = {
        {"", "", "A1", {clinical, kClnBase, "", "", "", "", ""}},
        {"", "P1", "A1", {clinical, kClnBase, "", "", "", "", ""}},
        {"G1", "", "A1", {clinical, kClnBase, "", "", "", "", "Quendel/G1/ImgResGrp.pp"}},
        {"G1",
         "P1",
         "",
         {"", kClnBase, "", "", "Quendel/G1/P1/Prod/ImgResXdr.pp", "Quendel/G1/P1/ImgResXdr.pp",
          "Quendel/G1/ImgResGrp.pp"}},
        // The clinical base file belongs to the empty selection as well.
        {"", "", "", {"", kClnBase, "", "", "", "", ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.f + "/" + c.p + "/" + c.a);
        binFileMsgImpl store(c.f, c.p, c.a);
        store.Refresh();
        EXPECT_EQ(store.SelectionFiles(), c.selection);
        EXPECT_EQ(store.BaseFiles(), example.base);
        // Lookups answer from exactly the handed-over files.
        const Paths handedOver = HandedOver(store);
        for (const std::string& path : example.Expected()) {
            std::string value;
            EXPECT_EQ(store.GetRawValue("Files", path, value),
                      std::find(handedOver.begin(), handedOver.end(), path) != handedOver.end())
                << path;
        }
    }
}

TEST_F(BinStoreTest, RedirectedBaseFilesAndRuleDirectory) {
    Files files = {
        {"Quendel/ImgResBase.pp", {{"GlobalParameters", "Who", "common base"}}},
        {"Quendel/Prod/ImgResBase.pp", {{"GlobalParameters", "Who", "product base"}}},
        {"Quendel/Prod/Common/A.pp", {{"GlobalParameters", "Extra", "product A"}}},
        {"Quendel/Common/A.pp", {{"GlobalParameters", "Extra", "common A"}}},
        {"Quendel/Common/B.pp", {{"GlobalParameters", "OnlyB", "common B"}}},
        {"Quendel/FileConfig.pp",
         {{"GlobalParameters", "FileNumbers", "2"},
          {"GlobalParameters", "File0", "Common/A.pp"},
          {"GlobalParameters", "File1", "Common/B.pp"}}},
        // The file configuration itself is never taken from the product rule directory.
        {"Quendel/Prod/FileConfig.pp", {{"GlobalParameters", "FileNumbers", "0"}}},
    };
    WriteProduct(files);
    corvel::SetSetting(kProduct, "QuendelProductRule", "Prod");
    binFileMsgImpl store("", "", "");
    store.Refresh();
    EXPECT_EQ(store.BaseFiles(), Paths({"Quendel/Prod/ImgResBase.pp", "Quendel/Prod/Common/A.pp",
                                        "Quendel/Common/B.pp"}));
    EXPECT_EQ(m_log.Count("INFO [Quendel] Redirect(Quendel/Prod/ImgResBase.pp)"), 1);
    EXPECT_EQ(m_log.Count("INFO [Quendel] Redirect(Quendel/Prod/Common/A.pp)"), 1);
    EXPECT_EQ(Lookup(store, "GlobalParameters", "Who"), "product base");
    EXPECT_EQ(Lookup(store, "GlobalParameters", "Extra"), "product A");
    EXPECT_EQ(Lookup(store, "GlobalParameters", "OnlyB"), "common B");

    // The rule directory: QuendelProductRule, else SystemHQPath, else nothing; always with "/",
    // and paths are composed as they stand, doubled separators included.
    struct Case {
        const char* rule;
        const char* hq;
        std::string ruleDir;
        std::string entry2;
    };
    const std::vector<Case> cases = {
        {"Prod", "HQ", "Prod/", "Quendel/G1/P1/A1/Prod/ImgResCln.pp"},
        {nullptr, "HQ", "HQ/", "Quendel/G1/P1/A1/HQ/ImgResCln.pp"},
        {nullptr, nullptr, "/", "Quendel/G1/P1/A1//ImgResCln.pp"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ruleDir);
        corvel::RemoveSetting(kProduct, "QuendelProductRule");
        corvel::RemoveSetting(kProduct, "SystemHQPath");
        if (c.rule != nullptr) {
            corvel::SetSetting(kProduct, "QuendelProductRule", c.rule);
        }
        if (c.hq != nullptr) {
            corvel::SetSetting(kProduct, "SystemHQPath", c.hq);
        }
        binFileMsgImpl selected("G1", "P1", "A1");
        EXPECT_EQ(selected.ProductRuleDir(), c.ruleDir);
        ASSERT_EQ(selected.SelectionFiles().size(), 7u);
        EXPECT_EQ(selected.SelectionFiles()[2], c.entry2);
    }
}

TEST_F(BinStoreTest, SameSelectionAppliedTwice) {
    corvel::SetSetting(kProduct, "QuendelProductRule", "Prod");
    WriteProduct(WorkedExample(true).files);
    binFileMsgImpl store("G1", "P1", "A1");
    store.Refresh();
    const Paths first = store.SelectionFiles();
    const std::string redirect = "INFO [Quendel] Redirect ProbeProduct: Quendel/G1/P1/Prod/";
    ASSERT_EQ(m_log.Count(redirect), 1);

    // Another group and back: the selection is rebuilt, equals the one handed over, and so is
    // not handed over again (the parser would have answered true).
    EXPECT_TRUE(store.SetGroup("G2"));
    EXPECT_TRUE(store.SetGroup("G1"));
    EXPECT_TRUE(store.SetProbe("P1"));
    EXPECT_FALSE(store.SetClinical("A1"));
    EXPECT_EQ(store.SelectionFiles(), first);
    EXPECT_EQ(m_log.Count(redirect), 2);

    // Nothing pending and the same clinical setting: no work at all.
    EXPECT_TRUE(store.SetClinical("A1"));
    EXPECT_EQ(m_log.Count(redirect), 2);
    // A real change is handed over.
    EXPECT_TRUE(store.SetClinical("A2"));
    EXPECT_EQ(store.SelectionFiles()[0], "Quendel/Clns/A2/ImgResCln.pp");

    // The current group keeps probe and clinical setting, so there is nothing to hand over.
    EXPECT_TRUE(store.SetGroup("G1"));
    EXPECT_TRUE(store.SetClinical("A2"));
    EXPECT_EQ(m_log.Count(redirect), 3);

    EXPECT_FALSE(store.SetUserDefined("G1", "P1", "A2"));
    binFileMsgImpl noGroup("", "P1", "A1");
    EXPECT_FALSE(noGroup.SetProbe("P2"));
}

// Re-selecting as the facade does ends in the view a new store of that selection has, also
// when selectors are left empty: an empty level is deselected, not kept from before.
TEST_F(BinStoreTest, ReselectionMatchesNewStore) {
    corvel::SetSetting(kProduct, "QuendelProductRule", "Prod");
    Files files = WorkedExample(true).files;
    AddRanked(files, {"Quendel/G2/P2/ImgResXdr.pp", "Quendel/G2/ImgResGrp.pp"});
    WriteProduct(files);
    const std::vector<std::vector<std::string>> targets = {
        {"G2", "P2", ""}, {"", "", "A1"}, {"G1", "", "A1"},  {"", "", ""},
        {"G1", "P1", ""}, {"G2", "", ""}, {"G1", "P1", "A2"}};
    for (const auto& t : targets) {
        SCOPED_TRACE(t[0] + "/" + t[1] + "/" + t[2]);
        binFileMsgImpl store("G1", "P1", "A1");
        store.Refresh();
        Reselect(store, t[0], t[1], t[2]);
        binFileMsgImpl fresh(t[0], t[1], t[2]);
        fresh.Refresh();
        EXPECT_EQ(store.SelectionFiles(), fresh.SelectionFiles());
        EXPECT_EQ(ViewOrder(store), ViewOrder(fresh));
    }

    // The same selection again reaches the parser only through Refresh.
    binFileMsgImpl store("G1", "P1", "A1");
    store.Refresh();
    m_log.Clear();
    Reselect(store, "G1", "P1", "A1");
    EXPECT_TRUE(m_log.Lines().empty());
}

// Each store keeps the file-name prefix it was built with, whatever a later store was built
// with: its re-selections still name its own product's files.
TEST_F(BinStoreTest, StoresOfTwoProductsKeepTheirPrefixes) {
    WriteProduct({{"ProdA/G1/ImgResGrp.pp", {{"G", "Who", "A group 1"}}},
                  {"ProdA/G2/ImgResGrp.pp", {{"G", "Who", "A group 2"}}}},
                 "ProdA");
    WriteProduct({{"ProdB/G1/ImgResGrp.pp", {{"G", "Who", "B group 1"}}}}, "ProdB");
    corvel::SetSetting(kProduct, "QuendelFileName", "ProdA");
    binFileMsgImpl a("G1", "", "");
    corvel::SetSetting(kProduct, "QuendelFileName", "ProdB");
    binFileMsgImpl b("G1", "", "");
    a.Refresh();
    b.Refresh();
    EXPECT_EQ(Lookup(a, "G", "Who"), "A group 1");
    EXPECT_EQ(Lookup(b, "G", "Who"), "B group 1");

    Reselect(a, "G2", "", "");
    EXPECT_EQ(a.DirPrefix(), "ProdA/");
    EXPECT_EQ(a.SelectionFiles()[6], "ProdA/G2/ImgResGrp.pp");
    EXPECT_EQ(Lookup(a, "G", "Who"), "A group 2");
    EXPECT_EQ(b.DirPrefix(), "ProdB/");
}

TEST_F(BinStoreTest, FileConfigurationCounts) {
    Files files = {{"Quendel/FileConfig.pp",
                    {{"GlobalParameters", "File0", "F0.pp"},
                     {"GlobalParameters", "File2", "F2.pp"},
                     {"GlobalParameters", "File3", "F3.pp"},
                     {"GlobalParameters", "File10", "F10.pp"},
                     {"GlobalParameters", "File01", "leading zero.pp"},
                     {"GlobalParameters", "File+1", "sign.pp"},
                     {"GlobalParameters", "file1", "lower case.pp"},
                     {"Other", "File1", "other section.pp"}}}};
    const Paths none;
    const Paths upTo3 = {"F0.pp", "F2.pp"};
    const Paths all = {"F0.pp", "F2.pp", "F3.pp", "F10.pp"};
    // The count is the integer a stream reads from the start of the text.
    const std::vector<std::pair<std::string, Paths>> cases = {
        {"3", upTo3},         {"+3", upTo3}, {" 4 files", {"F0.pp", "F2.pp", "F3.pp"}},
        {"2", {"F0.pp"}},     {"11", all},   {"2000000000", all},
        {"99999999999", all}, {"0", none},   {"-5", none},
        {"abc", none},        {"", none},    {"3.9", upTo3},
    };
    for (const auto& [count, listed] : cases) {
        SCOPED_TRACE("FileNumbers <" + count + ">");
        files["Quendel/FileConfig.pp"].push_back({"GlobalParameters", "FileNumbers", count});
        WriteProduct(files);
        files["Quendel/FileConfig.pp"].pop_back();
        binFileMsgImpl store("", "", "");
        Paths expected = {"Quendel/ImgResBase.pp"};
        for (const std::string& name : listed) {
            expected.push_back("Quendel/" + name);
        }
        EXPECT_EQ(store.BaseFiles(), expected);
    }
}

TEST_F(BinStoreTest, LookupNamesAndHashedKeys) {
    const std::vector<uint64_t> id = IdHashedKey(7);
    fendrel::KeyWords fixed{};
    std::copy(id.begin(), id.end(), fixed.begin());
    WriteProduct({{"Quendel/ImgResBase.pp",
                   {{"Display:Zoom", "Level", "2"},
                    {"GlobalParameters", "Gain", "12"},
                    {"GlobalParameters", "", "empty key"},
                    {"Tissue", "Speed", "1540"},
                    {"Display:Zoom", "Tissue", "section id as key"}}}},
                 "Quendel", {{"Tissue", fixed}});
    binFileMsgImpl store("", "", "");
    store.Refresh();
    EXPECT_EQ(Lookup(store, " Display : Zoom\t", "\tLe vel "), "2");
    EXPECT_EQ(Lookup(store, "", "Gain"), "12");
    EXPECT_EQ(Lookup(store, " \t ", "Gain"), "12");
    EXPECT_EQ(Lookup(store, "GlobalParameters", " \t"), "empty key");
    EXPECT_EQ(Lookup(store, "Display:Zoom", "level"), "<none>");  // exact case

    std::string value = "<none>";
    EXPECT_TRUE(store.GetRawValue(id, " Spe ed", value));
    EXPECT_EQ(value, "1540");
    EXPECT_TRUE(store.GetRawValue(" Display:Zoom ", id, value));
    EXPECT_EQ(value, "section id as key");
    EXPECT_TRUE(store.GetRawValue(IdHashedKey(7), IdHashedKey(7), value) == false);
    const std::vector<uint64_t> gain = [] {
        const fendrel::KeyWords k = fendrel::TextKey("Gain");
        return std::vector<uint64_t>(k.begin(), k.end());
    }();
    EXPECT_TRUE(store.GetRawValue(" ", gain, value));
    EXPECT_EQ(value, "12");
    int number = 0;
    EXPECT_TRUE(store.GetParameter("Tissue", "Speed", number, -1));
    EXPECT_EQ(number, 1540);
}

TEST_F(BinStoreTest, FileThatDoesNotOpenAnswersNothing) {
    struct Case {
        const char* what;
        bool writeGarbage;
    };
    for (const Case c : {Case{"missing", false}, Case{"corrupt", true}}) {
        SCOPED_TRACE(c.what);
        if (c.writeGarbage) {
            m_dir.Write("dev/Quendel.bin", "FNDRLRES but not a resource file");
        }
        m_log.Clear();
        binFileMsgImpl store("G1", "P1", "A1");
        store.Refresh();
        EXPECT_FALSE(store.IsOpen());
        EXPECT_EQ(m_log.Lines(), std::vector<std::string>({"INFO [Quendel] FileName: Quendel"}));
        EXPECT_TRUE(store.BaseFiles().empty());
        std::string value = "untouched";
        const std::vector<uint64_t> key = IdHashedKey(0);
        EXPECT_FALSE(store.GetRawValue("GlobalParameters", "Gain", value));
        EXPECT_FALSE(store.GetRawValue(key, "Gain", value));
        EXPECT_FALSE(store.GetRawValue("GlobalParameters", key, value));
        EXPECT_FALSE(store.GetRawValue(key, key, value));
        EXPECT_EQ(value, "untouched");
        int number = 0;
        EXPECT_FALSE(store.GetParameter("GlobalParameters", "Gain", number, 42));
        EXPECT_EQ(number, 42);
        // The selection is still kept, but nothing is handed over.
        EXPECT_FALSE(store.SetClinical("A2"));
        ASSERT_EQ(store.SelectionFiles().size(), 7u);
        EXPECT_EQ(store.SelectionFiles()[0], "Quendel/Clns/A2/ImgResCln.pp");
    }
}

TEST(BinStorePaths, NoHostSettings) {
    corvel::ClearSettings();
    binFileMsgImpl store("", "", "");
    EXPECT_EQ(store.BinaryFilePath(), "/dev/Quendel.bin");
    EXPECT_EQ(store.DirPrefix(), "Quendel/");
    EXPECT_EQ(store.ProductRuleDir(), "/");
    EXPECT_FALSE(store.IsOpen());
}

}  // namespace
