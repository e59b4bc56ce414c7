// The host services stand-in: settings file and overrides, bool words, log line format.
#include <corvel/CorvelControl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>
#include <vector>

#include "Corvel.h"
#include "TestSupport.h"

namespace {

class CorvelTest : public ::testing::Test {
  protected:
    void SetUp() override {
        corvel::ClearSettings();
        unsetenv("CORVEL_SETTINGS");
        unsetenv("CORVEL_LOG");
    }
    void TearDown() override { SetUp(); }

    void UseSettings(const std::string& content) {
        setenv("CORVEL_SETTINGS", m_dir.Write("host.ini", content).c_str(), 1);
    }

    TempDir m_dir;
};

// Blanks, comments, broken lines and sections as an INI reader takes them; the file is read
// afresh at every call and in-memory settings win over it.
TEST_F(CorvelTest, SettingsComeFromTheFileReadAfreshAndOverrides) {
    UseSettings(
        "# comment\n"
        "; another comment\n"
        "[Path]\n"
        "  ShippedRoot   =  /opt/scanner/shipped  \r\n"
        "Broken line without equals\n"
        "\t[ Product-GeneralSpecification ]\n"
        "QuendelFileName=Prod=X\n"
        "[Other]\n"
        "ShippedRoot = wrong section\n");
    EXPECT_EQ(ResourceMgr::GetValue("Path", "ShippedRoot", "d"), "/opt/scanner/shipped");
    EXPECT_EQ(ResourceMgr::GetValue("Product-GeneralSpecification", "QuendelFileName", "d"),
              "Prod=X");
    EXPECT_EQ(ResourceMgr::GetValue("Path", "Missing", "fallback"), "fallback");

    UseSettings("[S]\nK = two\n");
    EXPECT_EQ(ResourceMgr::GetValue("S", "K", ""), "two");
    corvel::SetSetting("S", "K", "memory");
    EXPECT_EQ(ResourceMgr::GetValue("S", "K", ""), "memory");
    corvel::RemoveSetting("S", "K");
    EXPECT_EQ(ResourceMgr::GetValue("S", "K", ""), "two");
    setenv("CORVEL_SETTINGS", (m_dir.Path() + "/vanished.ini").c_str(), 1);
    EXPECT_EQ(ResourceMgr::GetValue("S", "K", "none"), "none");
}

TEST_F(CorvelTest, BoolWordsIgnoreCaseAndOtherTextGivesDefault) {
    const std::pair<const char*, int> cases[] = {
        {"true", 1}, {"TRUE", 1}, {"1", 1},  {"Yes", 1}, {"on", 1},     {"false", 0}, {"0", 0},
        {"NO", 0},   {"Off", 0},  {"2", -1}, {"", -1},   {"truthy", -1}};  // -1: default
    for (const bool defaultValue : {false, true}) {
        for (const auto& [text, expected] : cases) {
            corvel::SetSetting("S", "K", text);
            EXPECT_EQ(ResourceMgr::GetValue("S", "K", defaultValue),
                      expected < 0 ? defaultValue : expected == 1)
                << text;
        }
    }
}

TEST_F(CorvelTest, LogLinesGoToTheLogFileInTheirFormat) {
    const std::string log = m_dir.Path() + "/host.log";
    setenv("CORVEL_LOG", log.c_str(), 1);
    LogInfo("Cat_09", "Read File : %s successful!", "a.pp");
    LogInfoIf(1, "Quendel", "Redirect(%s)", "x");
    LogInfoIf(0, "Quendel", "never %s", "shown");
    LogError("Cat_09", "Read File : %s Failed!", "b.pp");
    EXPECT_EQ(ReportException("boom"), 0);
    LogInfo("Cat", "%s", "two\nlines");
    LogInfo("Cat", "100%% literal %d", 7);
    EXPECT_EQ(ReadWholeFile(log),
              "INFO [Cat_09] Read File : a.pp successful!\n"
              "INFO [Quendel] Redirect(x)\n"
              "ERROR [Cat_09] Read File : b.pp Failed!\n"
              "EXCEPTION boom\n"
              "INFO [Cat] two\\nlines\n"
              "INFO [Cat] 100% literal 7\n");
}

TEST_F(CorvelTest, SinkReceivesLongMessagesWholeFromManyThreads) {
    LogCapture capture;
    const std::string big(100000, 'x');
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 50; ++i) {
                LogInfo("Cat", "%s", big.c_str());
                EXPECT_EQ(ResourceMgr::GetValue("S", "K", "d"), "d");
            }
        });
    }
    for (auto& t : threads) {
        t.join();
    }
    const auto lines = capture.Lines();
    ASSERT_EQ(lines.size(), 200u);
    for (const auto& line : lines) {
        ASSERT_EQ(line, "INFO [Cat] " + big);
    }
}

}  // namespace
