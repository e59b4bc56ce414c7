// A real editor on `quendel lsp`: Debian's neovim, headless, with its built-in LSP client
// (lsp_neovim.lua), opens a file of a copy of the shipped example tree, adds a faulty line and
// misspells a key in the buffer without saving it, and writes down what it received: the
// diagnostics on open and after the change, a hover, a definition, a completion, the code
// actions (whose quick fix it applies), the document symbols, and how the server ended.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "ToolRun.h"

namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

TEST(LspNeovim, TheBuiltInClientGetsEachFeature) {
    TempDir scratch;
    fs::copy(std::string(QUENDEL_SOURCE_DIR) + "/examples/shipped", scratch.Path() + "/shipped",
             fs::copy_options::recursive);
    const std::string file =
        scratch.Path() + "/shipped/dev/Quendel/Convex/CX5/Abdomen/ImgResCln.pp";
    const std::string tree = "file://" + scratch.Path() + "/shipped/dev/Quendel/";
    const std::string onDisk = ReadWholeFile(file);
    const std::string out = scratch.Path() + "/received.json";
    const ToolRun run = RunCommand(
        "XDG_CACHE_HOME=" + Quoted(scratch.Path()) + " XDG_STATE_HOME=" + Quoted(scratch.Path()) +
        " QUENDEL_TOOL=" + Quoted(QUENDEL_TOOL) + " LSP_FILE=" + Quoted(file) +
        " LSP_OUT=" + Quoted(out) + " timeout -k 5 90 " + Quoted(QUENDEL_NVIM) +
        " --headless --clean -n -i NONE -c " +
        Quoted("luafile " + std::string(QUENDEL_SOURCE_DIR) + "/tests/lsp_neovim.lua") +
        " </dev/null");
    ASSERT_TRUE(fs::exists(out)) << "neovim ended with " << run.status << ": " << run.err;
    const Json received = Json::parse(ReadWholeFile(out));
    ASSERT_FALSE(received.contains("error")) << received["error"];
    EXPECT_EQ(run.status, 0);

    // The shipped file is clean. In the buffer, the added line leaves a value open: neovim shows
    // columns in bytes, and the "<" after "Schärfe<1> Mode" is byte 16, UTF-16 unit 15. The
    // misspelt key is an override of nothing, with the name it may mean as related information.
    EXPECT_EQ(received["opened"]["diagnostics"], Json::array());
    std::map<std::string, Json> byCode;
    for (const Json& diagnostic : received["diagnostics"]) {
        byCode[diagnostic["code"].get<std::string>() + ":" +
               std::to_string(diagnostic["lnum"].get<int>())] = diagnostic;
    }
    ASSERT_EQ(byCode.count("unclosed-value:0"), 1u) << received["diagnostics"];
    EXPECT_EQ(byCode["unclosed-value:0"]["col"], 16);
    ASSERT_EQ(byCode.count("unknown-override:3"), 1u) << received["diagnostics"];
    const Json& related =
        byCode["unknown-override:3"]["user_data"]["lsp"]["relatedInformation"][0]["location"];
    EXPECT_EQ(related["uri"], tree + "ImgResBase.pp");
    EXPECT_EQ(related["range"]["start"]["line"], 11);

    // The hover names the selection the path gives and the file that wins; the definition of a
    // section tag is where the base level names it first (the base file, not the fallbacks);
    // completion offers the section's keys.
    const std::string hover = received["hover"]["contents"]["value"];
    EXPECT_NE(hover.find("`Convex` / `CX5` / `Abdomen`"), std::string::npos) << hover;
    EXPECT_NE(hover.find("**wins**: `0.0, 0.14"), std::string::npos) << hover;
    EXPECT_NE(hover.find("~~`0.0, 0.12"), std::string::npos) << hover;
    const Json definition = received["definition"];
    EXPECT_EQ(definition["uri"], tree + "ImgResBase.pp");
    EXPECT_EQ(definition["range"]["start"]["line"], 4);
    std::vector<std::string> labels;
    for (const Json& item : received["completion"]["items"]) {
        labels.push_back(item["label"]);
    }
    EXPECT_NE(std::find(labels.begin(), labels.end(), "DycPivotOutValue"), labels.end());
    ASSERT_FALSE(received["actions"].empty());
    EXPECT_EQ(received["actions"][0]["kind"], "quickfix");
    EXPECT_EQ(received["fixed"], "DycPivotOutValue<122>");

    std::vector<std::string> names;
    for (const Json& symbol : received["symbols"]) {
        names.push_back(symbol["name"]);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Sch\xC3\xA4rfe", "Mode", "DynamicControl",
                                               "Compression:Curves"}));

    // Neovim's shutdown and exit end the server with 0; the file on disk is as it was.
    EXPECT_EQ(received["exit"]["code"], 0);
    EXPECT_EQ(ReadWholeFile(file), onDisk);
}

}  // namespace
