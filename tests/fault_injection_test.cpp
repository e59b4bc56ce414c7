// Files and settings that fail under the library: unreadable files, directories where files
// should be, files changed between two Initial calls, broken or vanished host settings. Every
// query must then give its default or the value the rules say, never a crash. (Truncated and
// corrupt resource files are the reader's tests and fuzzer.)
#include <corvel/CorvelControl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "TestSupport.h"
#include "inspect/pack/ResourcePack.h"
#include "quendel/Quendel.h"

namespace fs = std::filesystem;

namespace {

// A small tree of parameter files and the same tree packed, with the store chosen by settings.
class Product {
  public:
    Product() {
        fs::permissions(m_dir.Path(),
                        fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
        WriteTree("1", "group", "clinical");
        Pack();
    }
    ~Product() { corvel::ClearSettings(); }

    void WriteTree(const std::string& k, const std::string& group, const std::string& clinical) {
        m_dir.Write(kText + "ImgResBase.pp", "<S>\nK<" + k + ">\nL<1, 2, 3>\nT<base>\n");
        m_dir.Write(kText + "G/ImgResGrp.pp", "<S>\nT<" + group + ">\n");
        m_dir.Write(kText + "Clns/A/ImgResCln.pp", "<S>\nC<" + clinical + ">\n");
    }
    void Pack() const {
        fs::create_directories(Packed() + "/dev");
        PackOptions options;
        options.m_dir = m_dir.Path() + "/" + kText;
        options.m_output = Bin();
        PackResult result;
        std::string error;
        ASSERT_TRUE(PackTree(options, result, error)) << error;
    }

    void Use(bool text) const {
        corvel::ClearSettings();
        corvel::SetSetting("PostProcessing", "UseTxtQuendel", text ? "true" : "false");
        corvel::SetSetting("Path", "ShippedRoot", text ? Root() : Packed());
        corvel::SetSetting("Path", "SystemHQUserDefinedRoot", m_dir.Path() + "/no-user-files");
    }
    std::string Text(const std::string& relative) const {
        return m_dir.Path() + "/" + kText + relative;
    }
    std::string Root() const { return m_dir.Path() + "/text"; }
    std::string Packed() const { return m_dir.Path() + "/packed"; }
    std::string Bin() const { return Packed() + "/dev/Quendel.bin"; }

  private:
    const std::string kText = "text/dev/Quendel/";
    TempDir m_dir;
};

// What one object answers for the tree's keys, "-" for a default.
std::string Answers(Quendel& q) {
    std::vector<int> list;
    q.GetParameter("S", "L", list, {-1});
    return std::to_string(q.GetValue("S", "K", -1)) + " " + q.GetValue("S", "T", "-") + " " +
           q.GetValue("S", "C", "-") + " " + std::to_string(list.size()) + " " +
           std::to_string(q.GetParamInArray("S", "L", 2, -1));
}
const std::string kDefaults = "-1 - - 1 -1";

std::string InitialAnswers() {
    Quendel q;
    q.Initial("G", "", "A");
    return Answers(q);
}

// Runs check as an unprivileged user in a child process (root reads files of any mode).
bool AsUnprivileged(const std::function<bool()>& check) {
    const pid_t child = fork();
    if (child == 0) {
        const bool dropped = getuid() != 0 || setuid(65534) == 0;
        _exit(dropped && check() ? 0 : 1);
    }
    int status = 0;
    return waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(FaultInjection, UnreadableFilesAndDirectoriesGiveDefaults) {
    LogCapture quiet;
    struct Case {
        bool text;
        const char* file;  // relative to the text tree, or empty for the resource file
        bool directory;    // else present but without read permission
        const char* expected;
    };
    for (const Case& c :
         {Case{true, "ImgResBase.pp", true, "-1 group clinical 1 -1"},
          Case{true, "ImgResBase.pp", false, "-1 group clinical 1 -1"},
          Case{true, "G/ImgResGrp.pp", true, "1 base clinical 3 3"},
          Case{true, "G/ImgResGrp.pp", false, "1 base clinical 3 3"},
          Case{false, "", true, kDefaults.c_str()}, Case{false, "", false, kDefaults.c_str()}}) {
        SCOPED_TRACE(std::string(c.text ? "text " : "binary ") + c.file +
                     (c.directory ? " directory" : " unreadable"));
        const Product product;
        product.Use(c.text);
        const std::string path = c.text ? product.Text(c.file) : product.Bin();
        if (c.directory) {
            fs::remove(path);
            fs::create_directories(path + "/inside");
            EXPECT_EQ(InitialAnswers(), c.expected);
        } else {
            chmod(path.c_str(), 0);
            EXPECT_TRUE(AsUnprivileged([&] { return InitialAnswers() == c.expected; }));
        }
    }
}

// The text store reads the base and group files again at the next Initial and keeps the
// clinical file of an unchanged clinical setting; the binary store keeps the resource file it
// opened for its whole life.
TEST(FaultInjection, FilesChangedBetweenInitialCalls) {
    LogCapture quiet;
    for (const bool text : {true, false}) {
        SCOPED_TRACE(text ? "text" : "binary");
        Product product;
        product.Use(text);
        Quendel q;
        ASSERT_TRUE(q.Initial("G", "", "A"));
        EXPECT_EQ(Answers(q), "1 group clinical 3 3");

        product.WriteTree("2", "group2", "clinical2");
        product.Pack();
        ASSERT_TRUE(q.Initial("G", "", "A"));
        EXPECT_EQ(Answers(q), text ? "2 group2 clinical 3 3" : "1 group clinical 3 3");

        fs::remove(product.Text("ImgResBase.pp"));
        fs::remove(product.Text("G/ImgResGrp.pp"));
        fs::remove(product.Bin());
        ASSERT_TRUE(q.Initial("G", "", "A"));
        EXPECT_EQ(Answers(q), text ? "-1 - clinical 1 -1" : "1 group clinical 3 3");
        EXPECT_EQ(InitialAnswers(), text ? "-1 - clinical2 1 -1" : kDefaults);
    }
}

// Settings that cannot be read give the defaults: no resource root, so no values.
TEST(FaultInjection, BrokenOrVanishedHostSettingsGiveDefaults) {
    LogCapture quiet;
    const Product product;
    TempDir dir;
    const std::string valid =
        "[PostProcessing]\nUseTxtQuendel=true\n[Path]\nShippedRoot=" + product.Root() + "\n";
    const std::string settings = dir.Write("host.ini", valid);
    struct Environment {
        const char* old = std::getenv("CORVEL_SETTINGS");
        const bool had = old != nullptr;
        const std::string saved = had ? old : "";
        explicit Environment(const std::string& path) {
            setenv("CORVEL_SETTINGS", path.c_str(), 1);
        }
        ~Environment() {
            if (had) {
                setenv("CORVEL_SETTINGS", saved.c_str(), 1);
            } else {
                unsetenv("CORVEL_SETTINGS");
            }
        }
    } environment(settings);
    corvel::ClearSettings();
    ASSERT_EQ(InitialAnswers(), "1 group clinical 3 3");

    Quendel kept;
    kept.Initial("G", "", "A");
    const std::string broken[] = {
        std::string("\0\xff\xfe[Path]\0ShippedRoot\0=", 24),
        "[PostProcessing]\nUseTxtQuendel=true\n[Pa\nth]\nShippedRoot=" + product.Root(),
        "Path]\n=\n[]\n==\nShippedRoot\n",
        "[Path]\n" + std::string(1 << 16, 'x') + "\n[Other]\nShippedRoot=/",
    };
    for (const std::string& text : broken) {
        dir.Write("host.ini", text);
        EXPECT_EQ(InitialAnswers(), kDefaults);
    }
    fs::remove(settings);
    EXPECT_EQ(InitialAnswers(), kDefaults);
    fs::create_directories(settings);
    EXPECT_EQ(InitialAnswers(), kDefaults);
    // An object built while the settings were readable keeps its store and its resource root.
    EXPECT_TRUE(kept.Initial("G", "", "A"));
    EXPECT_EQ(Answers(kept), "1 group clinical 3 3");
}

}  // namespace
