// The schema through the quendel tool: check of a tree, of files and of one selection in both
// stores, each rule on a mistake planted in a copy of the example tree, lint with a schema,
// what explain, get and dump show of it, and a schema inferred from a tree accepting it.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>

#include "TestSupport.h"
#include "ToolRun.h"

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

const std::string kSettings = "--settings examples/host.ini";
const std::string kSchema = "examples/shipped/dev/Quendel.schema.json";

// A copy of the example tree with one mistake of each kind; the other host settings stay.
class PlantedTree : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::copy(std::string(QUENDEL_SOURCE_DIR) + "/examples/shipped", m_dir.Path() + "/shipped",
                 fs::copy_options::recursive);
        Replace("Clns/Cardiac/ImgResCln.pp", "Frames<1>", "Frames<1.5>");
        Replace("Convex/CX5/ImgResXdr.pp", "MasterGain<2>", "MasterGain<30>");
        Replace("Clns/Abdomen/ImgResCln.pp", "Mode<Medium>", "Mode<Medum>");
        Replace("Convex/ImgResGrp.pp", ", 4.8>", ">");
        Replace("ImgResBase.pp", "Version<3.2.0>\n", "");
        Replace("Clns/Abdomen/ImgResCln.pp", "Strength<3>",
                "Strength<3>\n<Gain>\nLateralGainLimits<-8, 8>");
        Replace("Convex/CX5/Abdomen/ImgResCln.pp", "<Compression",
                "<Display>\nBrightnes<1>\n<Compression");
    }
    void Replace(const std::string& file, const std::string& from, const std::string& to) {
        const std::string path = Tree() + file;
        std::string text = ReadWholeFile(path);
        const size_t at = text.find(from);
        ASSERT_NE(at, std::string::npos) << file << ": " << from;
        m_dir.Write("shipped/dev/Quendel/" + file, text.replace(at, from.size(), to));
    }
    std::string Tree() const { return m_dir.Path() + "/shipped/dev/Quendel/"; }
    std::string Options() const {
        return kSettings + " --root " + Quoted(m_dir.Path() + "/shipped");
    }

    TempDir m_dir;
};

}  // namespace

// The example tree keeps its schema, checked whole (the schema beside it found by default),
// file by file, and as selections of both stores.
TEST(SchemaTool, ExampleTreeKeepsItsSchema) {
    TempDir packed;
    packed.Write("dev/.keep", "");
    ASSERT_EQ(RunTool("pack examples/shipped/dev/Quendel -o " +
                      Quoted(packed.Path() + "/dev/Quendel.bin"))
                  .status,
              0);
    const struct {
        std::string args;
        std::string says;
    } cases[] = {
        {"check " + kSettings, "quendel check: 0 findings in 22 files"},
        {"check examples/shipped --schema " + kSchema, "0 findings in 21 files"},
        {"check " + kSettings + " -F Convex -P CX5 -A Abdomen",
         "0 findings (text store, F=Convex P=CX5 A=Abdomen)"},
        {"check " + kSettings + " --store bin --root " + Quoted(packed.Path()) + " --schema " +
             kSchema + " -F Linear -P LN18 -A Vascular",
         "0 findings (binary store, F=Linear P=LN18 A=Vascular)"},
    };
    for (const auto& c : cases) {
        const ToolRun run = RunTool(c.args);
        EXPECT_EQ(run.status, 0) << c.args << "\n" << run.out << run.err;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << c.args << "\n" << run.err;
    }
}

TEST_F(PlantedTree, EachRuleOnceAtItsMistake) {
    const ToolRun run = RunTool("check " + Options());
    EXPECT_EQ(run.status, 1) << run.err;
    const std::string tree = Tree();
    EXPECT_EQ(run.out,
              tree +
                  "Clns/Abdomen/ImgResCln.pp:6:20: warning: value \"Medum\" of Mode is not "
                  "one of \"Off\", \"Low\", \"Medium\", \"High\" (did you mean \"Medium\"?) "
                  "[schema-enum]\n" +
                  tree +
                  "Clns/Abdomen/ImgResCln.pp:8:1: warning: \"LateralGainLimits\" is set in "
                  "a clinical file, where the schema lets only base, group and transducer "
                  "files set it [schema-layer]\n" +
                  tree +
                  "Clns/Cardiac/ImgResCln.pp:7:1: warning: value \"1.5\" of Frames is not "
                  "a whole number: an int query reads it as 1, cutting the fraction "
                  "[schema-type]\n" +
                  tree +
                  "Convex/CX5/Abdomen/ImgResCln.pp:5:1: warning: section \"Display\" is "
                  "closed (/properties/Display): it declares no key \"Brightnes\" (did "
                  "you mean \"Brightness\"?) [schema-unknown-key]\n" +
                  tree +
                  "Convex/CX5/ImgResXdr.pp:3:1: warning: value 30 dB of MasterGain is "
                  "above its maximum 20 dB [schema-range]\n" +
                  tree +
                  "Convex/ImgResGrp.pp:7:1: warning: list of 7 elements for TgcCurve, "
                  "where the schema asks for exactly 8 [schema-length]\n" +
                  tree +
                  "ImgResBase.pp:2:1: warning: section \"GlobalParameters\" requires key "
                  "\"Version\", which no base-level file sets: a selection of no group, "
                  "transducer or clinical setting lacks it [schema-required]\n");
    // Lint with the schema adds its findings to lint's own; SARIF names the rules it reports.
    const ToolRun lint = RunTool("lint " + Options() + " --schema " + kSchema + " --json");
    ASSERT_EQ(lint.status, 1) << lint.err;
    std::set<std::string> codes;
    const json linted = lint.Json();
    for (const json& finding : linted["findings"]) {
        codes.insert(finding["code"].get<std::string>());
    }
    EXPECT_EQ(codes.count("unknown-override"), 1u);
    EXPECT_EQ(codes.count("schema-unknown-key"), 1u);
    const json sarif = RunTool("check " + Options() + " --format sarif").Json();
    EXPECT_EQ(sarif["runs"][0]["results"].size(), 7u);
    // One selection: the view it merges, where the layer of a value is its winning file's.
    const ToolRun selection =
        RunTool("check " + Options() + " -F Convex -P CX5 -A Abdomen --disable schema-layer");
    EXPECT_EQ(selection.status, 1);
    EXPECT_EQ(selection.out.find("MasterGain"), std::string::npos);  // the user's 3 wins, in range
    EXPECT_EQ(selection.out.find("LateralGainLimits"), std::string::npos);
    EXPECT_NE(selection.out.find("\"Version\", which this selection"), std::string::npos);
}

// explain and get show what the schema says of a key, with the unit beside every value; dump
// writes the unit as a comment and the typed view; inference accepts the tree it came from.
TEST(SchemaTool, ShowsWhatTheSchemaSaysAndInfersOne) {
    const std::string selection = kSettings + " -F Convex -P CX5 -A Abdomen ";
    const ToolRun explain = RunTool("explain " + selection + "Gain MasterGain --schema " + kSchema);
    EXPECT_NE(explain.out.find("Gain MasterGain = 3 dB  (text store"), std::string::npos);
    EXPECT_NE(explain.out.find("  schema: integer from -20 to 20 dB, default 0: Receive gain"),
              std::string::npos);
    EXPECT_NE(explain.out.find("transducer    2 dB"), std::string::npos);
    const nlohmann::ordered_json got = nlohmann::ordered_json::parse(
        RunTool("get " + selection + "Gain TgcCurve --json --schema " + kSchema).out);
    EXPECT_EQ(got["declared"]["items"].dump(), R"({"type":"number","minimum":0,"maximum":10})");
    EXPECT_EQ(got["declared"]["unit"], "dB");
    EXPECT_TRUE(RunTool("get " + selection + "Gain Nope --json --schema " + kSchema)
                    .Json()["declared"]
                    .is_null());
    EXPECT_NE(RunTool("dump " + selection + "--section Gain --schema " + kSchema)
                  .out.find("  MasterGain<3>             # dB\n"),
              std::string::npos);
    const json view = RunTool("dump " + selection + "--json --schema " + kSchema).Json()["view"];
    EXPECT_EQ(view["Gain"]["LateralGainLimits"].dump(), "[-6,6]");
    EXPECT_EQ(view["GlobalParameters"]["Version"], "3.2.0");
    EXPECT_EQ(view["AutoContrastControl"]["Enable"], true);

    TempDir out;
    const std::string inferred = out.Path() + "/inferred.json";
    const ToolRun infer = RunTool("schema infer " + kSettings + " -o " + Quoted(inferred));
    EXPECT_EQ(infer.status, 0) << infer.err;
    EXPECT_EQ(RunTool("check " + kSettings + " --schema " + Quoted(inferred)).status, 0);
    EXPECT_EQ(RunTool("check " + selection + "--schema " + Quoted(inferred)).status, 0);
}

TEST(SchemaTool, ErrorsSayWhereAndEndWithStatusTwo) {
    TempDir dir;
    const std::string bad = dir.Write("bad.json", R"({"properties": {"Gain": {"propertes": {}}}})");
    const struct {
        std::string args;
        std::string says;
    } cases[] = {
        {"check " + kSettings + " --schema " + Quoted(bad),
         "bad.json: /properties/Gain: unknown keyword \"propertes\" (did you mean "
         "\"properties\"?)"},
        {"explain " + kSettings + " Gain MasterGain --schema " + Quoted(bad), "propertes"},
        {"check --root " + Quoted(dir.Path()),
         "no schema file " + dir.Path() + "/dev/Quendel.schema.json beside the tree"},
        {"check " + kSettings + " -F Convex examples/shipped", "not both"},
        {"schema infer --root " + Quoted(dir.Path()), "no parameter tree"},
    };
    for (const auto& c : cases) {
        const ToolRun run = RunTool(c.args);
        EXPECT_EQ(run.status, 2) << c.args;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << c.args << "\n" << run.err;
    }
    // Under --json (or --format json) each failure is one error document naming the file.
    const std::string missing = dir.Path() + "/dev/Quendel.schema.json";
    const std::pair<std::string, std::string> documents[] = {
        {"check " + kSettings + " --format json --schema " + Quoted(bad), bad},
        {"check --root " + Quoted(dir.Path()) + " --json", missing},
        {"get " + kSettings + " -F Convex -P CX5 -A Abdomen Gain MasterGain --json --schema " +
             Quoted(bad),
         bad},
    };
    for (const auto& [args, path] : documents) {
        const ToolRun run = RunTool(args);
        EXPECT_EQ(run.status, 2) << args;
        EXPECT_EQ(run.Json()["error"]["path"], path) << args << "\n" << run.out;
    }
}
