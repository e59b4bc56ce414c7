// The quendel tool run as a program against the library itself: get answers what Quendel
// answers for every type, dump and explain show the values and layers the stores hold, diff
// finds what changes, list shows what a tree offers, lint points at the right line and column,
// every command ends with the documented status and the completion script completes them.
#include <corvel/CorvelControl.h>
#include <fendrel/ResourceReader.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <numeric>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "ToolRun.h"
#include "inspect/lint/NameSuggestion.h"
#include "inspect/lint/ParamLint.h"
#include "inspect/lint/ValueShape.h"
#include "inspect/pack/ResourcePack.h"
#include "inspect/report/StdoutCapture.h"
#include "quendel/Quendel.h"
#include "textstore/ParamFile.h"

namespace {

using nlohmann::json;

const std::string kSource = QUENDEL_SOURCE_DIR;

// The line of a file on which text first appears (1 for the first), 0 when it does not.
size_t LineOf(const std::string& path, const std::string& text) {
    std::ifstream in(path);
    size_t number = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        if (line.find(text) != std::string::npos) {
            return number;
        }
    }
    return 0;
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size()) {
        text.replace(at, from.size(), to);
    }
    return text;
}

// A text tree in a temporary directory, and the same settings for the library in this process
// and for the tool.
class ToolTree : public ::testing::Test {
  protected:
    void TearDown() override { corvel::ClearSettings(); }

    // The library in this process logs and warns; the tool's output is what is checked.
    LogCapture m_log;
    StdoutCapture m_quiet;

    std::string Root() const { return m_dir.Path() + "/shipped"; }
    std::string Write(const std::string& relative, const std::string& text) const {
        return m_dir.Write("shipped/dev/Quendel/" + relative, text);
    }
    std::string Options(const std::string& store = "text") const {
        return "--root " + Quoted(Root()) + " --user-root " + Quoted(m_dir.Path() + "/user") +
               " --store " + store + " --product-rule Prod";
    }
    void UseLibrary(const std::string& store = "text") const {
        corvel::SetSetting("Path", "ShippedRoot", Root());
        corvel::SetSetting("Path", "SystemHQUserDefinedRoot", m_dir.Path() + "/user");
        corvel::SetSetting("Product-GeneralSpecification", "QuendelProductRule", "Prod");
        corvel::SetSetting("PostProcessing", "UseTxtQuendel", store == "text" ? "true" : "false");
    }
    std::string Pack() const {
        PackOptions options;
        options.m_dir = Root() + "/dev/Quendel";
        PackResult result;
        std::string error;
        EXPECT_TRUE(PackTree(options, result, error)) << error;
        return result.m_output;
    }

    TempDir m_dir;
};

// get reaches the library's conversion for each type, whole or one element, and shows its
// answer: found or not, each decimal as the shortest text that reads back to the same number
// (0.6 read as a float is 0.6, not the widened 0.6000000238418579), whole numbers keeping ".0".
TEST_F(ToolTree, GetShowsTheLibrarysAnswerForEveryType) {
    Write("ImgResBase.pp",
          "<T>\nInt<42>\nFrac<2.9>\nDbl<0.1>\nFlt<0.6>\nTiny<0.000001234567890123>\n"
          "Bool<true>\nList<1, 2.5, -3>\nWords<a, b, c>\nBools<true, 0, 1>\nText<Hello World>\n"
          "Empty<>\nHuge<118720450000000000000>\nBig<10000000000000000000000>\n"
          "Short<1, 2>\nLatin<caf\xE9>\n");
    const struct {
        std::string question;
        int status;
        std::string value;  // as JSON
    } cases[] = {
        {"Text --as string", 0, "\"Hello World\""},
        {"Empty --as string", 0, "\"\""},
        {"Latin --as string", 0, "\"caf\xEF\xBF\xBD\""},  // not UTF-8: valid JSON, the byte marked
        {"Int --as int", 0, "42"},
        {"Frac --as int", 0, "2"},
        {"Int --as double", 0, "42.0"},
        {"Dbl --as double", 0, "0.1"},
        {"Tiny --as double", 0, "1.234567890123e-06"},
        {"Big --as double", 0, "1e+22"},
        {"Flt --as float", 0, "0.6"},
        {"Huge --as float", 0, "1.1872045e+20"},
        {"Bool --as bool", 0, "true"},
        {"Text --as bool", 1, "null"},
        {"None --as int", 1, "null"},
        {"Words --as string-list", 0, R"(["a", "b", "c"])"},
        {"List --as int-list", 0, "[1, 2, -3]"},
        {"List --as double-list", 0, "[1.0, 2.5, -3.0]"},
        {"Bools --as bool-list", 0, "[true, false, true]"},
        {"List --as string --index 1", 0, "\"2.5\""},
        {"List --as int --index 1", 0, "2"},
        {"List --as long --index 2", 0, "-3"},
        {"Bools --as bool --index 1", 0, "false"},
        {"List --as long --index 3", 1, "null"},
        // A list shorter than the default is completed from the default's tail.
        {"Short --as int-list --default '7,8,9'", 0, "[1, 2, 9]"},
        {"Missing --as double --default 0.5", 1, "0.5"},
    };
    for (const auto& c : cases) {
        const std::string args = "get " + Options() + " T " + c.question;
        const ToolRun run = RunTool(args + " --json");
        EXPECT_EQ(run.status, c.status) << args << "\n" << run.err;
        EXPECT_EQ(run.Json()["found"], c.status == 0) << args;
        EXPECT_EQ(run.Json()["value"], json::parse(c.value)) << args;
        if (c.value[0] != '[' && c.value != "null") {  // the very text, not only the number
            EXPECT_NE(run.out.find("\"value\": " + c.value + ","), std::string::npos) << run.out;
            if (c.value[0] != '"') {  // printed, it reads back as the very number
                EXPECT_EQ(json::parse(RunTool(args).out), run.Json()["value"]) << args;
            }
        }
    }
    EXPECT_NE(RunTool("get " + Options() + " T Missing --as int").err.find("no entry"),
              std::string::npos);
    // The library's int-cast warning goes to standard error and into the JSON, not the value.
    const ToolRun cast = RunTool("get " + Options() + " T Frac --as int --json");
    EXPECT_EQ(cast.Json()["warnings"], json({"Warning! Number is casted to int"}));
    EXPECT_NE(cast.err.find("casted to int"), std::string::npos) << cast.err;
}

// Every command's status for each outcome, in text and (where it has one) JSON form; under
// --json every failure is one document too. (The language server's are its protocol test's.)
TEST_F(ToolTree, ExitStatusOfEveryOutcome) {
    Write("ImgResBase.pp", "<T>\nKey<1>\nKey<2>\n");
    Write("G/ImgResGrp.pp", "<G>\nKey<3>\n");
    Write("G/P/ImgResXdr.pp", "<T>\nKey<3>\n");
    Write("Clns/A/ImgResCln.pp", "<T>\nOther<5>\n");
    m_dir.Write("other/dev/Quendel/ImgResBase.pp", "<T>\nKey<4>\n");
    m_dir.Write("empty/dev/Quendel/readme.txt", "nothing here\n");
    m_dir.Write("settings.ini", "[Path]\nShippedRoot = " + Root() + "\n");
    const std::string fifo = m_dir.Path() + "/settings.fifo";
    MakeNonRegular(fifo, NonRegular::kFifo);
    const std::string sound = Quoted(Pack());
    const std::string cut = Quoted(m_dir.Write("cut.bin", "FNDRLRES"));
    const std::string opts = Options();
    const std::string emptyRoot = " --root " + Quoted(m_dir.Path() + "/empty");
    const std::string nowhere = Quoted(m_dir.Path() + "/nowhere");
    const std::string other = " --to-root " + Quoted(m_dir.Path() + "/other");
    const std::string version = "libquendel " QUENDEL_VERSION ", resource file format " +
                                std::to_string(fendrel::FormatVersion());
    const struct {
        std::string args;
        int status;
        std::string says = "";  // in the output or on standard error
        bool json = true;       // the command also runs with --json
    } cases[] = {
        {"get " + opts + " T Key", 0},
        {"get --settings " + Quoted(m_dir.Path() + "/settings.ini") + " --store text T Key", 0},
        {"get " + opts + " T Nope", 1},
        {"get " + opts + " T", 2},
        {"get " + opts + " T Key --as short", 2},
        {"get " + opts + " T Key --as float --index 0", 2},
        {"get " + opts + " T Key --as int --default abc", 2},
        {"get " + opts + " T Key --index -1", 2},
        {"get --store text" + emptyRoot + " T Key", 2, m_dir.Path() + "/empty"},
        {"get --store bin" + emptyRoot + " T Key", 2},
        {"get --settings " + Quoted(m_dir.Path() + "/none.ini") + " T Key", 2},
        {"get --settings " + Quoted(fifo) + " T Key", 2, "a FIFO, not a regular file"},
        {"dump " + opts, 0},
        {"dump " + opts + " --section Nothing", 1},
        {"dump --store text" + emptyRoot, 2},
        {"explain " + opts + " T Key", 0},
        {"explain " + opts + " T Nope", 1},
        {"explain --store bin" + emptyRoot + " T Key", 2},
        {"diff " + opts, 2},
        {"diff " + opts + " --to-clinical Z", 0},
        {"diff " + opts + " --to-group G --to-probe P", 1},
        {"diff " + opts + other, 1},
        {"diff " + opts + " --to-root " + Quoted(m_dir.Path() + "/empty"), 2},
        {"files " + opts, 0},
        {"files --store bin" + emptyRoot, 2},
        {"list " + opts, 0},
        {"list --store text --root " + Quoted(m_dir.Path() + "/other"), 1,
         "no group and no clinical setting"},
        {"list --store text --root " + nowhere, 2, "no directory"},
        {"lint " + Quoted(m_dir.Path() + "/other"), 0},
        {"lint " + Quoted(Root()), 1},
        {"lint " + Quoted(m_dir.Path() + "/nothing-here"), 2},
        {"lint " + Quoted(m_dir.Path() + "/empty"), 2},
        {"lint --root " + nowhere, 2, "no parameter tree"},
        {"lint --rules", 0, "bom ", false},
        {"matrix " + opts + " T Key", 0},
        {"matrix " + opts + " T Nope", 1},
        {"matrix --store text --root " + nowhere + " T Key", 2},
        {"impact " + opts + " --to-root " + Quoted(Root()), 0},
        {"impact " + opts + other, 1},
        {"impact " + opts + " --to-root " + nowhere, 2},
        {"verify " + sound, 0},
        {"verify " + cut + " " + sound, 2, "cut.bin"},
        {"verify " + sound + " " + cut, 2},
        {"verify", 2},
        {"pack " + Quoted(Root() + "/dev/Quendel") + " -o " + Quoted(m_dir.Path() + "/p.bin"), 0,
         "Packed 4 files", false},
        {"pack " + nowhere, 2, "", false},
        {"pack", 2},
        {"--version", 0, version, false},
        {"help", 0, "Subcommands:\n  check", false},
        {"help get", 0, "Usage: quendel get [OPTIONS] SECTION KEY", false},
        {"help bogus", 2, "quendel: unknown command 'bogus'", false},
        {"bogus", 2, "quendel: unknown command 'bogus'\nCommands: check diff dump"},
        {"", 2, "Subcommands:\n  check", false},
    };
    for (const auto& c : cases) {
        for (const bool json : {false, true}) {
            if (json && !c.json) {
                continue;
            }
            const std::string args = c.args + (json ? " --json" : "");
            const ToolRun run = RunTool(args);
            EXPECT_EQ(run.status, c.status) << args << "\n" << run.out << run.err;
            EXPECT_TRUE(c.status != 2 || json || !run.err.empty()) << args;  // it says why
            EXPECT_NE((run.out + run.err).find(c.says), std::string::npos) << args << run.err;
            if (json) {  // every JSON document starts with its schema; a failure's tells why
                const nlohmann::ordered_json document = nlohmann::ordered_json::parse(run.out);
                EXPECT_EQ(document.begin().key(), "schema") << args;
                EXPECT_EQ(document["schema"], 1) << args;
                if (c.status == 2 && !document.contains("findings") &&
                    !document.contains("results")) {
                    EXPECT_FALSE(document["error"]["message"].get<std::string>().empty()) << args;
                    EXPECT_TRUE(document["error"].contains("path")) << args;
                }
            }
        }
    }
    // A failure's document names the file or directory concerned.
    const ToolRun failed = RunTool("get --store text" + emptyRoot + " T Key --json");
    EXPECT_EQ(failed.Json()["error"]["path"].get<std::string>().rfind(m_dir.Path() + "/empty", 0),
              0u);
    // Every command's help ends with the exit statuses it uses.
    const std::string listed = RunTool("bogus").err;
    std::istringstream names(listed.substr(listed.find("Commands: ") + 10));
    for (std::string name; names >> name && name != "Run";) {
        std::string help = RunTool("help " + name).out;
        help.erase(help.find_last_not_of('\n') + 1);
        EXPECT_EQ(help.substr(help.rfind('\n') + 1).rfind("Exit status: 0 ", 0), 0u) << help;
    }
}

// A root one level off or a misspelt selector reads less than meant: a warning names the file
// looked for, and --strict makes it an error.
TEST_F(ToolTree, StrictMakesEveryMissingFileAnError) {
    Write("ImgResBase.pp", "<S>\nKey<base>\n");
    Write("G/ImgResGrp.pp", "<S>\nKey<group>\n");
    m_dir.Write("user/Quendel/G/P/A/ImgResCln.pp", "<S>\nKey<user>\n");
    const std::string bin = Pack();                              // ROOT/dev/Quendel.bin
    std::filesystem::copy_file(bin, Root() + "/dev/Other.bin");  // holds Quendel/..., not Other/
    const std::string root = " --root " + Quoted(Root());
    const std::string deeper = " --root " + Quoted(Root() + "/dev");
    const struct {
        std::string args;
        int status;          // without --strict
        std::string looked;  // the file named, empty when there is nothing to say
    } cases[] = {
        {"--store text" + root + " -F G", 0, ""},
        {"--store text" + deeper + " -F G -P P -A A", 0, Root() + "/dev/dev/Quendel/ImgResBase.pp"},
        {"--store text" + root + " -F Gx", 0, Root() + "/dev/Quendel/Gx/ImgResGrp.pp"},
        {"--store bin" + root + " -F G", 0, ""},
        {"--store bin" + deeper + " -F G", 2, Root() + "/dev/dev/Quendel.bin"},
        {"--store bin" + root + " -F Gx", 0, "Quendel/Gx/ImgResGrp.pp in " + bin},
        {"--store bin" + root + " --name Other", 1, "no base file Other/ImgResBase.pp in"},
    };
    for (const auto& c : cases) {
        for (const char* strict : {"", " --strict"}) {
            const std::string args =
                "get S Key --user-root " + Quoted(m_dir.Path() + "/user") + " " + c.args + strict;
            const ToolRun run = RunTool(args);
            const bool error = *strict != '\0' && !c.looked.empty();
            EXPECT_EQ(run.status, error ? 2 : c.status) << args << "\n" << run.err;
            EXPECT_NE(run.err.find(c.looked), std::string::npos) << args << "\n" << run.err;
            EXPECT_EQ(run.err.find("warning:") != std::string::npos,
                      !error && !c.looked.empty() && c.status != 2)
                << args << "\n"
                << run.err;
        }
    }
}

// A FIFO, a socket or a directory at a layer path or a listed path: each command ends at once
// (run under a time limit), the selection warns naming its kind (an error with --strict), the
// reading list shows it, lint reports it and pack refuses the tree.
TEST_F(ToolTree, PathsThatAreNotRegularFilesAreNamedNotWaitedOn) {
    const std::string probe = "G/P/ImgResXdr.pp";
    const std::string listed = "Common/Listed.pp";
    for (const std::string& place : {probe, listed}) {
        for (const NonRegular kind : kNonRegular) {
            TempDir dir;
            const std::string tree = dir.Path() + "/shipped/dev/Quendel/";
            dir.Write("shipped/dev/Quendel/FileConfig.pp",
                      "FileNumbers<1>\nFile0<" + listed + ">\n");
            dir.Write("shipped/dev/Quendel/ImgResBase.pp", "<S>\nKey<base>\n");
            dir.Write("shipped/dev/Quendel/G/ImgResGrp.pp", "<S>\nKey<group>\n");
            dir.Write("shipped/dev/Quendel/" + (place == probe ? listed : probe), "<S>\nK<1>\n");
            const std::string what = MakeNonRegular(tree + place, kind);
            SCOPED_TRACE(place + " " + what);
            const std::string options =
                "--store text --root " + Quoted(dir.Path() + "/shipped") + " -F G -P P";
            const std::string said = " is not a regular file (" + what + "): " + tree + place;
            const ToolRun get = RunTool("get " + options + " S Key", 20);
            EXPECT_EQ(get.status, 0) << get.err;
            EXPECT_EQ(get.out, "group\n");
            EXPECT_NE(get.err.find("warning: " +
                                   std::string(place == probe ? "transducer file for -P P"
                                                              : "listed file File0") +
                                   said),
                      std::string::npos)
                << get.err;
            EXPECT_EQ(RunTool("dump --strict " + options, 20).status, 2);
            const json files = RunTool("files --json " + options, 20).Json()["files"];
            const auto reading = std::find_if(files.begin(), files.end(), [&](const json& file) {
                return file["file"] == tree + place;
            });
            ASSERT_NE(reading, files.end()) << files;
            EXPECT_EQ((*reading)["state"], "not regular");
            EXPECT_EQ((*reading)["detail"], what);
            const json lint =
                RunTool("lint --json --root " + Quoted(dir.Path() + "/shipped"), 20).Json();
            std::set<std::string> rules;
            for (const json& finding : lint["findings"]) {
                rules.insert(finding["code"].get<std::string>() + " " +
                             finding["file"].get<std::string>());
            }
            EXPECT_EQ(rules.count("not-regular " + tree + place), 1u) << lint;
            if (place == listed) {
                EXPECT_EQ(rules.count("not-regular " + tree + "FileConfig.pp"), 1u) << lint;
            }
            // A directory is walked like any other; what it lacks, the store finds missing.
            const bool refused = kind != NonRegular::kDirectory;
            const ToolRun pack = RunTool("pack " + Quoted(tree), 20);
            EXPECT_EQ(pack.status, refused ? 2 : 0);
            EXPECT_EQ(pack.err.find(tree + place + " is " + what) != std::string::npos, refused)
                << pack.err;
        }
    }
}

// Numbers that a query reads other than they are written keep their library results; lint
// names each by the base-level value's type, and get warns of it for an int or long (an error
// with --strict, a member of the JSON).
TEST_F(ToolTree, NumbersThatReadOtherThanWrittenAreReported) {
    Write("ImgResBase.pp", "<Gain>\nMasterGain<0>\nRatio<0.5>\nCurve<1, 2>\n");
    const struct {
        const char* group;
        const char* entry;
        const char* as;
        const char* value;  // what the library gives, printed
        const char* rule;
        const char* says;
    } cases[] = {
        {"Huge", "MasterGain<99999999999>", "int", "1215752191", "out-of-range",
         "reads as 1215752191 for an int query"},
        {"Over", "MasterGain<2147483648>", "long", "-2147483648", "out-of-range",
         "reads as -2147483648 for a"},
        {"Frac", "MasterGain<4.5>", "int", "4", "fraction-cut", "reads as 4 for an int query"},
        {"Empty", "MasterGain<>", "int", "0", "empty-number", "reads as 0 for an int query"},
        {"Wide", "Ratio<1000000000000000000000000000000000000000>", "float", "inf", "out-of-range",
         "reads as inf for a float query"},
        {"List", "Curve<1, 2.5>", "int-list", "1, 2", "fraction-cut", "(element 1)"},
    };
    for (const auto& c : cases) {
        Write(std::string(c.group) + "/ImgResGrp.pp", std::string("<Gain>\n") + c.entry + "\n");
    }
    const json lint = RunTool("lint --json --root " + Quoted(Root())).Json();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entry);
        const std::string key = std::string(c.entry).substr(0, std::string(c.entry).find('<'));
        const std::string get = "get " + Options() + " -F " + c.group + " Gain " + key + " --as ";
        const ToolRun run = RunTool(get + c.as);
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out, std::string(c.value) + "\n");
        const bool warned = std::string(c.as) == "int" || std::string(c.as) == "long";
        EXPECT_EQ(run.err.find(c.says) != std::string::npos, warned) << run.err;
        EXPECT_EQ(RunTool(get + c.as + " --strict").status, warned ? 2 : 0);
        EXPECT_EQ(RunTool(get + c.as + " --json").Json().contains("conversion"), warned);
        size_t found = 0;
        for (const json& finding : lint["findings"]) {
            if (finding["file"] == Root() + "/dev/Quendel/" + c.group + "/ImgResGrp.pp") {
                EXPECT_EQ(finding["code"], c.rule);
                EXPECT_NE(finding["message"].get<std::string>().find(c.says), std::string::npos)
                    << finding;
                ++found;
            }
        }
        EXPECT_EQ(found, 1u);
    }
    // Bytes the parser keeps as they are: a NUL, other control bytes, text that is not UTF-8;
    // a tab, a CR and whatever stands in a comment are fine.
    const ToolRun bytes = RunCommand(
        "printf 'A<1>\\t\\r\\n\\000<X>\\nK<caf\\351>\\nB<\\033[1m> # \\001 \\351\\n' | " +
        std::string(QUENDEL_TOOL) + " lint - --json");
    std::vector<std::string> found;
    const json byteFindings = bytes.Json()["findings"];
    for (const json& finding : byteFindings) {
        found.push_back(std::to_string(finding["line"].get<int>()) + ":" +
                        std::to_string(finding["column"].get<int>()) + " " +
                        finding["code"].get<std::string>());
    }
    EXPECT_EQ(found, std::vector<std::string>(
                         {"2:1 control-byte", "3:6 invalid-utf8", "4:3 control-byte"}))
        << bytes.out << bytes.err;
    EXPECT_NE(bytes.out.find("control byte 0x00 at byte offset 7"), std::string::npos) << bytes.out;
}

// --strict and the warnings cover every level a selection misses: a listed file, a product rule
// that names nothing in the resource file, a selector near one the tree offers.
TEST_F(ToolTree, StrictCoversListedFilesProductRulesAndNearNames) {
    Write("FileConfig.pp", "FileNumbers<2>\nFile0<Common/Here.pp>\nFile1<Common/Gone.pp>\n");
    Write("Common/Here.pp", "<S>\nKey<listed>\n");
    Write("ImgResBase.pp", "<S>\nKey<base>\n");
    Write("Convex/ImgResGrp.pp", "<S>\nKey<group>\n");
    Write("Convex/CX5/ImgResXdr.pp", "<S>\nKey<probe>\n");
    Write("Clns/Abdomen/ImgResCln.pp", "<S>\nKey<clinical>\n");
    Write("Convex/CX5/Prod/ImgResXdr.pp", "<S>\nKey<product>\n");
    const std::string bin = Pack();
    const struct {
        std::string args;
        std::string warning;
    } cases[] = {
        {Options() + " -F Convex",
         "listed file File1 is missing: " + Root() + "/dev/Quendel/Common/Gone.pp"},
        {Options("bin") + " -F Convex", "listed file is missing: Quendel/Common/Gone.pp in " + bin},
        {Replaced(Options("bin"), "Prod", "Prd") + " -F Convex",
         "no product rule directory Prd in " + bin +
             ": the common files are read instead (did you mean --product-rule Prod?)"},
        {Options() + " -F Convx", "(did you mean -F Convex?)"},
        {Options() + " -F Convex -P cx5", "(did you mean -P CX5?)"},
        {Options("bin") + " -F Convex -P CX5 -A abdomen", "(did you mean -A Abdomen?)"},
    };
    for (const auto& c : cases) {
        for (const std::string command : {"get S Key", "dump", "explain S Key", "files"}) {
            const std::string args = command + " " + c.args;
            const ToolRun run = RunTool(args);
            EXPECT_EQ(run.status, 0) << args << "\n" << run.err;
            EXPECT_NE(run.err.find(c.warning), std::string::npos) << args << "\n" << run.err;
            const std::string warns =
                "quendel " + command.substr(0, command.find(' ')) + ": warning: ";
            EXPECT_EQ(run.err.rfind(warns, 0), 0u) << run.err;
            const ToolRun strict = RunTool(args + " --strict --json");
            EXPECT_EQ(strict.status, 2) << args;
            EXPECT_NE(strict.Json()["error"]["message"].get<std::string>().find(c.warning),
                      std::string::npos)
                << strict.out;
        }
    }
    // The reading list in the binary store: the product's own transducer file beside the
    // common one, the product rule's base and listed files redirected.
    Write("Prod/Common/Here.pp", "<S>\nKey<product listed>\n");
    Pack();
    const json files = RunTool("files --json " + Options("bin") + " -F Convex -P CX5").Json();
    std::vector<std::string> rows;
    for (const json& file : files["files"]) {
        rows.push_back(file["layer"].get<std::string>() + " " + file["file"].get<std::string>() +
                       " " + file["state"].get<std::string>() + " " +
                       std::to_string(file["entries"].get<int>()));
    }
    EXPECT_EQ(rows, std::vector<std::string>({
                        "file configuration Quendel/FileConfig.pp read 3",
                        "base Quendel/ImgResBase.pp read 1",
                        "listed Quendel/Common/Here.pp redirected 0",
                        "listed (product) Quendel/Prod/Common/Here.pp read 1",
                        "listed Quendel/Common/Gone.pp missing 0",
                        "clinical base Quendel/Clns/ImgResClnBase.pp missing 0",
                        "transducer (product) Quendel/Convex/CX5/Prod/ImgResXdr.pp read 1",
                        "transducer Quendel/Convex/CX5/ImgResXdr.pp read 1",
                        "group Quendel/Convex/ImgResGrp.pp read 1",
                    }));
}

// A section is shown by its exact path, and with --recursive the sections below it; pack stores
// the tree under --name and warns when the resource file's name asks for another.
TEST_F(ToolTree, DumpSectionsAndPackNames) {
    Write("ImgResBase.pp", "<Display>\nA<1>\n<DisplayExtra>\nB<2>\n<Display:Zoom>\nC<3>\n");
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {"--section Display", {"A"}},
        {"--section Display -r", {"A", "C"}},
        {"--section DisplayExtra --recursive", {"B"}},
        {"--section Display:Zoom", {"C"}},
    };
    for (const auto& [option, keys] : cases) {
        std::vector<std::string> shown;
        const json entries = RunTool("dump --json " + Options() + " " + option).Json()["entries"];
        for (const json& entry : entries) {
            shown.push_back(entry["key"]);
        }
        EXPECT_EQ(shown, keys) << option;
    }
    const std::string tree = Root() + "/dev/Quendel";
    const std::string copy = m_dir.Path() + "/copy";
    std::filesystem::copy(tree, copy, std::filesystem::copy_options::recursive);
    const std::string output = Quoted(Root() + "/dev/Quendel.bin");
    const ToolRun other = RunTool("pack " + Quoted(copy) + " -o " + output);
    EXPECT_EQ(other.status, 0);
    EXPECT_NE(other.err.find("warning: the files are stored below copy/, but a store that opens "
                             "Quendel.bin (QuendelFileName Quendel) looks below Quendel/"),
              std::string::npos)
        << other.err;
    EXPECT_EQ(RunTool("get " + Options("bin") + " Display A").status, 1);
    const ToolRun named = RunTool("pack " + Quoted(copy) + " --name Quendel -o " + output);
    EXPECT_EQ(named.err, "");
    EXPECT_EQ(RunTool("get " + Options("bin") + " Display A").out, "1\n");
}

// The example's host settings name their directories relative to themselves, so every front-end
// reads the example tree from any directory.
TEST(ToolExampleTree, SettingsPathsAreRelativeToTheSettingsFile) {
    const std::string host = kSource + "/examples/host.ini";
    for (const std::string& at : {std::string("/"), kSource + "/examples/python"}) {
        const ToolRun run =
            RunCommand("cd " + Quoted(at) + " && " + QUENDEL_TOOL + " get --settings " +
                       Quoted(at == "/" ? host : "../host.ini") +
                       " -F Convex -P CX5 -A Abdomen DynamicControl DycDesiredPivotValue --json");
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.Json()["value"], "104");
        EXPECT_EQ(std::filesystem::path(run.Json()["selection"]["source"].get<std::string>())
                      .lexically_normal(),
                  std::filesystem::path(at == "/" ? kSource + "/examples/shipped/dev/Quendel/"
                                                  : "../shipped/dev/Quendel/")
                      .lexically_normal());
    }
}

// The example tree offers its groups, transducers and clinical settings; its resource file
// shows the product line's own transducer (below which its clinical settings lie) and files.
TEST(ToolExampleTree, ListShowsWhatTheTreeAndItsResourceFileOffer) {
    TempDir dir;
    std::filesystem::create_directories(dir.Path() + "/dev");
    const ToolRun pack =
        RunTool("pack examples/shipped/dev/Quendel -o " + Quoted(dir.Path()) + "/dev/Quendel.bin");
    ASSERT_EQ(pack.status, 0) << pack.err;
    json groups = json::parse(R"([
        {"name": "Convex", "transducers": [{"name": "CX5", "clinical": ["Abdomen", "Cardiac"]},
                                           {"name": "CX9", "clinical": ["Abdomen"]}]},
        {"name": "Linear", "transducers": [{"name": "LN12", "clinical": ["Vascular"]},
                                           {"name": "LN18", "clinical": []}]}])");
    const json clinical = {"Abdomen", "Cardiac", "Vascular"};
    const ToolRun text = RunTool("list --settings examples/host.ini --json");
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_EQ(text.Json()["groups"], groups);
    EXPECT_EQ(text.Json()["clinical"], clinical);

    for (json& group : groups) {
        for (json& transducer : group["transducers"]) {
            transducer["products"] = json::array();
        }
    }
    groups[1]["transducers"][1]["products"] = json::parse(R"([{"name": "Compact",
                                                               "clinical": ["Vascular"]}])");
    const ToolRun bin = RunTool("list --settings examples/host.ini --store bin --root " +
                                Quoted(dir.Path()) + " --json");
    ASSERT_EQ(bin.status, 0) << bin.err;
    EXPECT_EQ(bin.Json()["groups"], groups);
    EXPECT_EQ(bin.Json()["clinical"], clinical);
    EXPECT_EQ(bin.Json()["products"],
              json::parse(R"([{"name": "Compact", "files": ["Common/ImgResDisplay.pp"]}])"));
}

// The README's examples of the version, pack and verify (format version, sizes, checksums) and
// explain (the layers in order, the winner marked) are run as written, explain's last, with a
// temporary directory standing for build/demo: they cannot go stale.
TEST(ToolReadme, VersionPackVerifyAndExplainExamplesAreCurrent) {
    TempDir demo;
    std::filesystem::create_directories(demo.Path() + "/dev");
    std::istringstream readme(ReadWholeFile(kSource + "/README.md"));
    std::vector<std::pair<std::string, std::vector<std::string>>> examples;
    bool block = false;
    for (std::string line; std::getline(readme, line);) {
        if (line.rfind("```", 0) == 0) {
            block = !block;
            examples.push_back({"", {}});  // what a block holds before its first command
        } else if (block && line.rfind("$ ", 0) == 0) {
            examples.push_back({line.substr(2), {}});
        } else if (block && line.rfind("[exit", 0) != 0) {
            examples.back().second.push_back(line);
        }
    }
    // explain's examples read the resource file that the pack example writes.
    std::stable_partition(examples.begin(), examples.end(), [](const auto& example) {
        return example.first.rfind("quendel explain --settings", 0) != 0;
    });
    size_t run = 0;
    for (const auto& [line, output] : examples) {
        const bool ordered = line.rfind("quendel explain --settings", 0) == 0;
        const bool wanted = ordered || line.rfind("quendel --version", 0) == 0 ||
                            line.rfind("quendel verify build/demo", 0) == 0 ||
                            line.rfind("head -c", 0) == 0 ||
                            (line.rfind("quendel pack examples/shipped/dev/Quendel -o ", 0) == 0 &&
                             line.find("ImgResBase") == std::string::npos &&
                             line.find("pipe") == std::string::npos);
        if (!wanted) {
            continue;
        }
        ++run;
        const std::string shell = Replaced(
            line.rfind("quendel", 0) == 0 ? std::string(QUENDEL_TOOL) + line.substr(7) : line,
            "build/demo", demo.Path());
        const ToolRun result = RunCommand(shell);
        std::vector<std::string> got;
        std::istringstream printed(Replaced(result.out + result.err, demo.Path(), "build/demo"));
        for (std::string text; std::getline(printed, text);) {
            got.push_back(text);
        }
        std::vector<std::string> expected = output;
        if (!ordered) {  // standard output and error, each in its order
            std::sort(got.begin(), got.end());
            std::sort(expected.begin(), expected.end());
        }
        EXPECT_EQ(got, expected) << line;
    }
    EXPECT_EQ(run, 8u);
}

// The script that bash loads completes every command the tool lists, and option values.
TEST(ToolCompletion, CompletesCommandsOptionsAndValues) {
    const std::string listed = RunTool("bogus").err;
    const size_t start = listed.find("Commands: ") + 10;
    const std::string commands = listed.substr(start, listed.find('\n', start) - start);
    ASSERT_NE(commands.find("list"), std::string::npos) << listed;
    const std::string script = Quoted(QUENDEL_COMPLETION);
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{""}, commands},
        {{"li"}, "lint list"},
        {{"help", "ex"}, "explain"},
        {{"get", "--st"}, "--store --strict"},
        {{"get", "--store", ""}, "text bin"},
        {{"get", "--as", "float"}, "float float-list"},
    };
    for (const auto& [words, offered] : cases) {
        std::string line = "source " + script + "; COMP_WORDS=(quendel";
        for (const std::string& word : words) {
            line += " " + Quoted(word);
        }
        line += "); COMP_CWORD=" + std::to_string(words.size()) +
                "; _quendel; echo \"${COMPREPLY[*]}\"";
        EXPECT_EQ(RunCommand("bash -c " + Quoted(line)).out, offered + "\n") << line;
    }
}

TEST_F(ToolTree, ExplainListsEveryLayerInPrecedenceOrder) {
    // One key set by every layer, each with its own value, on a line of its own choosing.
    const std::vector<std::pair<std::string, std::string>> layers = {
        {"user-defined", "../../../user/Quendel/G/P/A/ImgResCln.pp"},
        {"clinical", "Clns/A/ImgResCln.pp"},
        {"clinical base", "Clns/ImgResClnBase.pp"},
        {"group clinical", "G/P/A/ImgResCln.pp"},
        {"transducer", "G/P/ImgResXdr.pp"},
        {"group", "G/ImgResGrp.pp"},
        {"base", "ImgResBase.pp"},
        {"File0", "First.pp"},
        {"File1", "Second.pp"}};
    Write("FileConfig.pp", "FileNumbers<2>\nFile0<First.pp>\nFile1<Second.pp>\n");
    std::vector<std::string> paths;
    for (size_t i = 0; i < layers.size(); ++i) {
        paths.push_back(Write(layers[i].second,
                              std::string(i, '\n') + "<S:Sub>\nKey<v" + std::to_string(i) + ">\n"));
    }
    const ToolRun run = RunTool("explain " + Options() + " -F G -P P -A A 'S : Sub' ' Key' --json");
    ASSERT_EQ(run.status, 0) << run.err;
    const json explain = run.Json();
    EXPECT_EQ(explain["value"], "v0");
    ASSERT_EQ(explain["layers"].size(), layers.size());
    for (size_t i = 0; i < layers.size(); ++i) {
        const json& layer = explain["layers"][i];
        EXPECT_EQ(layer["layer"], layers[i].first);
        EXPECT_EQ(layer["value"], "v" + std::to_string(i));
        EXPECT_EQ(layer["line"], LineOf(paths[i], "Key<")) << layers[i].first;
        EXPECT_EQ(layer["wins"], i == 0);
    }

    // The binary store names the contained files, without lines; it has no user-defined layer
    // and prefers the product's own transducer file, below which its clinical files then lie.
    Write("G/P/Prod/ImgResXdr.pp", "<S:Sub>\nKey<product>\n");
    Write("G/P/Prod/A/ImgResCln.pp", "<S:Sub>\nKey<product clinical>\n");
    Pack();
    const json binary =
        RunTool("explain " + Options("bin") + " -F G -P P -A A S:Sub Key --json").Json();
    std::vector<std::string> names;
    for (const json& layer : binary["layers"]) {
        names.push_back(layer["layer"]);
        EXPECT_FALSE(layer.contains("line"));
    }
    const std::vector<std::string> expected = {
        "clinical",   "clinical base", "group clinical", "transducer (product)",
        "transducer", "group",         "base",           "listed",
        "listed"};
    EXPECT_EQ(names, expected);
    EXPECT_EQ(binary["layers"][2]["file"], "Quendel/G/P/Prod/A/ImgResCln.pp");
    EXPECT_EQ(binary["layers"][3]["file"], "Quendel/G/P/Prod/ImgResXdr.pp");
    EXPECT_EQ(binary["value"], "v1");
}

// dump answers what the library answers through each store, sorted by section and key, with
// the file and line that set each value: sections to any depth (a path of 100,000 levels is
// longer than one program argument may be, so only dump shows that one), no file outside the
// selection, and a key no lookup reaches counted, not shown.
TEST_F(ToolTree, DumpAnswersWhatEachStoreAnswersAtAnyDepth) {
    const std::string deep = ChainPath(10'000), deeper = ChainPath(100'000);
    Write("ImgResBase.pp", "Top<1>\n<S>\nA<1>\nB<2>\nSpaced Key\n<S:T>\nC<3>\n<" + deeper +
                               ">K<100000>\n<" + deep + ">K<10000>\n");
    Write("G/ImgResGrp.pp", "<S>\nA<10>\n");
    Write("H/ImgResGrp.pp", "<S>\nOnlyH<5>\n");
    Pack();
    for (const std::string store : {"text", "bin"}) {
        SCOPED_TRACE(store);
        UseLibrary(store);
        Quendel q;
        ASSERT_TRUE(q.Initial("G", "", ""));
        EXPECT_EQ(q.GetValue(deeper, "K", "none"), "100000");
        EXPECT_EQ(RunTool("get " + Options(store) + " -F G " + deep + " K").out, "10000\n");
        const ToolRun run = RunTool("dump " + Options(store) + " -F G --origin --json");
        ASSERT_EQ(run.status, 0) << run.err;
        const json dump = run.Json();
        std::string previous;
        for (const json& entry : dump["entries"]) {
            const std::string section = entry["section"], key = entry["key"];
            std::string value;
            EXPECT_TRUE(q.GetParameter(section, key, value, std::string()));
            EXPECT_EQ(entry["value"], value);
            EXPECT_LT(previous, section + '\n' + key);
            previous = section + '\n' + key;
            if (store == "text") {
                const json& origin = entry["origin"];
                EXPECT_EQ(origin["line"], LineOf(origin["file"], key + "<" + value + ">")) << key;
            }
        }
        EXPECT_EQ(dump["entries"].size(), 6u);  // Top, A (the group's), B, C, both K
        EXPECT_EQ(dump["unreachable"], 1);      // "Spaced Key" keeps its blank
    }
}

TEST_F(ToolTree, DiffReportsAddedRemovedAndChangedWithOrigins) {
    Write("Clns/A1/ImgResCln.pp", "<S>\nSame<1>\nX<1>\nY<2>\n");
    const std::string a2 = Write("Clns/A2/ImgResCln.pp", "<S>\nSame<1>\n\nX<3>\nZ<4>\n");
    Write("ImgResBase.pp", "<S>\nBase<0>\n");
    const std::string diff = "diff " + Options() + " -A A1 --to-clinical A2";
    const ToolRun text = RunTool(diff);
    EXPECT_EQ(text.status, 1) << text.err;
    EXPECT_NE(
        text.out.find("-  S  X  1  Clns/A1/ImgResCln.pp:3\n+  S  X  3  Clns/A2/ImgResCln.pp:4\n"
                      "-  S  Y  2  Clns/A1/ImgResCln.pp:4\n+  S  Z  4  Clns/A2/ImgResCln.pp:5\n"
                      "1 changed, 1 added, 1 removed\n"),
        std::string::npos)
        << text.out;
    const json changes = RunTool(diff + " --json").Json()["changes"];
    ASSERT_EQ(changes.size(), 3u);
    EXPECT_EQ(changes[0]["to"], json::parse(R"({"value": "3", "origin": {"layer": "clinical",
                                                "file": ")" +
                                            a2 + R"(", "line": 4}})"));
    EXPECT_EQ(changes[1]["change"], "removed");
    EXPECT_TRUE(changes[1]["to"].is_null() && changes[2]["from"].is_null());
}

// Each construct with the line and column (characters, from 1) where lint reports it; a
// trailing comment silences the rules it names on its own line only.
TEST(ParamLint, FindsEachConstructAtItsPosition) {
    const struct {
        const char* text;
        const char* rule;
        size_t line, column;
    } cases[] = {
        {"A<1> <> B<2>\n", "empty-tag", 1, 6},
        {"<S>\nA<1>\n<T>\nA<2>\n<S>\n  A<3>\n", "shadowed-in-file", 6, 3},
        {"A<1> A<2>\n", "shadowed-in-file", 1, 6},
        {"\xC3\xA9t\xC3\xA9<1> \xC3\xA9t\xC3\xA9<2>\n", "shadowed-in-file", 1, 8},
        {"Key<1 # quendel-lint: disable=bare-key\n", "unclosed-value", 1, 4},
        {"A<1> # quendel-lint: disable=shadowed-in-file\nA<2>\n", "shadowed-in-file", 2, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const FileLint lint = LintText(c.text, "f.pp");
        ASSERT_EQ(lint.m_findings.size(), 1u) << lint.m_findings[0].m_message;
        EXPECT_EQ(lint.m_findings[0].m_rule, c.rule) << lint.m_findings[0].m_message;
        EXPECT_EQ(lint.m_findings[0].m_line, c.line);
        EXPECT_EQ(lint.m_findings[0].m_column, c.column);
    }
    // What reads as meant is not reported: trailing comments, blanks around pieces, tabs.
    for (const char* clean :
         {"Gain<1>   # dB > 0\n", "  Mode < B >   Depth<10>\r\n", "<:Extra> Size<4>\n\t# note\n",
          "[Sec] Key<1>\n", "<A::B>K<v>\n", "Key<1  # quendel-lint: disable=unclosed-value\n",
          "A<1> A<2 # quendel-lint: disable=unclosed-value,shadowed-in-file\n"}) {
        EXPECT_TRUE(LintText(clean, "f.pp").m_findings.empty()) << clean;
    }
}

// Every file of the fuzz corpus (each piece of an input a file) and of the lint examples gives
// the findings recorded from the scanner that read the text before the parser told lint, and
// lint's entries that count (the last setting of a key) are those the parser stores.
TEST(ParamLint, FindingsAsRecordedAndEntriesAsParsed) {
    const auto check = [](const std::string& text, std::vector<std::string> findings) {
        const FileLint lint = LintText(text, "f.pp");
        std::vector<std::string> found;
        for (const LintFinding& f : lint.m_findings) {
            found.push_back(std::to_string(f.m_line) + ":" + std::to_string(f.m_column) + ": " +
                            f.m_rule + ": " + f.m_message);
        }
        std::sort(found.begin(), found.end());
        std::sort(findings.begin(), findings.end());
        EXPECT_EQ(found, findings);

        ParamFile file("f.pp");
        file.ParseText(text, "");
        std::map<std::pair<std::string, std::string>, std::string> parsed, live;
        file.ForEachList([&](const std::string& section, const BlockList& list) {
            for (const auto& [key, value] : list.m_values) {
                parsed[{section, key}] = value.m_text;
            }
        });
        for (const LintEntry& entry : lint.m_entries) {
            if (entry.m_live) {
                EXPECT_TRUE(
                    live.insert({{lint.m_sections[entry.m_section], entry.m_key}, entry.m_value})
                        .second);
            }
        }
        EXPECT_EQ(live, parsed);
    };
    std::ifstream golden(kSource + "/tests/lint_findings.golden", std::ios::binary);
    std::map<std::string, std::vector<std::string>> expected;
    std::string input;
    for (std::string line; std::getline(golden, line);) {
        if (line.rfind("== ", 0) == 0) {
            input = line.substr(3);
            expected[input];
        } else {
            expected[input].push_back(line);
        }
    }
    ASSERT_GT(expected.size(), 100u);
    for (const auto& [name, findings] : expected) {
        SCOPED_TRACE(name);
        const size_t mark = name.find('#');
        const std::string bytes = ReadWholeFile(kSource + "/" + name.substr(0, mark));
        std::string text = bytes;
        if (mark != std::string::npos) {
            std::istringstream pieces(bytes);
            for (int i = 0; i <= std::stoi(name.substr(mark + 1)); ++i) {
                std::getline(pieces, text, '\x1e');
            }
        }
        check(text, findings);
    }
    // Tags of 100 levels and of their first 64 and one more make two lists.
    check("<" + ChainPath(100) + ">K<1>\n<" + ChainPath(64) + ":b>K<2>\n", {});
}

// Slips one edit away (left out, added, replaced, swapped) are suggested, the first in byte
// order when several are; nothing farther, and nothing for a known name.
TEST(ParamLint, SuggestsNamesOneSlipAway) {
    NameSuggestion names;
    for (const char* name : {"Gain", "DycFEDRSetting", "Mode", "Model"}) {
        names.Add(name);
    }
    const std::pair<const char*, const char*> cases[] = {
        {"Gian", "Gain"},  {"DycFEDRSeting", "DycFEDRSetting"},
        {"Gainn", "Gain"}, {"Gbin", "Gain"},
        {"Modes", "Mode"}, {"Mod", "Mode"},
        {"Gaaain", ""},    {"Gain", ""},
        {"igan", ""},      {"Gixn", ""},  // "xi" is no swap of "ai"
        {"", ""},
    };
    for (const auto& [asked, nearest] : cases) {
        EXPECT_EQ(names.Nearest(asked), nearest) << asked;
    }
}

// The base-level value's type as the strict conversions read it, and what reads as that type.
TEST(ParamLint, ChecksValuesAgainstTheBaseType) {
    const std::tuple<const char*, ValueKind, size_t> shapes[] = {
        // the count of a list
        {"100", ValueKind::kInt, 0},
        {"-0.5", ValueKind::kDecimal, 0},
        {"TRUE", ValueKind::kBool, 0},
        {"1, 2,3", ValueKind::kIntList, 3},
        {"1, 2.5", ValueKind::kDecimalList, 2},
        {"true, false", ValueKind::kBoolList, 2},
        {"General Imaging", ValueKind::kOther, 0},
        {"", ValueKind::kOther, 0},
        {"1e3", ValueKind::kOther, 0}};
    for (const auto& [text, kind, count] : shapes) {
        EXPECT_EQ(ShapeOf(text).m_kind, kind) << text;
        EXPECT_EQ(IsList(kind) ? ShapeOf(text).m_count : 0, count) << text;
    }
    const std::tuple<ValueKind, const char*, bool> reads[] = {
        {ValueKind::kInt, "1O", false},           {ValueKind::kInt, "2.5", true},
        {ValueKind::kBool, "ture", false},        {ValueKind::kBool, "1", true},
        {ValueKind::kDecimalList, "1, x", false}, {ValueKind::kBoolList, "true, 0", true},
    };
    for (const auto& [kind, text, ok] : reads) {
        size_t count = 0;
        EXPECT_EQ(ReadsAs(kind, text, count), ok) << text;
    }
}

// The lint example tree holds a case of every rule: each is found, with its did-you-mean, in
// the SARIF log as in the compiler form; rules go quiet by option or by comment; the shipped
// example tree is clean, but for the product files when no product rule is set.
TEST(ToolExampleTree, LintFindsEachRuleAcrossTheLayers) {
    const ToolRun sarif = RunTool("lint --root examples/lint --format sarif");
    ASSERT_EQ(sarif.status, 1) << sarif.err;
    const json log = sarif.Json();
    EXPECT_EQ(log["version"], "2.1.0");
    EXPECT_TRUE(log["$schema"].is_string());
    const json& driver = log["runs"].at(0)["tool"]["driver"];
    EXPECT_EQ(driver["name"], "quendel");
    EXPECT_TRUE(driver["version"].is_string());
    std::set<std::string> rules;
    for (const json& rule : driver["rules"]) {
        EXPECT_TRUE(rule["shortDescription"]["text"].is_string());
        // The schema's rules need a schema (schema_tool_test covers them).
        if (rule["id"].get<std::string>().rfind("schema-", 0) != 0) {
            rules.insert(rule["id"].get<std::string>());
        }
    }
    std::set<std::string> found;
    std::vector<std::string> lines;
    for (const json& result : log["runs"].at(0)["results"]) {
        const json& at = result["locations"].at(0)["physicalLocation"];
        EXPECT_EQ(rules.count(result["ruleId"]), 1u);
        EXPECT_EQ(result["level"], "warning");
        found.insert(result["ruleId"].get<std::string>());
        lines.push_back(at["artifactLocation"]["uri"].get<std::string>() + ":" +
                        std::to_string(at["region"]["startLine"].get<int>()) + ":" +
                        std::to_string(at["region"]["startColumn"].get<int>()) +
                        ": warning: " + result["message"]["text"].get<std::string>() + " [" +
                        result["ruleId"].get<std::string>() + "]\n");
    }
    EXPECT_EQ(found, rules);
    const ToolRun text = RunTool("lint --root examples/lint");
    EXPECT_EQ(text.out, std::accumulate(lines.begin(), lines.end(), std::string()));
    const std::string group = "examples/lint/dev/Quendel/Convex/ImgResGrp.pp:";
    for (const std::string& line :
         {group + "3:2: warning: no base-level file defines \"DycFEDRSeting\" in section "
                  "\"DynamicControl\": this override changes nothing (did you mean "
                  "\"DycFEDRSetting\"?) [unknown-override]",
          group + "7:2: warning: no base-level file defines section \"Gian\": this override of "
                  "\"MasterGain\" changes nothing (did you mean section \"Gain\"?) "
                  "[unknown-override]"}) {
        EXPECT_NE(text.out.find(line + "\n"), std::string::npos) << line << "\n" << text.out;
    }
    EXPECT_EQ(text.out.find("Convex/CX5/Abdomen/ImgResCln.pp:4:"), std::string::npos);

    const ToolRun quiet =
        RunTool("lint --root examples/lint --json --disable type-mismatch --disable dead-file");
    EXPECT_EQ(quiet.Json()["findings"].size(), lines.size() - 4);
    const ToolRun piped = RunTool("lint - < examples/lint/dev/Quendel/Convex/ImgResGrp.pp");
    EXPECT_EQ(piped.status, 1);
    EXPECT_EQ(piped.out.rfind("<stdin>:15:2: warning: key \"ContrastDycPivotPt\" set again", 0),
              0u);
    const ToolRun clean = RunTool("lint --settings examples/host.ini --json");
    EXPECT_EQ(clean.status, 0) << clean.out;
    EXPECT_EQ(clean.Json()["files"].size(), 22u);
    const ToolRun noRule = RunTool("lint --root examples/shipped");
    EXPECT_EQ(std::count(noRule.out.begin(), noRule.out.end(), '\n'), 3) << noRule.out;
}

TEST_F(ToolTree, LintReportsFilesPositionsAndListedFiles) {
    Write("Common/Here.pp", "<S>\nA<1>\n");
    const std::string config =
        Write("FileConfig.pp",
              "FileNumbers<2>\nFile0<Common/Here.pp>\nFile1<Common/Gone.pp>\n"
              "File2<Common/Here.pp>\n");
    // A list whose element count varies across several files has no one count to tell of.
    const std::string base = Write("ImgResBase.pp", "<L>\nList<1, 2>\n<S>\n  Key<1\n");
    const std::pair<const char*, const char*> lists[] = {
        {"G", "1, 2"}, {"H", "1"}, {"I", "1, 2, 3"}};
    for (const auto& [group, list] : lists) {
        Write(std::string(group) + "/ImgResGrp.pp", std::string("<L>\nList<") + list + ">\n");
    }
    const ToolRun text = RunTool("lint " + Quoted(base));
    EXPECT_EQ(text.status, 1);
    EXPECT_EQ(text.out.rfind(base + ":4:6: warning: ", 0), 0u) << text.out;

    const ToolRun run = RunTool("lint --json --root " + Quoted(Root()));
    EXPECT_EQ(run.status, 1);
    std::vector<std::tuple<std::string, std::string, size_t>> found;
    const json lint = run.Json();
    for (const json& f : lint["findings"]) {
        found.emplace_back(f["file"], f["code"], f["line"]);
    }
    const std::vector<std::tuple<std::string, std::string, size_t>> expected = {
        {config, "missing-file", 3}, {config, "file-count", 4}, {base, "unclosed-value", 4}};
    EXPECT_EQ(found, expected);
}

}  // namespace
