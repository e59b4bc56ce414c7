// A real editor on `quendel lsp`: Debian's neovim, headless, with its built-in LSP client
// (lsp_neovim.lua), opens a file of a copy of the shipped example tree, adds a faulty line to
// the buffer without saving it, and writes down what it received: the diagnostics on open and
// after the change, the document symbols, and how the server ended.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "ToolRun.h"

namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

TEST(LspNeovim, TheBuiltInClientGetsDiagnosticsAndSymbols) {
    TempDir scratch;
    fs::copy(std::string(QUENDEL_SOURCE_DIR) + "/examples/shipped", scratch.Path() + "/shipped",
             fs::copy_options::recursive);
    const std::string file = scratch.Path() + "/shipped/dev/Quendel/Convex/ImgResGrp.pp";
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

    // The shipped file is clean; the line added to the buffer leaves a value open. Neovim shows
    // columns in bytes: the "<" after "Schärfe<1> Mode" is byte 16, UTF-16 unit 15.
    EXPECT_EQ(received["published"][0]["diagnostics"], Json::array());
    ASSERT_EQ(received["diagnostics"].size(), 1u);
    const Json& diagnostic = received["diagnostics"][0];
    EXPECT_EQ(diagnostic["code"], "unclosed-value");
    EXPECT_EQ(diagnostic["lnum"], 0);
    EXPECT_EQ(diagnostic["col"], 16);

    std::vector<std::string> names;
    for (const Json& symbol : received["symbols"]) {
        names.push_back(symbol["name"]);
    }
    EXPECT_EQ(names,
              (std::vector<std::string>{"Sch\xC3\xA4rfe", "Mode", "DynamicControl", "Gain"}));
    EXPECT_EQ(received["symbols"][2]["children"][0]["name"], "DycDesiredPivotValue");
    EXPECT_EQ(received["symbols"][2]["children"][0]["range"]["start"]["line"], 3);

    // Neovim's shutdown and exit end the server with 0; the file on disk is as it was.
    EXPECT_EQ(received["exit"]["code"], 0);
    EXPECT_EQ(ReadWholeFile(file), onDisk);
}

}  // namespace
