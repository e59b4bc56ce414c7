#include "textstore/ResourceMsgImp.h"

#include <corvel/CorvelControl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

std::string Ok(const std::string& path) {
    return "INFO [Cat_09] Read File : " + path + " successful!";
}
std::string Failed(const std::string& path) {
    return "ERROR [Cat_09] Read File : " + path + " Failed!";
}

// Shipped and user-defined trees in a temporary directory, the host settings pointing at them.
class TextStoreTest : public ::testing::Test {
  protected:
    void SetUp() override {
        corvel::ClearSettings();
        corvel::SetSetting("Path", "ShippedRoot", m_dir.Path() + "/shipped");
        corvel::SetSetting("Path", "SystemHQUserDefinedRoot", m_dir.Path() + "/user");
    }
    void TearDown() override { corvel::ClearSettings(); }

    std::string Root() const { return m_dir.Path() + "/shipped/dev/Quendel/"; }
    std::string UserDir() const { return m_dir.Path() + "/user/Quendel/"; }
    // Writes below the resource root, or below the user-defined directory for "user:...".
    std::string Write(const std::string& file, const std::string& content) const {
        const bool user = file.rfind("user:", 0) == 0;
        return m_dir.Write(
            (user ? "user/Quendel/" + file.substr(5) : "shipped/dev/Quendel/" + file), content);
    }
    static std::unique_ptr<ResourceMsgImp> Store(const std::string& f, const std::string& p,
                                                 const std::string& a) {
        auto store = std::make_unique<ResourceMsgImp>(f, p, a);
        store->Refresh();
        return store;
    }
    static std::string Get(ResourceMsgImp& store, const std::string& section,
                           const std::string& key) {
        std::string value;
        return store.GetRawValue(section, key, value) ? value : "<none>";
    }
    static std::vector<std::string> LayerNames(const ResourceMsgImp& store) {
        std::vector<std::string> names;
        for (const LayerInfo& layer : store.GetLayers()) {
            names.push_back(layer.m_name);
        }
        return names;
    }

    TempDir m_dir;
    LogCapture m_log;
};

// The layers of a full selection G1/X1/C1, highest precedence first.
const std::vector<std::pair<std::string, std::string>> kLayers = {
    {"user-defined", "user:G1/X1/C1/ImgResCln.pp"},
    {"clinical", "Clns/C1/ImgResCln.pp"},
    {"clinical base", "Clns/ImgResClnBase.pp"},
    {"group clinical", "G1/X1/C1/ImgResCln.pp"},
    {"transducer", "G1/X1/ImgResXdr.pp"},
    {"group", "G1/ImgResGrp.pp"},
    {"base", "ImgResBase.pp"},
    {"File0", "listed/first.pp"},
    {"File1", "listed/second.pp"},
};
const char kTwoListed[] = "FileNumbers<2>\nFile0<listed/first.pp>\nFile1<listed/second.pp>\n";

}  // namespace

TEST_F(TextStoreTest, ReadsTheFileSetInOrderAndLogsEachRead) {
    // Reading order: configuration (logged twice), listed files, base, clinical base, group,
    // transducer, group clinical, clinical, user-defined.
    const std::vector<size_t> order = {7, 8, 6, 2, 5, 4, 3, 1, 0};
    const std::string config = Root() + "FileConfig.pp";
    std::vector<std::string> missing = {Failed(config), Failed(config)};
    for (size_t i : {6, 2, 5, 4, 3, 1}) {
        missing.push_back(Failed(Root() + kLayers[i].second));
    }
    missing.push_back(Failed(UserDir() + "G1/X1/C1/ImgResCln.pp"));
    ResourceMsgImp none("G1", "X1", "C1");
    EXPECT_EQ(m_log.Lines(), missing);

    Write("FileConfig.pp", kTwoListed);
    std::vector<std::string> read = {Ok(config), Ok(config)};
    for (size_t i : order) {
        read.push_back(Ok(Write(kLayers[i].second, "Who<" + kLayers[i].first + ">\n")));
    }
    m_log.Clear();
    ResourceMsgImp store("G1", "X1", "C1");
    EXPECT_EQ(m_log.Lines(), read);
    EXPECT_EQ(Get(store, "GlobalParameters", "Who"), "<none>") << "no lookup before Refresh";
    store.Refresh();
    EXPECT_EQ(Get(store, "GlobalParameters", "Who"), "user-defined");
    ASSERT_EQ(store.GetLayers().size(), kLayers.size());
    for (size_t i = 0; i < kLayers.size(); ++i) {
        EXPECT_EQ(store.GetLayers()[i].m_name, kLayers[i].first);
    }
    EXPECT_EQ(store.GetLayers()[0].m_path, UserDir() + "G1/X1/C1/ImgResCln.pp");
}

TEST_F(TextStoreTest, EmptySelectorsSkipTheLevelsBelowThem) {
    struct Case {
        std::string f, p, a;
        std::vector<std::string> read;  // after configuration, base and clinical base
    };
    const std::vector<Case> cases = {
        {"", "X1", "C1", {"Clns/C1/ImgResCln.pp"}},
        {"G1", "", "C1", {"G1/ImgResGrp.pp", "Clns/C1/ImgResCln.pp"}},
        {"G1", "X1", "", {"G1/ImgResGrp.pp", "G1/X1/ImgResXdr.pp"}},
        {"", "", "", {}},
        {"G 1",
         "X/1",
         "C1",
         {"G 1/ImgResGrp.pp", "G 1/X/1/ImgResXdr.pp", "G 1/X/1/C1/ImgResCln.pp",
          "Clns/C1/ImgResCln.pp", "user:G 1/X/1/C1/ImgResCln.pp"}},
    };
    for (const Case& c : cases) {
        m_log.Clear();
        ResourceMsgImp store(c.f, c.p, c.a);
        std::vector<std::string> expected;
        for (const char* file :
             {"FileConfig.pp", "FileConfig.pp", "ImgResBase.pp", "Clns/ImgResClnBase.pp"}) {
            expected.push_back(Failed(Root() + file));
        }
        for (const std::string& file : c.read) {
            expected.push_back(file.rfind("user:", 0) == 0 ? Failed(UserDir() + file.substr(5))
                                                           : Failed(Root() + file));
        }
        EXPECT_EQ(m_log.Lines(), expected) << c.f << "|" << c.p << "|" << c.a;
    }
}

TEST_F(TextStoreTest, RootComesFromTheSettingsOnceAtConstruction) {
    corvel::RemoveSetting("Path", "ShippedRoot");
    EXPECT_EQ(ResourceMsgImp("", "", "").Root(), "/dev/Quendel/");
    corvel::SetSetting("Path", "ShippedRoot", "C:/Shipped/");
    corvel::SetSetting("Product-GeneralSpecification", "QuendelFileName", "Other");
    ResourceMsgImp store("G1", "", "");
    EXPECT_EQ(store.Root(), "C:/Shipped//dev/Other/");
    corvel::SetSetting("Path", "ShippedRoot", "D:/Elsewhere");
    m_log.Clear();
    store.SetGroup("G2");
    EXPECT_THAT(m_log.Lines(), ElementsAre(Failed("C:/Shipped//dev/Other/G2/ImgResGrp.pp")));
}

TEST_F(TextStoreTest, EachLayerWinsOverTheNext) {
    Write("FileConfig.pp", kTwoListed);
    for (size_t top = 0; top < kLayers.size(); ++top) {
        for (size_t i = 0; i < kLayers.size(); ++i) {
            const std::string path = Write(kLayers[i].second, "");
            if (i < top) {
                std::filesystem::remove(path);
                continue;
            }
            Write(kLayers[i].second, "# " + kLayers[i].first + "\n<Display:Zoom>\nLevel<" +
                                         kLayers[i].first + ">\nOwn" + std::to_string(i) + "<x>\n");
        }
        auto store = Store("G1", "X1", "C1");
        EXPECT_EQ(Get(*store, "Display:Zoom", "Level"), kLayers[top].first);
        for (size_t i = 0; i < kLayers.size(); ++i) {  // a section combines the keys of all files
            EXPECT_EQ(Get(*store, "Display:Zoom", "Own" + std::to_string(i)),
                      i >= top ? "x" : "<none>");
        }
        const std::vector<ValueOrigin> origins = store->GetOrigins(" Display : Zoom", "Level");
        ASSERT_EQ(origins.size(), kLayers.size() - top);
        for (size_t i = 0; i < origins.size(); ++i) {
            const auto& [name, file] = kLayers[top + i];
            EXPECT_EQ(origins[i].m_layer, name);
            EXPECT_EQ(origins[i].m_path,
                      file.rfind("user:", 0) == 0 ? UserDir() + file.substr(5) : Root() + file);
            EXPECT_EQ(origins[i].m_line, 3u);
            EXPECT_EQ(origins[i].m_value, name);
        }
        EXPECT_EQ(store->GetMergedOrigins().at("Display:Zoom").at("Level").m_layer,
                  kLayers[top].first);
    }
}

TEST_F(TextStoreTest, LookupIgnoresBlanksInNamesAndNothingElse) {
    Write("ImgResBase.pp", "Top<1>\n<Display:Zoom>Level<2>\n<:Extra>Size<4>\n");
    Write("FileConfig.pp", "FileNumbers<0>\n");
    auto store = Store("", "", "");
    const std::vector<std::vector<std::string>> cases = {
        {"Display:Zoom", "Level", "2"},
        {" Display : Zoom ", " Level ", "2"},
        {"Dis\tplay:Zoom", "Le vel", "2"},
        {"GlobalParameters", "Top", "1"},
        {"GlobalParameters:Extra", "Size", "4"},
        {"", "Top", "<none>"},
        {":Extra", "Size", "<none>"},
        {"display:zoom", "Level", "<none>"},
        {"Display:Zoom:", "Level", "<none>"},
        {"GlobalParameters", "FileNumbers", "<none>"},  // the configuration is not merged
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Get(*store, c[0], c[1]), c[2]) << c[0] << "/" << c[1];
    }
    std::string value = "unchanged";
    EXPECT_FALSE(store->GetRawValue(HashedKey{1, 2}, HashedKey{3}, value));
    EXPECT_FALSE(store->GetRawValue("Display:Zoom", HashedKey{3}, value));
    EXPECT_FALSE(store->GetRawValue(HashedKey{1}, "Level", value));
    EXPECT_FALSE(store->GetRawValue("Display", "Nope", value));
    EXPECT_EQ(value, "unchanged");
}

// Only the entries the configuration holds are visited, in index order, below the count.
TEST_F(TextStoreTest, ListedFilesFollowTheCountInIndexOrder) {
    for (const std::string name : {"a", "b", "c", "d", "e"}) {
        Write("listed/" + name + ".pp", "From<" + name + ">\nOnly" + name + "<x>\n");
    }
    const std::string entries =
        "File10<listed/e.pp>\nFile2<listed/c.pp>\nFile0<listed/a.pp>\nFile02<listed/d.pp>\n"
        "File1<listed/missing.pp>\nFile+3<listed/d.pp>\nFile 4<listed/b.pp>\n";
    const std::vector<std::string> all = {"File0", "File2", "File4", "File10"};
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"2000000000", all}, {"99999999999999999999", {}},
        {"+11", all},        {"3", {"File0", "File2"}},
        {"2.9", {"File0"}},  {"0", {}},
        {"-5", {}},          {"", {}},
        {"x3", {}},
    };
    // The count is read as atoi reads it: 99999999999999999999 saturates and casts to -1.
    for (const auto& [count, layers] : cases) {
        Write("FileConfig.pp", "FileNumbers<" + count + ">\n" + entries);
        const auto start = std::chrono::steady_clock::now();
        auto store = Store("", "", "");
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
        EXPECT_EQ(LayerNames(*store), layers) << count;
        EXPECT_EQ(Get(*store, "GlobalParameters", "From"), layers.empty() ? "<none>" : "a");
    }
}

TEST_F(TextStoreTest, ReselectionReadsAfreshWhatItReleased) {
    Write("FileConfig.pp", "FileNumbers<1>\nFile0<listed.pp>\n");
    const std::vector<std::pair<std::string, std::string>> files = {
        {"Listed", "listed.pp"},
        {"Base", "ImgResBase.pp"},
        {"ClinicalBase", "Clns/ImgResClnBase.pp"},
        {"Group", "G1/ImgResGrp.pp"},
        {"Probe", "G1/X1/ImgResXdr.pp"},
        {"GroupClinical", "G1/X1/C1/ImgResCln.pp"},
        {"Clinical", "Clns/C1/ImgResCln.pp"},
        {"User", "user:G1/X1/C1/ImgResCln.pp"},
    };
    auto writeAll = [&](const std::string& version) {
        for (const auto& [section, file] : files) {
            Write(file, "<" + section + ">V<" + version + ">\n");
        }
    };
    writeAll("old");
    auto store = Store("G1", "X1", "C1");
    writeAll("new");
    Write("FileConfig.pp", "FileNumbers<0>\n");  // not seen: the loaded configuration is kept

    m_log.Clear();
    store->Reload("ignored", "ignored", "ignored");
    EXPECT_TRUE(store->SetGroup("G1"));
    EXPECT_TRUE(store->SetProbe("X1"));
    EXPECT_TRUE(store->SetClinical("C1"));
    EXPECT_TRUE(store->SetUserDefined("", "", ""));
    EXPECT_EQ(Get(*store, "Base", "V"), "old") << "lookups change only at Refresh";
    store->Refresh();
    for (const auto& [section, file] : files) {
        const bool kept = section == "ClinicalBase" || section == "Clinical";
        EXPECT_EQ(Get(*store, section, "V"), kept ? "old" : "new") << section;
    }
    const std::string config = Root() + "FileConfig.pp";
    EXPECT_EQ(m_log.Lines(),
              std::vector<std::string>(
                  {Ok(Root() + "ImgResBase.pp"), Ok(config), Ok(config), Ok(Root() + "listed.pp"),
                   Ok(Root() + "G1/ImgResGrp.pp"), Ok(Root() + "G1/X1/ImgResXdr.pp"),
                   Ok(Root() + "Clns/C1/ImgResCln.pp"), Ok(Root() + "G1/X1/C1/ImgResCln.pp"),
                   Ok(UserDir() + "G1/X1/C1/ImgResCln.pp")}));

    // A re-selection with empty P and A keeps the earlier clinical and user-defined files.
    store->Reload("", "", "");
    store->SetGroup("G1");
    store->Refresh();
    EXPECT_EQ(Get(*store, "Clinical", "V"), "old");
    EXPECT_EQ(Get(*store, "User", "V"), "new");
    EXPECT_EQ(Get(*store, "GroupClinical", "V"), "<none>");
    EXPECT_EQ(Get(*store, "Probe", "V"), "<none>");
}

TEST_F(TextStoreTest, SelectionOperationsKeepTheirLevelsConsistent) {
    Write("G1/ImgResGrp.pp", "G<1>\n");
    Write("G1/X1/ImgResXdr.pp", "P<1>\n");
    Write("Clns/C1/ImgResCln.pp", "A<1>\n");
    Write("Clns/C2/ImgResCln.pp", "A<2>\n");
    auto store = Store("G1", "X1", "C1");
    // The selectors held show in the path of the user-defined file.
    auto userPath = [this](ResourceMsgImp& s) {
        m_log.Clear();
        s.SetUserDefined("", "", "");
        return m_log.Lines().at(0);
    };

    m_log.Clear();
    EXPECT_TRUE(store->SetGroup("G1"));
    EXPECT_THAT(m_log.Lines(), IsEmpty()) << "the current group is neither cleared nor re-read";
    EXPECT_EQ(userPath(*store), Failed(UserDir() + "G1/X1/C1/ImgResCln.pp"));

    // Both clinical files asked for: the result is that of the group clinical file alone.
    EXPECT_FALSE(store->SetClinical("C2"));
    store->Refresh();
    EXPECT_EQ(Get(*store, "GlobalParameters", "A"), "2");

    // An empty clinical setting deselects the level and releases both clinical files.
    EXPECT_TRUE(store->SetClinical(""));
    EXPECT_EQ(userPath(*store), Failed(UserDir() + "G1/X1//ImgResCln.pp"));
    store->Refresh();
    EXPECT_EQ(Get(*store, "GlobalParameters", "A"), "<none>");
    EXPECT_EQ(Get(*store, "GlobalParameters", "P"), "1");

    // A failing group read still changes the selection and drops the levels below it.
    EXPECT_FALSE(store->SetGroup("G9"));
    EXPECT_EQ(userPath(*store), Failed(UserDir() + "G9///ImgResCln.pp"));
    store->Refresh();
    EXPECT_EQ(Get(*store, "GlobalParameters", "P"), "<none>");

    // Without a group, no transducer is selected and the one held stays.
    ResourceMsgImp noGroup("", "X1", "C1");
    EXPECT_FALSE(noGroup.SetProbe("X2"));
    EXPECT_EQ(userPath(noGroup), Failed(UserDir() + "/X1/C1/ImgResCln.pp"));

    // Without a group the clinical setting reads only the file under "Clns".
    EXPECT_TRUE(store->SetGroup(""));
    m_log.Clear();
    EXPECT_TRUE(store->SetClinical("C1"));
    EXPECT_THAT(m_log.Lines(), ElementsAre(Ok(Root() + "Clns/C1/ImgResCln.pp")));
}

TEST_F(TextStoreTest, UserDefinedFileFollowsTheCurrentSettings) {
    Write("user:G1/X1/C1/ImgResCln.pp", "U<first>\n");
    m_dir.Write("other/Renamed/G1/X1/C1/ImgResCln.pp", "U<second>\n");
    auto store = Store("G1", "X1", "C1");
    EXPECT_EQ(Get(*store, "GlobalParameters", "U"), "first");
    const std::string root = store->Root();
    corvel::SetSetting("Path", "SystemHQUserDefinedRoot", m_dir.Path() + "/other");
    corvel::SetSetting("Product-GeneralSpecification", "QuendelFileName", "Renamed");
    EXPECT_TRUE(store->SetUserDefined("x", "y", "z"));
    store->Refresh();
    EXPECT_EQ(Get(*store, "GlobalParameters", "U"), "second");
    EXPECT_EQ(store->Root(), root);
}

// The example tree reads without failures; its merged origins agree with the lookups.
TEST_F(TextStoreTest, ExampleTreeLayersOverrideEachOther) {
    const std::string examples = std::string(QUENDEL_SOURCE_DIR) + "/examples";
    corvel::SetSetting("Path", "ShippedRoot", examples + "/shipped");
    corvel::SetSetting("Path", "SystemHQUserDefinedRoot", examples + "/userdefined");
    auto store = Store("Convex", "CX5", "Abdomen");
    for (const std::string& line : m_log.Lines()) {
        EXPECT_THAT(line, ::testing::StartsWith("INFO [Cat_09] Read File : ")) << line;
    }
    EXPECT_EQ(store->GetLayers().size(), 9u);
    std::vector<std::string> layers;
    for (const ValueOrigin& origin : store->GetOrigins("DynamicControl", "DycDesiredPivotValue")) {
        layers.push_back(origin.m_layer + "=" + origin.m_value);
    }
    EXPECT_THAT(layers, ElementsAre("clinical=104", "group=106", "base=100"));
    for (const auto& [section, keys] : store->GetMergedOrigins()) {
        for (const auto& [key, origin] : keys) {
            EXPECT_EQ(Get(*store, section, key), origin.m_value) << section << "/" << key;
            EXPECT_EQ(store->GetOrigins(section, key).at(0).m_line, origin.m_line);
        }
    }
    // Every key the flat interface reads is there.
    for (const char* key :
         {"DycFELogCompressType", "DycFELogExpValue1D", "DycFELogExpValue2D", "DycFEPivotOutValue",
          "DycFEDRSetting", "DycDesiredPivotValue", "DycPivotOutValue", "DycCompressType"}) {
        EXPECT_NE(Get(*store, "DynamicControl", key), "<none>") << key;
    }
    for (const char* key : {"ContrastDycPivotPt", "ContrastDycPivotPtOut"}) {
        EXPECT_NE(Get(*store, "AutoContrastControl", key), "<none>") << key;
    }
    EXPECT_EQ(Get(*store, "Gain", "MasterGain"), "3");
    EXPECT_EQ(Get(*store, "SpeckleReduction:Filter:Kernel", "Size"), "7");
    // The shared typed getters answer from this store by names only.
    int range = 0;
    EXPECT_TRUE(store->GetParameter(" DynamicControl", "DycFEDRSetting ", range, 1));
    EXPECT_EQ(range, 66);
    std::vector<double> curve;
    EXPECT_TRUE(store->GetParameter("Compression:Curves", "Soft", curve, {}));
    EXPECT_EQ(curve.size(), 9u);
    EXPECT_FALSE(store->GetParameter(HashedKey{1}, HashedKey{2}, range, 5));
    EXPECT_EQ(range, 5);
}

// A file of pathological shape merges and is released without deep recursion.
TEST_F(TextStoreTest, DeepAndLongFilesMergeWithinTheDepthBound) {
    std::string text = "<d";
    for (int i = 1; i < 100'000; ++i) {
        text += ":d";
    }
    text += ">";
    for (int i = 0; i < 1'000'000; ++i) {
        text += "K<" + std::to_string(i % 7) + ">";
    }
    Write("ImgResBase.pp", text + "\n");
    auto store = Store("", "", "");
    std::string deepest = "d";
    for (size_t i = 1; i < kMaxSectionDepth; ++i) {
        deepest += ":d";
    }
    EXPECT_EQ(Get(*store, deepest, "K"), std::to_string(999'999 % 7));
    EXPECT_EQ(store->GetMergedOrigins().size(), kMaxSectionDepth);
}

// Re-selections keep what did not change and merge only the rest; whatever the order of the
// switches and whatever changed on disk, each answers as a store built afresh for it.
TEST_F(TextStoreTest, SwitchesAnswerAsAFreshStore) {
    Write("FileConfig.pp", kTwoListed);
    std::vector<std::string> files = {"listed/first.pp", "listed/second.pp", "ImgResBase.pp",
                                      "Clns/ImgResClnBase.pp"};
    for (const char* f : {"G1", "G2"}) {
        files.push_back(std::string(f) + "/ImgResGrp.pp");
        for (const char* p : {"X1", "X2"}) {
            files.push_back(std::string(f) + "/" + p + "/ImgResXdr.pp");
            for (const char* a : {"C1", "C2"}) {
                files.push_back(std::string(f) + "/" + p + "/" + a + "/ImgResCln.pp");
                files.push_back("user:" + std::string(f) + "/" + p + "/" + a + "/ImgResCln.pp");
            }
        }
    }
    files.push_back("Clns/C1/ImgResCln.pp");
    files.push_back("Clns/C2/ImgResCln.pp");
    // Every file sets the shared entries and one of its own; some leave a section out. Only
    // files a re-selection reads again are rewritten (the clinical base file is kept).
    auto content = [](size_t i, const std::string& tag) {
        std::string text = "<S>\nShared<" + tag + ">\nOwn" + std::to_string(i) + "<" + tag + ">\n";
        if (i % 3 != 0) {
            text += "<S:Deep>\nShared<" + tag + ">\n<:Top>\nK" + std::to_string(i % 4) + "<" + tag +
                    ">\n";
        }
        return text;
    };
    for (size_t i = 0; i < files.size(); ++i) {
        Write(files[i], content(i, files[i]));
    }
    std::vector<std::pair<std::string, std::string>> queries = {{"S", "Shared"},
                                                                {"S:Deep", "Shared"}};
    for (size_t i = 0; i < files.size(); ++i) {
        queries.emplace_back("S", "Own" + std::to_string(i));
        queries.emplace_back("GlobalParameters:Top", "K" + std::to_string(i % 4));
    }
    // As Quendel::Initial re-selects.
    auto select = [](ResourceMsgImp& store, const std::string& f, const std::string& p,
                     const std::string& a) {
        store.Reload(f, p, a);
        if (!f.empty()) {
            store.SetGroup(f);
            if (!p.empty()) {
                store.SetProbe(p);
            }
        }
        if (!a.empty()) {
            store.SetClinical(a);
        }
        if (!f.empty() && !p.empty() && !a.empty()) {
            store.SetUserDefined(f, p, a);
        }
        store.Refresh();
    };
    struct Step {
        const char* f;
        const char* p;
        const char* a;
        int rewrite;  // index of a file given new content before the step, or -1
    };
    const Step kSteps[] = {{"G1", "X1", "C2", -1}, {"G1", "X1", "C1", -1}, {"G1", "X2", "C1", -1},
                           {"G2", "X2", "C2", -1}, {"G2", "", "", -1},     {"G1", "X1", "C1", 2},
                           {"G1", "X1", "C2", 0},  {"G1", "X1", "C1", 6},  {"", "", "", 4},
                           {"G2", "X1", "C1", 16}, {"G2", "X1", "C1", 1},  {"G1", "X1", "C1", -1},
                           {"G1", "X1", "C1", 7}};
    auto store = Store("G1", "X1", "C1");
    for (const Step& step : kSteps) {
        if (step.rewrite >= 0) {
            const size_t i = static_cast<size_t>(step.rewrite);
            Write(files[i], content(i + 100, files[i] + " changed"));
        }
        select(*store, step.f, step.p, step.a);
        auto fresh = Store(step.f, step.p, step.a);
        // The fresh store holds the user-defined file the switched one kept from earlier
        // selections only when F, P and A are all given, as the switched one does then.
        if (std::string(step.f).empty() || std::string(step.p).empty() ||
            std::string(step.a).empty()) {
            continue;
        }
        for (const auto& [section, key] : queries) {
            EXPECT_EQ(Get(*store, section, key), Get(*fresh, section, key))
                << step.f << "/" << step.p << "/" << step.a << " " << section << " " << key;
        }
        EXPECT_EQ(store->GetMergedOrigins().size(), fresh->GetMergedOrigins().size());
    }
}

// The table answers from the files of the last Refresh, also after they were released and
// changed on disk.
TEST_F(TextStoreTest, LookupsKeepTheLastRefreshUntilTheNext) {
    Write("G1/ImgResGrp.pp", "<S>\nK<one>\n");
    Write("G2/ImgResGrp.pp", "<S>\nK<two>\n");
    auto store = Store("G1", "", "");
    Write("G1/ImgResGrp.pp", "<S>\nK<changed>\n");
    store->SetGroup("G2");
    store->SetGroup("G1");
    EXPECT_EQ(Get(*store, "S", "K"), "one");
    store->Refresh();
    EXPECT_EQ(Get(*store, "S", "K"), "changed");
    store->SetGroup("G2");
    EXPECT_EQ(Get(*store, "S", "K"), "changed");
    store->Refresh();
    EXPECT_EQ(Get(*store, "S", "K"), "two");
}
