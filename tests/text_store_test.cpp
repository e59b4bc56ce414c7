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
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

namespace {

std::string Ok(const std::string& path) {
    return "INFO [Cat_09] Read File : " + path + " successful!";
}
std::string Failed(const std::string& path) {
    return "ERROR [Cat_09] Read File : " + path + " Failed!";
}

// A shipped tree and a user-defined tree in a temporary directory, with the host settings
// pointing at them.
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
    // Writes a file below the resource root and returns its path.
    std::string Shipped(const std::string& relative, const std::string& content) const {
        return m_dir.Write("shipped/dev/Quendel/" + relative, content);
    }
    std::string User(const std::string& relative, const std::string& content) const {
        return m_dir.Write("user/Quendel/" + relative, content);
    }
    std::unique_ptr<ResourceMsgImp> Store(const std::string& f, const std::string& p,
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

struct LayerFile {
    const char* name;
    bool user;
    const char* relative;
};

// Highest precedence first.
const std::vector<LayerFile> kLayers = {
    {"user-defined", true, "G1/X1/C1/ImgResCln.pp"},
    {"clinical", false, "Clns/C1/ImgResCln.pp"},
    {"clinical base", false, "Clns/ImgResClnBase.pp"},
    {"group clinical", false, "G1/X1/C1/ImgResCln.pp"},
    {"transducer", false, "G1/X1/ImgResXdr.pp"},
    {"group", false, "G1/ImgResGrp.pp"},
    {"base", false, "ImgResBase.pp"},
    {"File0", false, "listed/first.pp"},
    {"File1", false, "listed/second.pp"},
};

}  // namespace

TEST_F(TextStoreTest, ReadsTheFileSetInOrderAndLogsEachRead) {
    const std::string config = Shipped(
        "FileConfig.pp", "FileNumbers<2>\nFile0<listed/first.pp>\nFile1<listed/second.pp>\n");
    std::vector<std::string> expected = {Ok(config), Ok(config)};
    const std::vector<std::string> order = {"File0",          "File1",    "base",
                                            "clinical base",  "group",    "transducer",
                                            "group clinical", "clinical", "user-defined"};
    for (const std::string& name : order) {
        for (const LayerFile& layer : kLayers) {
            if (name == layer.name) {
                const std::string content = std::string("Who<") + layer.name + ">\n";
                expected.push_back(Ok(layer.user ? User(layer.relative, content)
                                                 : Shipped(layer.relative, content)));
            }
        }
    }
    ResourceMsgImp store("G1", "X1", "C1");
    EXPECT_EQ(m_log.Lines(), expected);
    std::string value;
    EXPECT_FALSE(store.GetRawValue("GlobalParameters", "Who", value)) << "no lookup before Refresh";
    store.Refresh();
    EXPECT_EQ(Get(store, "GlobalParameters", "Who"), "user-defined");

    std::vector<std::string> names;
    for (const LayerFile& layer : kLayers) {
        names.push_back(layer.name);
    }
    EXPECT_EQ(LayerNames(store), names);
    EXPECT_EQ(store.GetLayers()[0].m_path, UserDir() + "G1/X1/C1/ImgResCln.pp");
    EXPECT_EQ(store.GetLayers()[1].m_path, Root() + "Clns/C1/ImgResCln.pp");
}

TEST_F(TextStoreTest, MissingFilesAreLoggedAsFailures) {
    ResourceMsgImp store("G1", "X1", "C1");
    const std::string root = Root();
    EXPECT_EQ(m_log.Lines(),
              std::vector<std::string>(
                  {Failed(root + "FileConfig.pp"), Failed(root + "FileConfig.pp"),
                   Failed(root + "ImgResBase.pp"), Failed(root + "Clns/ImgResClnBase.pp"),
                   Failed(root + "G1/ImgResGrp.pp"), Failed(root + "G1/X1/ImgResXdr.pp"),
                   Failed(root + "G1/X1/C1/ImgResCln.pp"), Failed(root + "Clns/C1/ImgResCln.pp"),
                   Failed(UserDir() + "G1/X1/C1/ImgResCln.pp")}));
    store.Refresh();
    EXPECT_THAT(store.GetLayers(), IsEmpty());
}

TEST_F(TextStoreTest, EmptySelectorsSkipTheLevelsBelowThem) {
    struct Case {
        std::string f, p, a;
        std::vector<std::string> read;  // relative to the root, after config, base, clinical base
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
          "Clns/C1/ImgResCln.pp"}},
    };
    for (const Case& c : cases) {
        m_log.Clear();
        ResourceMsgImp store(c.f, c.p, c.a);
        std::vector<std::string> expected = {
            Failed(Root() + "FileConfig.pp"), Failed(Root() + "FileConfig.pp"),
            Failed(Root() + "ImgResBase.pp"), Failed(Root() + "Clns/ImgResClnBase.pp")};
        for (const std::string& relative : c.read) {
            expected.push_back(Failed(Root() + relative));
        }
        if (c.f == "G 1") {
            expected.push_back(Failed(UserDir() + "G 1/X/1/C1/ImgResCln.pp"));
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
    Shipped("FileConfig.pp", "FileNumbers<2>\nFile0<listed/first.pp>\nFile1<listed/second.pp>\n");
    for (size_t top = 0; top < kLayers.size(); ++top) {
        for (size_t i = 0; i < kLayers.size(); ++i) {
            const std::string path = (kLayers[i].user ? UserDir() : Root()) + kLayers[i].relative;
            std::filesystem::remove(path);
            if (i >= top) {
                const std::string content = std::string("# ") + kLayers[i].name +
                                            "\n<Display:Zoom>\nLevel<" + kLayers[i].name +
                                            ">\nOwn" + std::to_string(i) + "<" + std::to_string(i) +
                                            ">\n";
                kLayers[i].user ? User(kLayers[i].relative, content)
                                : Shipped(kLayers[i].relative, content);
            }
        }
        auto store = Store("G1", "X1", "C1");
        EXPECT_EQ(Get(*store, "Display:Zoom", "Level"), kLayers[top].name);
        // A section in several files combines their keys.
        for (size_t i = 0; i < kLayers.size(); ++i) {
            EXPECT_EQ(Get(*store, "Display:Zoom", "Own" + std::to_string(i)),
                      i >= top ? std::to_string(i) : "<none>");
        }
        const std::vector<ValueOrigin> origins = store->GetOrigins(" Display : Zoom", "Level");
        ASSERT_EQ(origins.size(), kLayers.size() - top);
        for (size_t i = 0; i < origins.size(); ++i) {
            const LayerFile& layer = kLayers[top + i];
            EXPECT_EQ(origins[i].m_layer, layer.name);
            EXPECT_EQ(origins[i].m_path, (layer.user ? UserDir() : Root()) + layer.relative);
            EXPECT_EQ(origins[i].m_line, 3u);
            EXPECT_EQ(origins[i].m_value, layer.name);
        }
        const OriginTable table = store->GetMergedOrigins();
        EXPECT_EQ(table.at("Display:Zoom").at("Level").m_layer, kLayers[top].name);
        EXPECT_EQ(table.at("Display:Zoom").at("Own8").m_layer, "File1");
    }
}

TEST_F(TextStoreTest, MergedOriginsMirrorTheLookupTable) {
    Shipped("ImgResBase.pp", "Gain<1>\n<Display>\nMode<B>\n<Empty>\n<Display:Zoom>Level<2>\n");
    Shipped("G1/ImgResGrp.pp", "# group\nGain<5>\n<Display:Zoom>\n\nLevel<7>\n");
    auto store = Store("G1", "", "");
    const OriginTable table = store->GetMergedOrigins();
    std::vector<std::string> flat;
    for (const auto& [section, keys] : table) {
        for (const auto& [key, origin] : keys) {
            flat.push_back(section + "|" + key + "|" + origin.m_value + "|" + origin.m_layer + ":" +
                           std::to_string(origin.m_line));
            EXPECT_EQ(Get(*store, section, key), origin.m_value);
        }
    }
    EXPECT_THAT(flat, ElementsAre("Display|Mode|B|base:3", "Display:Zoom|Level|7|group:5",
                                  "GlobalParameters|Gain|5|group:2"));
    EXPECT_TRUE(table.count("Empty") == 1 && table.at("Empty").empty());
    EXPECT_THAT(store->GetOrigins("Display", "Nope"), IsEmpty());
    EXPECT_THAT(store->GetOrigins("", "Gain"), IsEmpty());
}

TEST_F(TextStoreTest, LookupIgnoresBlanksInNamesAndNothingElse) {
    Shipped("ImgResBase.pp", "Top<1>\n<Display:Zoom>Level<2>\n<:Extra>Size<4>\n");
    Shipped("FileConfig.pp", "FileNumbers<0>\n");
    auto store = Store("", "", "");
    struct Case {
        std::string section, key, value;
    };
    const std::vector<Case> cases = {
        {"Display:Zoom", "Level", "2"},
        {" Display : Zoom ", " Level ", "2"},
        {"Dis\tplay:Zoom", "Le vel", "2"},
        {"GlobalParameters", "Top", "1"},
        {"GlobalParameters:Extra", "Size", "4"},
        {"", "Top", "<none>"},
        {":Extra", "Size", "<none>"},
        {"display:zoom", "Level", "<none>"},
        {"Display:Zoom:", "Level", "<none>"},
        {"GlobalParameters", "FileNumbers", "<none>"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Get(*store, c.section, c.key), c.value) << c.section << "/" << c.key;
    }
    std::string value = "unchanged";
    EXPECT_FALSE(store->GetRawValue(HashedKey{1, 2}, HashedKey{3}, value));
    EXPECT_FALSE(store->GetRawValue("Display:Zoom", HashedKey{3}, value));
    EXPECT_FALSE(store->GetRawValue(HashedKey{1}, "Level", value));
    EXPECT_FALSE(store->GetRawValue("Display", "Nope", value));
    EXPECT_EQ(value, "unchanged");
}

TEST_F(TextStoreTest, ListedFilesFollowTheCountInIndexOrder) {
    for (const char* name : {"a", "b", "c", "d", "e"}) {
        Shipped(std::string("listed/") + name + ".pp",
                std::string("From<") + name + ">\nOnly" + name + "<x>\n");
    }
    struct Case {
        std::string count;
        std::vector<std::string> layers;
    };
    const std::string entries =
        "File10<listed/e.pp>\nFile2<listed/c.pp>\nFile0<listed/a.pp>\nFile02<listed/d.pp>\n"
        "File1<listed/missing.pp>\nFile+3<listed/d.pp>\nFile 4<listed/b.pp>\n";
    const std::vector<Case> cases = {
        {"2000000000", {"File0", "File2", "File4", "File10"}},
        {"99999999999999999999", {"File0", "File2", "File4", "File10"}},
        {"3", {"File0", "File2"}},
        {"2.9", {"File0"}},
        {"+11", {"File0", "File2", "File4", "File10"}},
        {"0", {}},
        {"-5", {}},
        {"", {}},
        {"x3", {}},
    };
    for (const Case& c : cases) {
        Shipped("FileConfig.pp", "FileNumbers<" + c.count + ">\n" + entries);
        const auto start = std::chrono::steady_clock::now();
        auto store = Store("", "", "");
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
        EXPECT_EQ(LayerNames(*store), c.layers) << c.count;
        if (c.layers.size() == 4) {
            EXPECT_EQ(Get(*store, "GlobalParameters", "From"), "a");
            EXPECT_EQ(Get(*store, "GlobalParameters", "Onlye"), "x");
        }
    }
}

TEST_F(TextStoreTest, ReselectionReadsAfreshWhatItReleased) {
    Shipped("FileConfig.pp", "FileNumbers<1>\nFile0<listed.pp>\n");
    struct Part {
        std::string path, section;
    };
    const std::vector<Part> parts = {
        {Root() + "listed.pp", "Listed"},
        {Root() + "ImgResBase.pp", "Base"},
        {Root() + "Clns/ImgResClnBase.pp", "ClinicalBase"},
        {Root() + "G1/ImgResGrp.pp", "Group"},
        {Root() + "G1/X1/ImgResXdr.pp", "Probe"},
        {Root() + "G1/X1/C1/ImgResCln.pp", "GroupClinical"},
        {Root() + "Clns/C1/ImgResCln.pp", "Clinical"},
        {UserDir() + "G1/X1/C1/ImgResCln.pp", "User"},
    };
    auto writeAll = [&](const std::string& version) {
        for (const Part& part : parts) {
            m_dir.Write(part.path.substr(m_dir.Path().size() + 1),
                        "<" + part.section + ">V<" + version + ">\n");
        }
    };
    writeAll("old");
    auto store = Store("G1", "X1", "C1");
    writeAll("new");
    Shipped("FileConfig.pp", "FileNumbers<0>\n");  // kept: the loaded configuration is not re-read

    m_log.Clear();
    store->Reload("ignored", "ignored", "ignored");
    EXPECT_TRUE(store->SetGroup("G1"));
    EXPECT_TRUE(store->SetProbe("X1"));
    EXPECT_TRUE(store->SetClinical("C1"));
    EXPECT_TRUE(store->SetUserDefined("", "", ""));
    EXPECT_EQ(Get(*store, "Base", "V"), "old") << "lookups change only at Refresh";
    store->Refresh();

    const std::vector<std::pair<std::string, std::string>> expected = {
        {"Listed", "new"}, {"Base", "new"},          {"ClinicalBase", "old"}, {"Group", "new"},
        {"Probe", "new"},  {"GroupClinical", "new"}, {"Clinical", "old"},     {"User", "new"},
    };
    for (const auto& [section, version] : expected) {
        EXPECT_EQ(Get(*store, section, "V"), version) << section;
    }
    const std::string config = Root() + "FileConfig.pp";
    EXPECT_EQ(m_log.Lines(),
              std::vector<std::string>(
                  {Ok(Root() + "ImgResBase.pp"), Ok(config), Ok(config), Ok(Root() + "listed.pp"),
                   Ok(Root() + "G1/ImgResGrp.pp"), Ok(Root() + "G1/X1/ImgResXdr.pp"),
                   Ok(Root() + "Clns/C1/ImgResCln.pp"), Ok(Root() + "G1/X1/C1/ImgResCln.pp"),
                   Ok(UserDir() + "G1/X1/C1/ImgResCln.pp")}));

    // A re-selection with an empty clinical setting keeps the earlier clinical files.
    store->Reload("", "", "");
    store->SetGroup("G1");
    store->Refresh();
    EXPECT_EQ(Get(*store, "Clinical", "V"), "old");
    EXPECT_EQ(Get(*store, "User", "V"), "new");
    EXPECT_EQ(Get(*store, "GroupClinical", "V"), "<none>");
    EXPECT_EQ(Get(*store, "Probe", "V"), "<none>");
}

TEST_F(TextStoreTest, SelectionOperationsKeepTheirLevelsConsistent) {
    Shipped("G1/ImgResGrp.pp", "G<1>\n");
    Shipped("G1/X1/ImgResXdr.pp", "P<1>\n");
    Shipped("Clns/C1/ImgResCln.pp", "A<1>\n");
    Shipped("Clns/C2/ImgResCln.pp", "A<2>\n");
    auto store = Store("G1", "X1", "C1");

    m_log.Clear();
    EXPECT_TRUE(store->SetGroup("G1"));
    EXPECT_THAT(m_log.Lines(), IsEmpty()) << "the current group is neither cleared nor re-read";

    // Selectors show in the path of the user-defined file.
    auto userPath = [&]() {
        m_log.Clear();
        store->SetUserDefined("", "", "");
        return m_log.Lines().at(0);
    };
    EXPECT_EQ(userPath(), Failed(UserDir() + "G1/X1/C1/ImgResCln.pp"));

    // Both clinical files asked for: the result is that of the group clinical file alone.
    EXPECT_FALSE(store->SetClinical("C2"));
    store->Refresh();
    EXPECT_EQ(Get(*store, "GlobalParameters", "A"), "2");

    // An empty clinical setting deselects the level and releases both clinical files.
    EXPECT_TRUE(store->SetClinical(""));
    EXPECT_EQ(userPath(), Failed(UserDir() + "G1/X1//ImgResCln.pp"));
    store->Refresh();
    EXPECT_EQ(Get(*store, "GlobalParameters", "A"), "<none>");
    EXPECT_EQ(Get(*store, "GlobalParameters", "P"), "1");

    // A failing group read still changes the selection and drops the levels below it.
    EXPECT_FALSE(store->SetGroup("G9"));
    EXPECT_EQ(userPath(), Failed(UserDir() + "G9///ImgResCln.pp"));
    store->Refresh();
    EXPECT_EQ(Get(*store, "GlobalParameters", "G"), "<none>");
    EXPECT_EQ(Get(*store, "GlobalParameters", "P"), "<none>");

    // No transducer without a group; the transducer selector stays as it was.
    ResourceMsgImp noGroup("", "X1", "C1");
    EXPECT_FALSE(noGroup.SetProbe("X2"));
    m_log.Clear();
    noGroup.SetUserDefined("", "", "");
    EXPECT_THAT(m_log.Lines(), ElementsAre(Failed(UserDir() + "/X1/C1/ImgResCln.pp")));
    EXPECT_TRUE(store->SetGroup(""));

    // Without a group the clinical setting reads only the file under "Clns".
    m_log.Clear();
    EXPECT_TRUE(store->SetClinical("C1"));
    EXPECT_THAT(m_log.Lines(), ElementsAre(Ok(Root() + "Clns/C1/ImgResCln.pp")));
    store->Refresh();
    EXPECT_EQ(Get(*store, "GlobalParameters", "A"), "1");
}

TEST_F(TextStoreTest, UserDefinedFileFollowsTheCurrentSettings) {
    User("G1/X1/C1/ImgResCln.pp", "U<first>\n");
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

// The shipped example tree reads without failures and shows an entry set by three layers.
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
    EXPECT_EQ(Get(*store, "Gain", "MasterGain"), "3");
    EXPECT_EQ(Get(*store, "Display", "ColorMap"), "Gray");
    EXPECT_EQ(Get(*store, "DynamicControl", "DycFEDRSetting"), "66");
    EXPECT_EQ(Get(*store, "SpeckleReduction:Filter:Kernel", "Size"), "7");
}
