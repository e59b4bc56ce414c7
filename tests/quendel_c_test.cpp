// The flat C interface over an in-memory store: buffers, caller-freed blocks, the fixed name
// table, null arguments, and errors reported once while the fallback is returned.
#include <corvel/CorvelControl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>

#include "FakeStore.h"
#include "TestSupport.h"
#include "host/Corvel.h"
#include "quendel/quendel_c.h"

namespace {

class FlatTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_handle = QUENDEL_Create();
        ASSERT_NE(m_handle, nullptr);
        ASSERT_EQ(QUENDEL_Initial(m_handle, "", "", ""), 1);
        m_factory.Set("DynamicControl", "DycFELogCompressType", "0123456789");
        m_factory.Set("AutoContrastControl", "ContrastDycPivotPtOut", "7, 8");
        m_factory.Set("S", "Ints", "1, 2, 3");
        m_factory.Set("S", "Doubles", "0.5, 1.5");
        m_factory.Set("S", "Words", "a, b, c");
        m_factory.Set("S", "Empty", "");
        m_factory.Set("S", "True", "true");
        m_factory.Set("S", "Pi", "3.25");
        m_factory.Set("S", "Huge", "99999999999");
        m_factory.Set("S", "JustOver", "2147483648");
        std::memset(m_buffer, 'x', sizeof m_buffer);
    }
    void TearDown() override { QUENDEL_Delete(m_handle); }

    FakeStoreFactory m_factory;
    LogCapture m_log;
    void* m_handle = nullptr;
    char m_buffer[16];
};

// The text with its NUL when it fits, else exactly bufferSize bytes; nothing for a size of 0 or
// less or a null buffer. Selector 0 names the first section of the fixed table, any other the
// second.
TEST_F(FlatTest, FixedNameTableAndBufferRules) {
    EXPECT_EQ(QUENDEL_GetParameter(m_handle, 0, 0, "d", 10, m_buffer), 1);  // no room for the NUL
    EXPECT_EQ(std::string(m_buffer, 11), "0123456789x");
    EXPECT_EQ(QUENDEL_GetParameter(m_handle, 0, 0, "d", sizeof m_buffer, m_buffer), 1);
    EXPECT_STREQ(m_buffer, "0123456789");
    for (int selector : {1, -5}) {
        EXPECT_EQ(QUENDEL_GetParameter(m_handle, selector, 9, "d", sizeof m_buffer, m_buffer), 1);
        EXPECT_STREQ(m_buffer, "7, 8");
    }
    EXPECT_EQ(QUENDEL_GetParamInArray(m_handle, 7, 9, 1, "d", sizeof m_buffer, m_buffer), 1);
    EXPECT_STREQ(m_buffer, "8");
    // A miss copies the default; the element form still reports 1.
    EXPECT_EQ(QUENDEL_GetParameter(m_handle, 0, 5, "dflt", sizeof m_buffer, m_buffer), 0);
    EXPECT_STREQ(m_buffer, "dflt");
    EXPECT_EQ(QUENDEL_GetParamInArray(m_handle, 0, 5, 0, "other", sizeof m_buffer, m_buffer), 1);
    EXPECT_STREQ(m_buffer, "other");

    std::memset(m_buffer, 'x', sizeof m_buffer);
    EXPECT_EQ(QUENDEL_GetParameter(m_handle, 0, 10, "d", sizeof m_buffer, m_buffer), 0);
    EXPECT_EQ(QUENDEL_GetParameter(m_handle, 0, -1, "d", sizeof m_buffer, m_buffer), 0);
    EXPECT_EQ(QUENDEL_GetParameter(m_handle, 0, 0, "d", 0, m_buffer), 1);
    EXPECT_EQ(QUENDEL_GetParameter(m_handle, 0, 0, "d", -3, m_buffer), 1);
    EXPECT_EQ(QUENDEL_GetParamInArray(m_handle, 0, 0, 0, "d", -1, m_buffer), 1);
    EXPECT_EQ(QUENDEL_GetParameter(m_handle, 0, 0, "d", 16, nullptr), 1);
    EXPECT_EQ(std::string(m_buffer, sizeof m_buffer), std::string(sizeof m_buffer, 'x'));
}

TEST_F(FlatTest, TypedGettersWriteValueOrDefault) {
    int i = 0;
    double d = 0;
    EXPECT_EQ(QUENDEL_GetIntParam(m_handle, "S", "Pi", -1, &i), 1);
    EXPECT_EQ(i, 3);
    EXPECT_EQ(QUENDEL_GetIntParam(m_handle, "S", "Words", -1, &i), 0);
    EXPECT_EQ(i, -1);
    EXPECT_EQ(QUENDEL_GetDoubleParam(m_handle, "S", "Pi", 0.0, &d), 1);
    EXPECT_DOUBLE_EQ(d, 3.25);
    // Beyond int's range, atoi's result stands (lint and `quendel get` warn of it).
    EXPECT_EQ(QUENDEL_GetIntParam(m_handle, "S", "Huge", -1, &i), 1);
    EXPECT_EQ(i, 1215752191);
    EXPECT_EQ(QUENDEL_GetIntParam(m_handle, "S", "JustOver", -1, &i), 1);
    EXPECT_EQ(i, -2147483647 - 1);
    int flag = 0;
    EXPECT_EQ(QUENDEL_GetBoolParam(m_handle, "S", "Missing", 5, &flag), 0);
    EXPECT_EQ(flag, 5);  // the caller's int as given
    EXPECT_EQ(QUENDEL_GetBoolParam(m_handle, "S", "True", 0, &flag), 1);
    EXPECT_EQ(flag, 1);
    char* text = nullptr;
    EXPECT_EQ(QUENDEL_GetStrParam(m_handle, "S", "Missing", "d", &text), 0);
    EXPECT_EQ(text, nullptr);
    EXPECT_EQ(QUENDEL_GetStrParam(m_handle, "S", "Words", "d", &text), 1);
    EXPECT_STREQ(text, "a, b, c");
    QUENDEL_Free(text);

    EXPECT_EQ(QUENDEL_GetIntParamInArray(m_handle, "S", "Ints", 2, -1), 3);
    EXPECT_EQ(QUENDEL_GetIntParamInArray(m_handle, "S", "Ints", -1, -1), -1);
    EXPECT_DOUBLE_EQ(QUENDEL_GetDoubleParamInArray(m_handle, "S", "Doubles", 1, 0), 1.5);
    EXPECT_EQ(QUENDEL_GetBoolParamInArray(m_handle, "S", "Missing", 0, 7), 1);
}

// Collections are blocks the caller frees, also for no values; a failure hands out nothing.
TEST_F(FlatTest, CollectionsAreCallerFreedBlocks) {
    int* ints = nullptr;
    int count = -1;
    ASSERT_EQ(QUENDEL_GetIntColl(m_handle, "S", "Ints", &ints, &count), 1);
    ASSERT_EQ(count, 3);
    EXPECT_EQ(std::vector<int>(ints, ints + 3), (std::vector<int>{1, 2, 3}));
    QUENDEL_Free(ints);
    char* joined = nullptr;
    ASSERT_EQ(QUENDEL_GetStrColl(m_handle, "S", "Words", &joined, &count), 1);
    EXPECT_EQ(count, 3);
    EXPECT_STREQ(joined, "a#b#c");
    QUENDEL_Free(joined);
    ASSERT_EQ(QUENDEL_GetStrColl(m_handle, "S", "Empty", &joined, &count), 1);
    EXPECT_EQ(count, 0);
    EXPECT_STREQ(joined, "");
    QUENDEL_Free(joined);
    ASSERT_EQ(QUENDEL_GetIntColl(m_handle, "S", "Empty", &ints, &count), 1);
    EXPECT_EQ(count, 0);
    QUENDEL_Free(ints);

    ints = nullptr;
    count = -1;
    EXPECT_EQ(QUENDEL_GetIntColl(m_handle, "S", "Words", &ints, &count), 0);
    double* doubles = nullptr;
    EXPECT_EQ(QUENDEL_GetDoubleColl(m_handle, "S", "Missing", &doubles, &count), 0);
    EXPECT_EQ(ints, nullptr);
    EXPECT_EQ(count, -1);
}

TEST_F(FlatTest, NullArgumentsGiveTheFallbackWithoutTouchingAnything) {
    int i = 4;
    char* text = nullptr;
    int* ints = nullptr;
    int count = 9;
    EXPECT_EQ(QUENDEL_Initial(m_handle, nullptr, "", ""), 0);
    EXPECT_EQ(QUENDEL_GetParameter(nullptr, 0, 0, "d", 4, m_buffer), 0);
    EXPECT_EQ(QUENDEL_GetParameter(m_handle, 0, 0, nullptr, 4, m_buffer), 0);
    EXPECT_EQ(QUENDEL_GetParamInArray(m_handle, 0, 0, 0, nullptr, 4, m_buffer), 0);
    EXPECT_EQ(std::string(m_buffer, 4), "xxxx");
    EXPECT_EQ(QUENDEL_GetIntParam(m_handle, nullptr, "Ints", 1, &i), 0);
    EXPECT_EQ(QUENDEL_GetIntParam(m_handle, "S", "Ints", 1, nullptr), 0);
    EXPECT_EQ(QUENDEL_GetBoolParam(m_handle, "S", "True", 1, nullptr), 0);
    EXPECT_EQ(QUENDEL_GetStrParam(m_handle, "S", "Words", "d", nullptr), 0);
    EXPECT_EQ(QUENDEL_GetDoubleParamInArray(m_handle, nullptr, "Ints", 0, 5), 0.0);
    EXPECT_EQ(QUENDEL_GetIntColl(m_handle, "S", "Ints", nullptr, &count), 0);
    EXPECT_EQ(QUENDEL_GetIntColl(m_handle, "S", "Ints", &ints, nullptr), 0);
    EXPECT_EQ(QUENDEL_GetStrColl(m_handle, "S", nullptr, &text, &count), 0);
    EXPECT_EQ(i, 4);
    EXPECT_EQ(text, nullptr);
    EXPECT_EQ(ints, nullptr);
    EXPECT_EQ(count, 9);
    QUENDEL_Delete(nullptr);
    QUENDEL_Free(nullptr);
    for (const auto& line : m_log.Lines()) {
        EXPECT_EQ(line.rfind("EXCEPTION", 0), std::string::npos) << line;
    }
}

// Every error is reported once, the host's own fault type not at all, and the function returns
// its fallback with the out-parameters as they stood.
TEST_F(FlatTest, ErrorsAreReportedOnceAndGiveTheFallback) {
    const struct {
        std::function<void()> thrower;
        const char* report;  // nullptr: nothing reported
    } cases[] = {{[] { throw std::runtime_error("boom"); }, "EXCEPTION boom"},
                 {[] { throw std::bad_alloc(); }, "EXCEPTION std::bad_alloc"},
                 {[] { throw new std::logic_error("by pointer"); }, "EXCEPTION by pointer"},
                 {[] { throw 42; }, "EXCEPTION Unknown"},
                 {[] { throw CTavrin_SEH_Exception(); }, nullptr}};
    for (const auto& c : cases) {
        m_factory.State().onLookup = c.thrower;
        m_log.Clear();
        int i = 5;
        EXPECT_EQ(QUENDEL_GetIntParam(m_handle, "S", "Ints", 1, &i), 0);
        EXPECT_EQ(i, 5);
        EXPECT_DOUBLE_EQ(QUENDEL_GetDoubleParamInArray(m_handle, "S", "Doubles", 0, 9), 0.0);
        char buffer[8] = "keep";
        EXPECT_EQ(QUENDEL_GetParamInArray(m_handle, 0, 0, 0, "d", 8, buffer), 0);
        EXPECT_STREQ(buffer, "keep");
        EXPECT_EQ(m_log.Lines(),
                  std::vector<std::string>(c.report ? 3 : 0, c.report ? c.report : ""));
    }
    m_factory.State().onLookup = nullptr;
}

// Through the flat functions on real trees: a FIFO, a socket or a directory at a layer path or a
// listed path of the text store, or in the binary store's resource file's place, is skipped at
// once; QUENDEL_Initial returns and the other files answer.
TEST(FlatFiles, PathsThatAreNotRegularFilesDoNotBlock) {
    LogCapture log;
    for (const std::string place : {"G/P/ImgResXdr.pp", "Common/Listed.pp", "Quendel.bin"}) {
        for (const NonRegular kind : kNonRegular) {
            TempDir dir;
            const std::string root = dir.Path() + "/dev/Quendel/";
            dir.Write("dev/Quendel/FileConfig.pp", "FileNumbers<1>\nFile0<Common/Listed.pp>\n");
            dir.Write("dev/Quendel/ImgResBase.pp", "<S>\nKey<1>\n");
            if (place != "Quendel.bin") {
                dir.Write("dev/Quendel/G/ImgResGrp.pp", "<S>\nKey<2>\n");
                dir.Write(
                    "dev/Quendel/" + std::string(place == "Common/Listed.pp" ? "G/P/ImgResXdr.pp"
                                                                             : "Common/Listed.pp"),
                    "<S>\nOther<3>\n");
            }
            MakeNonRegular(place == "Quendel.bin" ? dir.Path() + "/dev/Quendel.bin" : root + place,
                           kind);
            corvel::SetSetting("Path", "ShippedRoot", dir.Path());
            corvel::SetSetting("PostProcessing", "UseTxtQuendel",
                               place == "Quendel.bin" ? "false" : "true");
            void* handle = QUENDEL_Create();
            EXPECT_EQ(QUENDEL_Initial(handle, "G", "P", ""), 1);
            int value = -1;
            const bool text = place != "Quendel.bin";
            EXPECT_EQ(QUENDEL_GetIntParam(handle, "S", "Key", -1, &value), text ? 1 : 0) << place;
            EXPECT_EQ(value, text ? 2 : -1) << place;
            EXPECT_EQ(QUENDEL_GetIntParam(handle, "S", "Other", -1, &value), text ? 1 : 0);
            QUENDEL_Delete(handle);
            corvel::ClearSettings();
        }
    }
}

}  // namespace
