// quendel pack run as a program: what it stores under which path, the IdEnum names, and the
// errors that must end it with a message, a failing status and the old output untouched.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "FendrelSamples.h"
#include "api/IdKeyTable.h"

namespace {

struct ToolRun {
    int status = -1;
    std::string output;  // standard output and standard error
};

ToolRun RunTool(const std::string& arguments) {
    ToolRun run;
    const std::string command = std::string(QUENDEL_TOOL) + " " + arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return run;
    }
    char buffer[4096];
    size_t n = 0;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        run.output.append(buffer, n);
    }
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::string Quoted(const std::string& text) {
    return "'" + text + "'";
}

class PackToolTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_tree = m_dir.Path() + "/Quendel";
        m_dir.Write("Quendel/ImgResBase.pp", "Gain<1>\n<Display:Zoom>\nLevel < 2 >  Pan<0, 0>\n");
        m_dir.Write("Quendel/G1/ImgResGrp.pp", "<:Extra>\r\nSize<4>\r\n");
        m_dir.Write("Quendel/notes.txt", "Skipped<1>\n");
        m_dir.Write("Quendel/Odd.pp/Inner.pp", "Key<in a directory named like a file>\n");
    }

    TempDir m_dir;
    std::string m_tree;
};

TEST_F(PackToolTest, StoresEveryParameterFileUnderTheTreeName) {
    const ToolRun run = RunTool("pack " + Quoted(m_tree + "/"));
    ASSERT_EQ(run.status, 0) << run.output;
    const std::string output = m_tree + ".bin";
    EXPECT_EQ(run.output, "Packed 3 files (5 entries) into " + output + "\n");

    ParserHandle parser;
    ASSERT_TRUE(parser->OpenFile(output));
    std::vector<std::string> paths;
    ASSERT_TRUE(parser->ListFiles(paths));
    EXPECT_EQ(paths, std::vector<std::string>({"Quendel/G1/ImgResGrp.pp", "Quendel/ImgResBase.pp",
                                               "Quendel/Odd.pp/Inner.pp"}));
    const std::vector<std::vector<std::string>> entries = {
        {"Quendel/ImgResBase.pp", "GlobalParameters", "Gain", "1"},
        {"Quendel/ImgResBase.pp", "Display:Zoom", "Level", "2"},
        {"Quendel/ImgResBase.pp", "Display:Zoom", "Pan", "0, 0"},
        {"Quendel/G1/ImgResGrp.pp", "GlobalParameters:Extra", "Size", "4"}};
    for (const auto& e : entries) {
        std::string value;
        EXPECT_TRUE(parser->GetFileValue(e[0], e[1], e[2], value)) << e[2];
        EXPECT_EQ(value, e[3]);
    }

    // The same tree packs to the same bytes.
    const std::string first = ReadWholeFile(output);
    ASSERT_EQ(
        RunTool("pack " + Quoted(m_tree) + " -o " + Quoted(m_dir.Path() + "/again.bin")).status, 0);
    EXPECT_EQ(ReadWholeFile(m_dir.Path() + "/again.bin"), first);
}

TEST_F(PackToolTest, ListedNamesCarryIdEnumKeys) {
    const std::string ids = m_dir.Write("ids.txt",
                                        "# parameter groups\n"
                                        "5 Display:Zoom\n"
                                        "\t7\tLevel   # the zoom level\r\n"
                                        "\n");
    const std::string output = m_dir.Path() + "/out.bin";
    const ToolRun run =
        RunTool("pack " + Quoted(m_tree) + " --ids " + Quoted(ids) + " -o " + Quoted(output));
    ASSERT_EQ(run.status, 0) << run.output;
    ParserHandle parser;
    ASSERT_TRUE(parser->OpenFile(output));
    parser->SetBaseFiles({"Quendel/ImgResBase.pp"});
    parser->Refresh();
    std::string value;
    EXPECT_TRUE(parser->FindValue(IdHashedKey(5), IdHashedKey(7), value));
    EXPECT_EQ(value, "2");
    EXPECT_TRUE(parser->FindValue(IdHashedKey(5), "Pan", value));
    EXPECT_EQ(value, "0, 0");
}

TEST_F(PackToolTest, ErrorsLeaveTheOutputAsItWas) {
    const std::string output = m_dir.Write("out.bin", "old contents");
    const std::string tree = Quoted(m_tree);
    const std::string to = " -o " + Quoted(output);
    const std::string withIds = tree + to + " --ids " + Quoted(m_dir.Path() + "/ids.txt");
    struct Case {
        std::string arguments;
        std::string ids;  // written to ids.txt first
        std::string message;
    };
    const std::vector<Case> cases = {
        {Quoted(m_dir.Path() + "/missing") + to, "", "missing: no such directory"},
        {Quoted(m_dir.Path() + "/Quendel/notes.txt") + to, "", "notes.txt: not a directory"},
        {tree + " -o " + Quoted(m_dir.Path() + "/no/such/dir/out.bin"), "", "cannot write"},
        {tree + to + " --ids " + Quoted(m_dir.Path() + "/none.txt"), "", "cannot read the ids"},
        {tree + to + " --ids " + Quoted(m_dir.Path()), "", "cannot read the ids file"},
        {withIds, "5 Display\nx7 Level\n", "ids.txt:2: bad IdEnum number \"x7\""},
        {withIds, "5.0 Display\n", "bad IdEnum number \"5.0\""},
        {withIds, "116 Display\n", "ids.txt:1: IdEnum 116 is outside 0 to 115"},
        {withIds, "-1 Display\n", "IdEnum -1 is outside 0 to 115"},
        {withIds, "5   # no name\n", "ids.txt:1: missing name after IdEnum 5"},
        {withIds, "5 Display Zoom\n", "unexpected text after the name \"Display\""},
        {withIds, "5 Display\n6 Level\n5 Gain\n",
         "ids.txt:3: IdEnum 5 is listed twice (first on line 1)"},
        {withIds, "5 Display\n6 Display\n", "ids.txt:2: name \"Display\" is listed twice"},
        {"", "", "DIR is required"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments + " with ids " + c.ids);
        m_dir.Write("ids.txt", c.ids);
        const ToolRun run = RunTool("pack " + c.arguments);
        EXPECT_NE(run.status, 0);
        EXPECT_NE(run.output.find(c.message), std::string::npos) << run.output;
        EXPECT_EQ(ReadWholeFile(output), "old contents");
    }
    for (const auto& entry : std::filesystem::recursive_directory_iterator(m_dir.Path())) {
        EXPECT_NE(entry.path().extension(), ".tmp") << entry.path();
    }
}

TEST_F(PackToolTest, UnreadableDirectoryIsAnError) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "permissions do not bind the superuser";
    }
    const std::string locked = m_tree + "/Locked";
    m_dir.Write("Quendel/Locked/ImgResGrp.pp", "Key<1>\n");
    std::filesystem::permissions(locked, std::filesystem::perms::none);
    const ToolRun run = RunTool("pack " + Quoted(m_tree));
    std::filesystem::permissions(locked, std::filesystem::perms::owner_all);
    EXPECT_NE(run.status, 0);
    EXPECT_NE(run.output.find("cannot read"), std::string::npos) << run.output;
    EXPECT_FALSE(std::filesystem::exists(m_tree + ".bin"));
}

}  // namespace
