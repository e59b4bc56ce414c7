// The binary store: the file lists it hands the parser (confirmed by lookups), product
// redirects, re-selection, lookups and a file that does not open.
#include <corvel/CorvelControl.h>
#include <fendrel/ResourceWriter.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "StoreSelection.h"
#include "TestSupport.h"
#include "api/IdKeyTable.h"
#include "binstore/binFileMsgImpl.h"
#include "fileset/FileSet.h"

using fendrel::ResourceEntry;

namespace {

using Files = std::map<std::string, std::vector<ResourceEntry>>;
using Paths = std::vector<std::string>;

const char kProduct[] = "Product-GeneralSpecification";
const std::string kClnBase = "Quendel/Clns/ImgResClnBase.pp";

// Each file holds its own path as a key of section "Files", so a lookup there finds exactly the
// files the parser was handed.
void AddFiles(Files& files, const Paths& paths) {
    for (const std::string& path : paths) {
        if (!path.empty()) {
            files[path].push_back({"Files", path, "in view"});
        }
    }
}

// The files of files that lookups find, sorted.
Paths InView(binFileMsgImpl& store, const Files& files) {
    Paths found;
    std::string value;
    for (const auto& entry : files) {
        if (store.GetRawValue("Files", entry.first, value)) {
            found.push_back(entry.first);
        }
    }
    return found;
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
        std::string image;
        ASSERT_TRUE(writer.Build(image, error)) << error;
        m_dir.Write("dev/" + name + ".bin", image);
    }

    static std::string Lookup(binFileMsgImpl& store, const std::string& section,
                              const std::string& key) {
        std::string value = "<none>";
        store.GetRawValue(section, key, value);
        return value;
    }

    TempDir m_dir;
    LogCapture m_log;
};

// The worked example: group G1, probe P1, clinical A1, product rule Prod, a file configuration
// listing two further files; with or without the product's own probe file.
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
        AddFiles(files, selection);
        AddFiles(files, base);
        files["Quendel/FileConfig.pp"] = {{"GlobalParameters", "FileNumbers", "2"},
                                          {"GlobalParameters", "File0", "Common/A.pp"},
                                          {"GlobalParameters", "File1", "Common/B.pp"}};
    }
};

// The lists of the worked example, without and with the product's own probe file, and of
// selections whose empty selectors empty their levels; lookups find exactly the files handed over.
TEST_F(BinStoreTest, SelectionListsAreHandedOver) {
    corvel::SetSetting(kProduct, "QuendelProductRule", "Prod");
    for (const bool productProbe : {false, true}) {
        SCOPED_TRACE(productProbe ? "product probe file" : "no product probe file");
        const WorkedExample example(productProbe);
        WriteProduct(example.files);
        m_log.Clear();
        binFileMsgImpl store("G1", "P1", "A1");
        store.Refresh();
        EXPECT_EQ(store.SelectionFiles(), example.selection);
        EXPECT_EQ(store.BaseFiles(), example.base);
        Paths handedOver = example.base;
        std::copy_if(example.selection.begin(), example.selection.end(),
                     std::back_inserter(handedOver),
                     [](const auto& path) { return !path.empty(); });
        std::sort(handedOver.begin(), handedOver.end());
        EXPECT_EQ(InView(store, example.files), handedOver);
        EXPECT_EQ(m_log.Count("INFO [Quendel] FileName: Quendel"), 1);
        EXPECT_EQ(m_log.Count("INFO [Quendel] Redirect ProbeProduct: Quendel/G1/P1/Prod/"),
                  productProbe ? 1 : 0);
    }
    // The clinical base file belongs to the empty selection as well.
    binFileMsgImpl empty("", "", "");
    EXPECT_EQ(empty.SelectionFiles(), Paths({"", kClnBase, "", "", "", "", ""}));
}

TEST_F(BinStoreTest, ProductFilesReplaceCommonOnesButNotTheConfiguration) {
    WriteProduct({
        {"Quendel/ImgResBase.pp", {{"GlobalParameters", "Who", "common base"}}},
        {"Quendel/Prod/ImgResBase.pp", {{"GlobalParameters", "Who", "product base"}}},
        {"Quendel/Prod/Common/A.pp", {{"GlobalParameters", "Extra", "product A"}}},
        {"Quendel/Common/A.pp", {{"GlobalParameters", "Extra", "common A"}}},
        {"Quendel/FileConfig.pp",
         {{"GlobalParameters", "FileNumbers", "2"},
          {"GlobalParameters", "File0", "Common/A.pp"},
          {"GlobalParameters", "File1", "Common/B.pp"}}},
        {"Quendel/Prod/FileConfig.pp", {{"GlobalParameters", "FileNumbers", "0"}}},
    });
    corvel::SetSetting(kProduct, "QuendelProductRule", "Prod");
    binFileMsgImpl store("", "", "");
    store.Refresh();
    EXPECT_EQ(store.BaseFiles(), Paths({"Quendel/Prod/ImgResBase.pp", "Quendel/Prod/Common/A.pp",
                                        "Quendel/Common/B.pp"}));
    EXPECT_EQ(m_log.Count("INFO [Quendel] Redirect(Quendel/Prod/ImgResBase.pp)"), 1);
    EXPECT_EQ(m_log.Count("INFO [Quendel] Redirect(Quendel/Prod/Common/A.pp)"), 1);
    EXPECT_EQ(Lookup(store, "GlobalParameters", "Who"), "product base");
    EXPECT_EQ(Lookup(store, "GlobalParameters", "Extra"), "product A");

    // The rule directory: QuendelProductRule, else SystemHQPath, else nothing; always with "/",
    // and paths are composed as they stand, doubled separators included.
    const std::vector<std::vector<const char*>> cases = {
        {"Prod", "HQ", "Prod/", "Quendel/G1/P1/A1/Prod/ImgResCln.pp"},
        {nullptr, "HQ", "HQ/", "Quendel/G1/P1/A1/HQ/ImgResCln.pp"},
        {nullptr, nullptr, "/", "Quendel/G1/P1/A1//ImgResCln.pp"}};
    for (const auto& c : cases) {
        corvel::ClearSettings();
        corvel::SetSetting("Path", "ShippedRoot", m_dir.Path());
        for (size_t i : {0, 1}) {
            if (c[i] != nullptr) {
                corvel::SetSetting(kProduct, i == 0 ? "QuendelProductRule" : "SystemHQPath", c[i]);
            }
        }
        binFileMsgImpl selected("G1", "P1", "A1");
        EXPECT_EQ(selected.ProductRuleDir(), c[2]);
        EXPECT_EQ(selected.SelectionFiles().at(kProductGroupClinicalSlot), c[3]);
    }
}

// Applying the selection handed over again hands nothing over (false) but logs the probe
// redirect again; an unchanged clinical setting with nothing pending does no work at all.
TEST_F(BinStoreTest, SelectionCallsHandOverOnlyWhatChanged) {
    corvel::SetSetting(kProduct, "QuendelProductRule", "Prod");
    WriteProduct(WorkedExample(true).files);
    binFileMsgImpl store("G1", "P1", "A1");
    const Paths first = store.SelectionFiles();
    const std::string redirect = "INFO [Quendel] Redirect ProbeProduct: Quendel/G1/P1/Prod/";
    EXPECT_TRUE(store.SetGroup("G2"));
    EXPECT_TRUE(store.SetGroup("G1"));
    EXPECT_TRUE(store.SetProbe("P1"));
    EXPECT_FALSE(store.SetClinical("A1"));
    EXPECT_EQ(store.SelectionFiles(), first);
    EXPECT_EQ(m_log.Count(redirect), 2);
    EXPECT_TRUE(store.SetGroup("G1"));  // the current group keeps probe and clinical setting
    EXPECT_TRUE(store.SetClinical("A1"));
    EXPECT_EQ(m_log.Count(redirect), 2);
    // A new group deselects the probe below it; without a group no probe can be selected.
    EXPECT_TRUE(store.SetGroup("G2"));
    EXPECT_TRUE(store.SetClinical("A1"));
    EXPECT_EQ(store.SelectionFiles()[kProbeSlot], "");
    binFileMsgImpl noGroup("", "P1", "A1");
    EXPECT_FALSE(noGroup.SetProbe("P2"));
}

// Re-selecting as the facade does changes only the levels whose selectors are given: an empty
// group keeps the group and probe held (a host switching the clinical setting alone), a new
// group or probe deselects the levels below it, also without a clinical setting.
TEST_F(BinStoreTest, ReselectionChangesTheLevelsItNames) {
    corvel::SetSetting(kProduct, "QuendelProductRule", "Prod");
    Files files = WorkedExample(true).files;
    AddFiles(files, {"Quendel/G2/P2/ImgResXdr.pp", "Quendel/G2/ImgResGrp.pp",
                     "Quendel/Clns/A2/ImgResCln.pp", "Quendel/G1/P1/Prod/A2/ImgResCln.pp"});
    WriteProduct(files);
    // Requested (F, P, A) after G1/P1/A1, the selection a new store must match, and how often
    // the product probe redirect is logged (only a selection applied with G1/P1 logs it).
    struct Case {
        Paths requested, held;
        int redirects;
    };
    const Case cases[] = {
        {{"", "", "A2"}, {"G1", "P1", "A2"}, 1},   {{"G2", "", "A2"}, {"G2", "", "A2"}, 0},
        {{"G1", "", "A1"}, {"G1", "P1", "A1"}, 0}, {{"", "", ""}, {"G1", "P1", "A1"}, 0},
        {{"G1", "P1", ""}, {"G1", "P1", "A1"}, 0}, {{"G2", "P2", ""}, {"G2", "P2", ""}, 0},
        {{"G2", "", ""}, {"G2", "", ""}, 0},       {{"G1", "P1", "A2"}, {"G1", "P1", "A2"}, 1}};
    for (const Case& c : cases) {
        const Paths& t = c.requested;
        SCOPED_TRACE(t[0] + "/" + t[1] + "/" + t[2]);
        binFileMsgImpl store("G1", "P1", "A1");
        store.Refresh();
        m_log.Clear();
        Reselect(store, t[0], t[1], t[2]);
        EXPECT_EQ(m_log.Count("INFO [Quendel] Redirect ProbeProduct: Quendel/G1/P1/Prod/"),
                  c.redirects);
        binFileMsgImpl fresh(c.held[0], c.held[1], c.held[2]);
        fresh.Refresh();
        EXPECT_EQ(store.SelectionFiles(), fresh.SelectionFiles());
        EXPECT_EQ(InView(store, files), InView(fresh, files));
    }
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
    EXPECT_EQ(Lookup(a, "G", "Who"), "A group 2");
}

// The count is the integer a stream reads from the start of the text, held at int's range; only
// the entries File<i> below it that the configuration holds are listed, in index order.
TEST_F(BinStoreTest, FileNumbersCountsTheListedFiles) {
    Files files = {{"Quendel/FileConfig.pp",
                    {{"GlobalParameters", "File01", "leading zero.pp"},
                     {"GlobalParameters", "File+1", "sign.pp"},
                     {"GlobalParameters", "file1", "lower case.pp"},
                     {"Other", "File1", "other section.pp"}}}};
    // File0 to File11 but File1, in an order of their own.
    for (const int i : {11, 4, 9, 0, 10, 2, 7, 3, 8, 5, 6}) {
        files["Quendel/FileConfig.pp"].push_back(
            {"GlobalParameters", "File" + std::to_string(i), "F" + std::to_string(i) + ".pp"});
    }
    // FileNumbers, then the listed files that count selects.
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"3", "F0 F2"},
        {" +3 files", "F0 F2"},
        {"3.9", "F0 F2"},
        {"2", "F0"},
        {"11", "F0 F2 F3 F4 F5 F6 F7 F8 F9 F10"},
        {"2000000000", "F0 F2 F3 F4 F5 F6 F7 F8 F9 F10 F11"},
        {"99999999999", "F0 F2 F3 F4 F5 F6 F7 F8 F9 F10 F11"},
        {"0", ""},
        {"-5", ""},
        {"abc", ""},
        {"", ""},
    };
    for (const auto& [count, listed] : cases) {
        SCOPED_TRACE("FileNumbers <" + count + ">");
        files["Quendel/FileConfig.pp"].push_back({"GlobalParameters", "FileNumbers", count});
        WriteProduct(files);
        files["Quendel/FileConfig.pp"].pop_back();
        binFileMsgImpl store("", "", "");
        Paths expected = {"Quendel/ImgResBase.pp"};
        std::istringstream names(listed);
        for (std::string name; names >> name;) {
            expected.push_back("Quendel/" + name + ".pp");
        }
        EXPECT_EQ(store.BaseFiles(), expected);
    }
}

// Blanks go and an empty section is the top-level one; hashed keys reach the parser in either
// place (their matching is the parser's).
TEST_F(BinStoreTest, LookupsByNamesAndHashedKeys) {
    const std::vector<uint64_t> id = IdHashedKey(7);
    fendrel::KeyWords fixed{};
    std::copy(id.begin(), id.end(), fixed.begin());
    WriteProduct({{"Quendel/ImgResBase.pp",
                   {{"GlobalParameters", "Gain", "12"},
                    {"Tissue", "Speed", "1540"},
                    {"Display:Zoom", "Tissue", "section id as key"}}}},
                 "Quendel", {{"Tissue", fixed}});
    binFileMsgImpl store("", "", "");
    store.Refresh();
    EXPECT_EQ(Lookup(store, " \t ", "Ga in"), "12");
    std::string value;
    EXPECT_TRUE(store.GetRawValue(id, " Spe ed", value));
    EXPECT_EQ(value, "1540");
    EXPECT_TRUE(store.GetRawValue(" Display:Zoom ", id, value));
    EXPECT_EQ(value, "section id as key");
}

// The refusal is logged with the parser's reason; a FIFO, a socket or a directory in the
// resource file's place is refused at once, by its kind.
TEST_F(BinStoreTest, FileThatDoesNotOpenAnswersNothing) {
    std::vector<std::pair<std::string, std::string>> cases = {
        {"missing", "cannot open: No such file or directory"},
        {"corrupt", "too small: 8 bytes (a resource file has at least 208)"}};
    cases.insert(cases.end(), std::size(kNonRegular), {"special", ""});
    size_t special = 0;
    for (const auto& [name, expected] : cases) {
        SCOPED_TRACE(name);
        std::string reason = expected;
        TempDir dir;
        corvel::SetSetting("Path", "ShippedRoot", dir.Path());
        if (name == "corrupt") {
            dir.Write("dev/Quendel.bin", "Gain<1>\n");  // a parameter file in its place
        } else if (name == "special") {
            reason = MakeNonRegular(dir.Path() + "/dev/Quendel.bin", kNonRegular[special++]) +
                     ", not a regular file";
        }
        m_log.Clear();
        binFileMsgImpl store("G1", "P1", "A1");
        store.Refresh();
        std::string told;
        EXPECT_FALSE(store.IsOpen(told));
        EXPECT_EQ(told, reason);
        EXPECT_EQ(m_log.Lines(), Paths({"INFO [Quendel] FileName: Quendel",
                                        "ERROR [Quendel] Cannot open resource file " +
                                            store.Source() + ": " + reason}));
        EXPECT_TRUE(store.BaseFiles().empty());
        std::string value = "untouched";
        EXPECT_FALSE(store.GetRawValue("GlobalParameters", "Gain", value));
        const std::vector<uint64_t> key = IdHashedKey(0);
        EXPECT_FALSE(store.GetRawValue(key, "Gain", value));
        EXPECT_FALSE(store.GetRawValue("GlobalParameters", key, value));
        EXPECT_FALSE(store.GetRawValue(key, key, value));
        EXPECT_EQ(value, "untouched");
        // The selection is still kept, but nothing is handed over.
        EXPECT_FALSE(store.SetClinical("A2"));
        EXPECT_EQ(store.SelectionFiles().at(kClinicalSlot), "Quendel/Clns/A2/ImgResCln.pp");
    }
    corvel::ClearSettings();
    EXPECT_EQ(binFileMsgImpl("", "", "").Source(), "/dev/Quendel.bin");
}

}  // namespace
