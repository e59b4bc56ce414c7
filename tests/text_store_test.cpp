// The text store: which files it reads for a selection and in what order, their precedence,
// lookups, re-selection and the settings behind its paths.
#include "textstore/ResourceMsgImp.h"

#include <corvel/CorvelControl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

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

    // The path of a file below the resource root, or below the user-defined tree for "user:...".
    std::string PathOf(const std::string& file) const {
        return file.rfind("user:", 0) == 0 ? m_dir.Path() + "/user/Quendel/" + file.substr(5)
                                           : m_dir.Path() + "/shipped/dev/Quendel/" + file;
    }
    std::string Write(const std::string& file, const std::string& content) const {
        const std::string path = PathOf(file);
        return m_dir.Write(path.substr(m_dir.Path().size() + 1), content);
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

    TempDir m_dir;
    LogCapture m_log;
};

// The layers of the full selection, highest precedence first, and the order in which the store
// reads them: the configuration (logged twice), the base and clinical base files, then each level
// nested in the one above, its selector named verbatim.
const char kGroup[] = "G 1";
const char kProbe[] = "X/1";
const std::vector<std::pair<std::string, std::string>> kLayers = {
    {"user-defined", "user:G 1/X/1/C1/ImgResCln.pp"},
    {"clinical", "Clns/C1/ImgResCln.pp"},
    {"clinical base", "Clns/ImgResClnBase.pp"},
    {"group clinical", "G 1/X/1/C1/ImgResCln.pp"},
    {"transducer", "G 1/X/1/ImgResXdr.pp"},
    {"group", "G 1/ImgResGrp.pp"},
    {"base", "ImgResBase.pp"},
    {"File0", "listed/first.pp"},
    {"File1", "listed/second.pp"}};
const size_t kReadOrder[] = {7, 8, 6, 2, 5, 4, 3, 1, 0};
const char kTwoListed[] = "FileNumbers<2>\nFile0<listed/first.pp>\nFile1<listed/second.pp>\n";

}  // namespace

// Every layer overrides all below it, a section combines the keys of all files, and the
// origins name the files in the same order and agree with the lookups. Also: the reads are logged
// as successful, and lookups see nothing before Refresh.
TEST_F(TextStoreTest, EachLayerWinsOverTheNext) {
    Write("FileConfig.pp", kTwoListed);
    for (size_t top = 0; top < kLayers.size(); ++top) {
        SCOPED_TRACE(kLayers[top].first);
        for (size_t i = 0; i < kLayers.size(); ++i) {
            const std::string path = Write(
                kLayers[i].second, "# " + kLayers[i].first + "\n<Display:Zoom>\nLevel<" +
                                       kLayers[i].first + ">\nOwn" + std::to_string(i) + "<x>\n");
            if (i < top) {
                std::filesystem::remove(path);
            }
        }
        m_log.Clear();
        ResourceMsgImp store(kGroup, kProbe, "C1");
        if (top == 0) {
            std::vector<std::string> read(2, Ok(PathOf("FileConfig.pp")));
            for (size_t i : kReadOrder) {
                read.push_back(Ok(PathOf(kLayers[i].second)));
            }
            EXPECT_EQ(m_log.Lines(), read);
            EXPECT_EQ(Get(store, "Display:Zoom", "Level"), "<none>");
        }
        store.Refresh();
        EXPECT_EQ(Get(store, "Display:Zoom", "Level"), kLayers[top].first);
        for (size_t i = 0; i < kLayers.size(); ++i) {
            EXPECT_EQ(Get(store, "Display:Zoom", "Own" + std::to_string(i)),
                      i >= top ? "x" : "<none>");
        }
        const std::vector<ValueOrigin> origins = store.GetOrigins(" Display : Zoom", "Level");
        ASSERT_EQ(origins.size(), kLayers.size() - top);
        for (size_t i = 0; i < origins.size(); ++i) {
            const auto& [name, file] = kLayers[top + i];
            EXPECT_EQ(origins[i].m_layer, name);
            EXPECT_EQ(origins[i].m_path, PathOf(file));
            EXPECT_EQ(origins[i].m_line, 3u);
            EXPECT_EQ(origins[i].m_value, name);
            EXPECT_EQ(store.GetLayers()[i].m_name, name);
        }
        for (const auto& [section, keys] : store.GetMergedOrigins()) {
            for (const auto& [key, origin] : keys) {
                EXPECT_EQ(Get(store, section, key), origin.m_value) << section << "/" << key;
            }
        }
    }
}

TEST_F(TextStoreTest, LookupIgnoresBlanksInNamesAndNothingElse) {
    Write("ImgResBase.pp", "Top<1>\n<Display:Zoom>Level<2>\n");
    Write("FileConfig.pp", "FileNumbers<0>\n");
    auto store = Store("", "", "");
    const std::vector<std::vector<std::string>> cases = {
        {" Dis\tplay : Zoom ", " Le vel ", "2"},
        {"Dis\tplay:Zoom", "Le\tvel", "2"},  // tabs alone go as well
        {"GlobalParameters", "Top", "1"},
        {"", "Top", "<none>"},
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
    EXPECT_EQ(value, "unchanged");
}

// Only the entries File<i> the configuration holds below the count are read, in index order
// (File10 and File11 after File9, whatever the order of the lines); the count is read as atoi
// reads it: 99999999999999999999 saturates and casts to -1.
TEST_F(TextStoreTest, FileNumbersCountsTheListedFiles) {
    std::string entries = "File02<listed/2.pp>\nFile+3<listed/3.pp>\nFile1<listed/missing.pp>\n";
    for (const int i : {11, 4, 9, 0, 10, 2, 7, 3, 8, 5, 6}) {
        Write("listed/" + std::to_string(i) + ".pp", "From<" + std::to_string(i) + ">\n");
        entries += std::string(i == 4 ? "File 4" : "File" + std::to_string(i)) + "<listed/" +
                   std::to_string(i) + ".pp>\n";
    }
    std::vector<std::string> all = {"File0"};
    for (int i = 2; i < 12; ++i) {
        all.push_back("File" + std::to_string(i));
    }
    const std::vector<std::string> eleven(all.begin(), all.end() - 1);
    // The count's conversion is ToLong's; these rows show it is the one used.
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"2000000000", all},
        {"11", eleven},
        {"99999999999999999999", {}},
        {"2", {"File0"}},
        {"0", {}}};
    for (const auto& [count, layers] : cases) {
        Write("FileConfig.pp", "FileNumbers<" + count + ">\n" + entries);
        auto store = Store("", "", "");
        std::vector<std::string> names;
        for (const LayerInfo& layer : store->GetLayers()) {
            names.push_back(layer.m_name);
        }
        EXPECT_EQ(names, layers) << count;
        EXPECT_EQ(Get(*store, "GlobalParameters", "From"), layers.empty() ? "<none>" : "0");
    }
}

// A FIFO, a socket or a directory at a layer path or a listed path is logged as a failed read
// that names its kind, without waiting on it; the store answers from the other files and its
// reading list tells each file's state, in reading order.
TEST_F(TextStoreTest, FilesThatAreNotRegularAreLoggedAndSkipped) {
    const std::string probe = "G/P/ImgResXdr.pp";
    const std::string listed = "listed/second.pp";
    for (const std::string& place : {probe, listed}) {
        for (const NonRegular kind : kNonRegular) {
            TempDir dir;
            corvel::SetSetting("Path", "ShippedRoot", dir.Path() + "/shipped");
            const auto write = [&](const std::string& file, const std::string& text) {
                if (file != place) {
                    dir.Write("shipped/dev/Quendel/" + file, text);
                }
            };
            write("FileConfig.pp", kTwoListed);
            write("listed/first.pp", "<S>\nFirst<1>\n");
            write(listed, "<S>\nSecond<2>\n");
            write("ImgResBase.pp", "<S>\nKey<base>\n");
            write("G/ImgResGrp.pp", "<S>\nKey<group>\n");
            write(probe, "<S>\nKey<probe>\n");
            const std::string path = dir.Path() + "/shipped/dev/Quendel/" + place;
            const std::string what = MakeNonRegular(path, kind);
            m_log.Clear();
            auto store = Store("G", "P", "");
            EXPECT_EQ(m_log.Count("ERROR [Cat_09] Read File : " + path + " Failed! It is " + what +
                                  ", not a regular file"),
                      1)
                << path;
            EXPECT_EQ(Get(*store, "S", "Key"), place == probe ? "group" : "probe");
            EXPECT_EQ(Get(*store, "S", "First"), "1");
            std::vector<std::string> states;
            for (const FileReading& reading : store->GetReadings(true)) {
                states.push_back(reading.m_layer + " " +
                                 std::to_string(static_cast<int>(reading.m_state)) + " " +
                                 reading.m_detail + " " + std::to_string(reading.m_entries));
            }
            const std::string bad = "3 " + what;  // FileState::kNotRegular
            EXPECT_THAT(states, ElementsAre("file configuration 0  3", "File0 0  1",
                                            place == listed ? "File1 " + bad + " 0" : "File1 0  1",
                                            "base 0  1", "clinical base 1  0", "group 0  1",
                                            place == probe ? "transducer " + bad + " 0"
                                                           : "transducer 0  1"));
        }
    }
}

// Reload and the selection calls re-read their files, except that a slot asked for the path it
// holds keeps its contents (configuration, clinical file); the clinical base file is never
// re-read. Lookups change only at Refresh.
TEST_F(TextStoreTest, ReselectionReadsAfreshWhatItReleased) {
    auto writeAll = [&](const std::string& version) {
        for (const auto& [name, file] : kLayers) {
            Write(file, "<" + name + ">V<" + version + ">\n");
        }
    };
    Write("FileConfig.pp", kTwoListed);
    writeAll("old");
    auto store = Store(kGroup, kProbe, "C1");
    writeAll("new");
    Write("FileConfig.pp", "FileNumbers<0>\n");

    m_log.Clear();
    store->Reload("ignored", "ignored", "ignored");
    EXPECT_TRUE(store->SetGroup(kGroup));
    EXPECT_TRUE(store->SetProbe(kProbe));
    EXPECT_TRUE(store->SetClinical("C1"));
    EXPECT_TRUE(store->SetUserDefined("", "", ""));
    EXPECT_EQ(Get(*store, "base", "V"), "old");
    store->Refresh();
    for (const auto& [name, file] : kLayers) {
        const bool kept = name == "clinical base" || name == "clinical";
        EXPECT_EQ(Get(*store, name, "V"), kept ? "old" : "new") << name;
    }
    std::vector<std::string> read = {Ok(PathOf("ImgResBase.pp")), Ok(PathOf("FileConfig.pp")),
                                     Ok(PathOf("FileConfig.pp"))};
    for (size_t i : {7, 8, 5, 4, 1, 3, 0}) {
        read.push_back(Ok(PathOf(kLayers[i].second)));
    }
    EXPECT_EQ(m_log.Lines(), read);

    // A re-selection with empty P and A keeps the earlier clinical and user-defined files.
    store->Reload("", "", "");
    store->SetGroup(kGroup);
    store->Refresh();
    EXPECT_EQ(Get(*store, "clinical", "V"), "old");
    EXPECT_EQ(Get(*store, "user-defined", "V"), "new");
    EXPECT_EQ(Get(*store, "group clinical", "V"), "<none>");
    EXPECT_EQ(Get(*store, "transducer", "V"), "<none>");
}

// The selectors held show in the path of the user-defined file, and the files merged agree
// with them.
TEST_F(TextStoreTest, SelectionOperationsKeepTheirLevelsConsistent) {
    Write("G1/ImgResGrp.pp", "G<1>\n");
    Write("G1/X1/ImgResXdr.pp", "P<1>\n");
    Write("Clns/C1/ImgResCln.pp", "A<1>\n");
    Write("Clns/C2/ImgResCln.pp", "A<2>\n");
    Write("G1/X1/C1/ImgResCln.pp", "GC<1>\n");
    auto store = Store("G1", "X1", "C1");
    auto userPath = [this](ResourceMsgImp& s) {
        m_log.Clear();
        s.SetUserDefined("", "", "");
        return m_log.Lines().at(0);
    };

    m_log.Clear();
    EXPECT_TRUE(store->SetGroup("G1"));
    EXPECT_THAT(m_log.Lines(), IsEmpty()) << "the current group is neither cleared nor re-read";
    EXPECT_EQ(userPath(*store), Failed(PathOf("user:G1/X1/C1/ImgResCln.pp")));

    // An empty clinical setting deselects the level and releases both clinical files.
    EXPECT_TRUE(store->SetClinical(""));
    EXPECT_EQ(userPath(*store), Failed(PathOf("user:G1/X1//ImgResCln.pp")));
    store->Refresh();
    EXPECT_EQ(Get(*store, "GlobalParameters", "A"), "<none>");
    EXPECT_EQ(Get(*store, "GlobalParameters", "GC"), "<none>");
    EXPECT_EQ(Get(*store, "GlobalParameters", "P"), "1");

    // Both clinical files asked for: the result is that of the group clinical file alone.
    EXPECT_FALSE(store->SetClinical("C2"));
    store->Refresh();
    EXPECT_EQ(Get(*store, "GlobalParameters", "A"), "2");

    // A failing group read still changes the selection and drops the levels below it.
    EXPECT_FALSE(store->SetGroup("G9"));
    EXPECT_EQ(userPath(*store), Failed(PathOf("user:G9///ImgResCln.pp")));
    store->Refresh();
    EXPECT_EQ(Get(*store, "GlobalParameters", "P"), "<none>");

    // Without a group no transducer is selected and the one held stays; the clinical setting
    // reads only the file under "Clns".
    ResourceMsgImp noGroup("", "X1", "C1");
    EXPECT_FALSE(noGroup.SetProbe("X2"));
    EXPECT_EQ(userPath(noGroup), Failed(PathOf("user:/X1/C1/ImgResCln.pp")));
    EXPECT_TRUE(store->SetGroup(""));
    m_log.Clear();
    EXPECT_TRUE(store->SetClinical("C1"));
    EXPECT_THAT(m_log.Lines(), ElementsAre(Ok(PathOf("Clns/C1/ImgResCln.pp"))));
}

// The resource root comes from the settings once, at construction, verbatim; the user-defined
// file follows the settings as they are at each of its loads.
TEST_F(TextStoreTest, SettingsAreReadWhenTheirPathsAreBuilt) {
    corvel::RemoveSetting("Path", "ShippedRoot");
    EXPECT_EQ(ResourceMsgImp("", "", "").Source(), "/dev/Quendel/");
    corvel::SetSetting("Path", "ShippedRoot", "C:/Shipped/");
    corvel::SetSetting("Product-GeneralSpecification", "QuendelFileName", "Other");
    ResourceMsgImp store("G1", "", "");
    EXPECT_EQ(store.Source(), "C:/Shipped//dev/Other/");
    corvel::SetSetting("Path", "ShippedRoot", "D:/Elsewhere");
    corvel::SetSetting("Path", "SystemHQUserDefinedRoot", "U:");
    corvel::SetSetting("Product-GeneralSpecification", "QuendelFileName", "Renamed");
    m_log.Clear();
    store.SetGroup("G2");
    store.SetUserDefined("x", "y", "z");
    EXPECT_THAT(m_log.Lines(), ElementsAre(Failed("C:/Shipped//dev/Other/G2/ImgResGrp.pp"),
                                           Failed("U:/Renamed/G2///ImgResCln.pp")));
}
