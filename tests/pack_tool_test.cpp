// quendel pack run as a program: what it stores under which path, the IdEnum names, and the
// errors that must end it with a message, a failing status and the old output untouched.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <nlohmann/json.hpp>
#include <random>
#include <string>
#include <vector>

#include "FendrelSamples.h"
#include "ToolRun.h"
#include "api/IdKeyTable.h"

namespace {

// Standard error joins the output unless the arguments send it elsewhere; setup runs in the
// shell first (a file-size limit).
ToolRun RunJoined(const std::string& arguments, const std::string& setup = "") {
    ToolRun run = RunCommand(setup + QUENDEL_TOOL + " 2>&1 " + arguments);
    run.out += run.err;
    return run;
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

    // Temporary files left beside the outputs.
    long Leftovers() const {
        return std::count_if(
            std::filesystem::recursive_directory_iterator(m_dir.Path()), {},
            [](const auto& entry) { return entry.path().filename().c_str()[0] == '.'; });
    }
    // What a name is: replacing it makes a new node.
    static std::pair<ino_t, mode_t> Node(const std::string& path) {
        struct stat info {};
        ::lstat(path.c_str(), &info);
        return {info.st_ino, info.st_mode};
    }

    TempDir m_dir;
    std::string m_tree;
};

// Every ".pp" file below the tree under "TREE/relative path", the same bytes each time, and the
// names the ids file lists under their IdEnum keys.
TEST_F(PackToolTest, StoresEveryParameterFileUnderTheTreeName) {
    const ToolRun run = RunJoined("pack " + Quoted(m_tree + "/"));
    ASSERT_EQ(run.status, 0) << run.out;
    const std::string output = m_tree + ".bin", again = m_dir.Path() + "/again.bin";
    EXPECT_EQ(run.out, "Packed 3 files (5 entries) into " + output + "\n");
    ParserHandle parser;
    ASSERT_TRUE(parser->OpenFile(output));
    std::vector<std::string> paths;
    ASSERT_TRUE(parser->ListFiles(paths));
    EXPECT_EQ(paths, std::vector<std::string>({"Quendel/G1/ImgResGrp.pp", "Quendel/ImgResBase.pp",
                                               "Quendel/Odd.pp/Inner.pp"}));
    ASSERT_EQ(RunJoined("pack " + Quoted(m_tree) + " -o " + Quoted(again)).status, 0);
    EXPECT_EQ(ReadWholeFile(again), ReadWholeFile(output));

    const std::string ids =
        m_dir.Write("ids.txt", "# parameter groups\n5 Display:Zoom\n\t7\tLevel   # zoom\r\n\n");
    ASSERT_EQ(RunJoined("pack " + Quoted(m_tree) + " --ids " + Quoted(ids) + " -o " + Quoted(again))
                  .status,
              0);
    ParserHandle withIds;
    ASSERT_TRUE(withIds->OpenFile(again));
    withIds->SetBaseFiles({"Quendel/ImgResBase.pp"});
    withIds->Refresh();
    std::string value;
    EXPECT_TRUE(withIds->FindValue(IdHashedKey(5), IdHashedKey(7), value));
    EXPECT_EQ(value, "2");
    EXPECT_TRUE(withIds->FindValue(IdHashedKey(5), "Pan", value));
    EXPECT_EQ(value, "0, 0");
}

TEST_F(PackToolTest, ErrorsLeaveTheOutputAsItWas) {
    const std::string output = m_dir.Write("out.bin", "old contents");
    const std::string tree = Quoted(m_tree);
    const std::string to = " -o " + Quoted(output);
    const std::string withIds = tree + to + " --ids " + Quoted(m_dir.Path() + "/ids.txt");
    const std::string fifo = m_dir.Path() + "/ids.fifo";
    MakeNonRegular(fifo, NonRegular::kFifo);
    struct Case {
        std::string arguments;
        std::string ids;  // written to ids.txt first
        std::string message;
    };
    const std::vector<Case> cases = {
        {Quoted(m_dir.Path() + "/missing") + to, "", "missing: no such directory"},
        {Quoted(m_dir.Path() + "/Quendel/notes.txt") + to, "", "notes.txt: not a directory"},
        {tree + " -o " + Quoted(m_dir.Path() + "/no/such/dir/out.bin"), "", "dir/out.bin: No such"},
        {Quoted(m_dir.Path() + "/Empty") + to, "", "Empty: no parameter file (*.pp) below it"},
        {tree + to + " --ids " + Quoted(m_dir.Path() + "/none.txt"), "", "cannot read the ids"},
        {tree + to + " --ids " + Quoted(m_dir.Path()), "", "cannot read the ids file"},
        {tree + to + " --ids " + Quoted(fifo), "", "not a regular file (a FIFO)"},
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
    m_dir.Write("Empty/notes.txt", "");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments + " with ids " + c.ids);
        m_dir.Write("ids.txt", c.ids);
        const ToolRun run = RunJoined("pack " + c.arguments);
        EXPECT_NE(run.status, 0);
        EXPECT_NE(run.out.find(c.message), std::string::npos) << run.out;
        EXPECT_EQ(ReadWholeFile(output), "old contents");
    }
    EXPECT_EQ(Leftovers(), 0);
}

// The output is a regular file replaced whole or left as it was: special files keep their
// kind and node, a failing write (a file-size limit, SIGXFSZ ignored) keeps the old file, a
// file that is not a resource file needs --force, and "-o -" writes the same bytes.
TEST_F(PackToolTest, OutputIsReplacedWholeOrLeftAsItWas) {
    const std::string pack = "pack " + Quoted(m_tree) + " -o ";
    const std::string good = m_dir.Path() + "/good.bin";
    const mode_t saved = ::umask(077);  // a new file gets 0666 less the umask
    ASSERT_EQ(RunJoined(pack + Quoted(good)).status, 0);
    ::umask(saved);
    const std::string image = ReadWholeFile(good);
    ASSERT_GT(image.size(), 512u);  // a limit of one 512-byte block cuts it
    EXPECT_EQ(Node(good).second & 0777, 0600u);

    const std::string fifo = m_dir.Path() + "/fifo", link = m_dir.Path() + "/link",
                      socket = m_dir.Path() + "/socket";
    sockaddr_un address{AF_UNIX, {}};
    socket.copy(address.sun_path, sizeof address.sun_path - 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_EQ(::symlink(fifo.c_str(), link.c_str()), 0);
    const std::string old = m_dir.Write("old.bin", "FNDRLRES old"),
                      param = m_tree + "/ImgResBase.pp";
    ::chmod(param.c_str(), 0640);
    const std::string text = ReadWholeFile(param), limit = "trap '' XFSZ; ulimit -f ";
    const struct {
        std::string target, setup, message;
    } cases[] = {{fifo, "", fifo + " is a FIFO, not a regular file: it is left as it is"},
                 {socket, "", socket + " is a socket"},
                 {m_tree, "", m_tree + " is a directory"},
                 {link, "", link + " (leading to " + fifo + ") is a FIFO"},
                 {old, limit + "0; ", "cannot write " + old + ": File too large"},
                 {old, limit + "1; ", "cannot write " + old + ": File too large"},
                 {"- >" + Quoted(m_dir.Path() + "/out"), limit + "1; ",
                  "cannot write to standard output: File too"},
                 {param, "", param + " exists and is not a resource file: it is left as it is"}};
    for (const auto& c : cases) {
        const auto before = Node(c.target);
        const ToolRun run = RunJoined(pack + c.target, c.setup);
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.out.find("quendel pack: " + c.message), std::string::npos) << run.out;
        EXPECT_EQ(Node(c.target), before) << c.target;
    }
    EXPECT_EQ(ReadWholeFile(old), "FNDRLRES old");
    EXPECT_EQ(ReadWholeFile(param), text);
    EXPECT_EQ(Leftovers(), 0);

    // The summary goes to standard error, which is kept out of the captured bytes.
    EXPECT_TRUE(RunJoined(pack + "- 2>" + Quoted(m_dir.Path() + "/err")).out == image);
    ASSERT_EQ(RunJoined(pack + Quoted(param) + " --force").status, 0);
    EXPECT_TRUE(ReadWholeFile(param) == image);
    EXPECT_EQ(Node(param).second & 0777, 0640u);  // the replaced file's permissions
}

// verify: a summary for a sound file, each damaged one's reason and status 2; get on a damaged
// resource file gives the same reason.
TEST_F(PackToolTest, VerifyTellsWhatEachFileHoldsOrWhyItIsRefused) {
    ASSERT_EQ(RunJoined("pack " + Quoted(m_tree)).status, 0);
    std::string good = m_tree + ".bin", image = ReadWholeFile(good), noise(400, 0);
    std::mt19937 random(7);
    std::generate(noise.begin(), noise.end(), [&] { return static_cast<char>(random()); });
    const std::string cut = m_dir.Write("root/dev/Quendel.bin", image.substr(0, 100)),
                      size = std::to_string(image.size());
    const std::string files = Quoted(good) + " " + Quoted(m_dir.Write("noise.bin", noise)) + " " +
                              Quoted(cut) + " " + Quoted(m_tree + "/ImgResBase.pp");
    const ToolRun text = RunJoined("verify " + files), json = RunJoined("verify --json " + files);
    EXPECT_EQ(text.status + json.status, 4);
    const auto results = nlohmann::ordered_json::parse(json.out);
    const std::string checksum = results["results"][0]["checksum"];
    EXPECT_EQ(results.begin().key(), "schema");
    // The header's checksum field: a little-endian u64 at byte 16 (FORMAT.md).
    uint64_t stored = 0;
    for (int i = 7; i >= 0; --i) {
        stored = stored << 8 | *Byte(image, 16 + i);
    }
    EXPECT_EQ(std::stoull(checksum, nullptr, 16), stored);
    EXPECT_EQ(results["results"][2]["error"], "truncated at 100 of " + size + " bytes");
    for (const std::string& line : std::vector<std::string>{
             good + ": ok, format version 2, " + size + " bytes, checksum " + checksum +
                 ", 3 files, 3 sections, 5 keys, 5 entries\n",
             "noise.bin: bad magic: not a resource file\n", cut + ": truncated at 100 of " + size,
             "ImgResBase.pp: too small: 46 bytes (a resource file has at least 208)\n"}) {
        EXPECT_NE(text.out.find(line), std::string::npos) << text.out;
    }
    const ToolRun get =
        RunJoined("get --store bin --root " + Quoted(m_dir.Path() + "/root") + " A B");
    EXPECT_NE(get.out.find(cut + " (binary store): truncated at 100"), std::string::npos);
}

TEST_F(PackToolTest, UnreadableDirectoryIsAnError) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "permissions do not bind the superuser";
    }
    const std::string locked = m_tree + "/Locked";
    m_dir.Write("Quendel/Locked/ImgResGrp.pp", "Key<1>\n");
    std::filesystem::permissions(locked, std::filesystem::perms::none);
    const ToolRun run = RunJoined("pack " + Quoted(m_tree));
    std::filesystem::permissions(locked, std::filesystem::perms::owner_all);
    EXPECT_NE(run.status, 0);
    EXPECT_NE(run.out.find("cannot read"), std::string::npos) << run.out;
    EXPECT_FALSE(std::filesystem::exists(m_tree + ".bin"));
}

}  // namespace
