// `quendel lsp` on a copy of the shipped example tree, driven through pipes: answers taken from
// the buffers for the selection a file's path names, the quick fix of a finding, the default
// selection switched by command, and an edit of the base file re-checking files not open.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "LspSession.h"
#include "TestSupport.h"

namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

class LspTree : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::copy(std::string(QUENDEL_SOURCE_DIR) + "/examples/shipped", m_dir.Path() + "/shipped",
                 fs::copy_options::recursive);
        m_session.Initialize({{"textDocument", {{"hover", {{"contentFormat", {"markdown"}}}}}}});
    }
    std::string Uri(const std::string& relative) const {
        return "file://" + m_dir.Path() + "/shipped/dev/Quendel/" + relative;
    }
    std::string DiskText(const std::string& relative) const {
        return ReadWholeFile(m_dir.Path() + "/shipped/dev/Quendel/" + relative);
    }
    void Open(const std::string& relative, const std::string& text) {
        m_session.Notify("textDocument/didOpen", {{"textDocument",
                                                   {{"uri", Uri(relative)},
                                                    {"languageId", "quendel"},
                                                    {"version", 1},
                                                    {"text", text}}}});
    }
    Json Ask(const std::string& method, const std::string& relative, int line, int character) {
        return m_session.Request(
            ++m_id, method,
            {{"textDocument", {{"uri", Uri(relative)}}},
             {"position", {{"line", line}, {"character", character}}}})["result"];
    }
    std::set<std::string> Codes(const Json& published) {
        std::set<std::string> codes;
        for (const Json& diagnostic : published["diagnostics"]) {
            codes.insert(diagnostic["code"].get<std::string>());
        }
        return codes;
    }

    TempDir m_dir;
    LspSession m_session;
    int m_id = 0;
};

constexpr char kAbdomen[] = "Convex/CX5/Abdomen/ImgResCln.pp";

TEST_F(LspTree, AnswersComeFromTheBufferForTheSelectionItsPathNames) {
    // Unsaved: a misspelt override, and a value with markup of its own.
    std::string text = DiskText(kAbdomen);
    text.replace(text.find("DycPivotOutValue"), 16, "DycPivotOutValu");
    text += "<Gain>\nTgcCurve<[x](http://e) `y`>\n";
    Open(kAbdomen, text);
    const Json published = m_session.Diagnostics(Uri(kAbdomen));
    // The schema beside the tree checks each value too: the misspelt key is none of the closed
    // section's, the list with markup no list of numbers.
    EXPECT_EQ(Codes(published), (std::set<std::string>{"unknown-override", "type-mismatch",
                                                       "schema-unknown-key", "schema-type"}));
    Json unknown;
    for (const Json& diagnostic : published["diagnostics"]) {
        if (diagnostic["code"] == "unknown-override") {
            unknown = diagnostic;
        }
    }
    ASSERT_EQ(unknown["code"], "unknown-override");
    EXPECT_EQ(unknown["range"]["start"], Json({{"line", 2}, {"character", 0}}));
    const Json& related = unknown["relatedInformation"][0];
    EXPECT_EQ(related["location"]["uri"], Uri("ImgResBase.pp"));
    EXPECT_EQ(related["location"]["range"]["start"]["line"], 11);
    EXPECT_NE(related["message"].get<std::string>().find("\"DycPivotOutValue\""),
              std::string::npos);

    const Json actions = m_session.Request(
        ++m_id, "textDocument/codeAction",
        {{"textDocument", {{"uri", Uri(kAbdomen)}}},
         {"range",
          {{"start", {{"line", 2}, {"character", 0}}}, {"end", {{"line", 2}, {"character", 3}}}}},
         {"context", {{"diagnostics", Json::array()}}}})["result"];
    ASSERT_EQ(actions.size(), 1u);
    EXPECT_EQ(actions[0]["kind"], "quickfix");
    EXPECT_EQ(actions[0]["edit"]["changes"][Uri(kAbdomen)],
              Json::array({{{"range",
                             {{"start", {{"line", 2}, {"character", 0}}},
                              {"end", {{"line", 2}, {"character", 15}}}}},
                            {"newText", "DycPivotOutValue"}}}));

    // The file's own setting wins over the base level's, which shows struck through.
    std::string hover = Ask("textDocument/hover", kAbdomen, 4, 2)["contents"]["value"];
    EXPECT_NE(hover.find("schema: list of 9 numbers\\, each from 0 to 1"), std::string::npos)
        << hover;
    EXPECT_NE(hover.find("`Convex` / `CX5` / `Abdomen`"), std::string::npos) << hover;
    EXPECT_NE(hover.find("**wins**: `0.0, 0.14, 0.28, 0.43, 0.59, 0.74, 0.86, 0.95, 1.0` group "
                         "clinical `Convex/CX5/Abdomen/ImgResCln.pp:5`"),
              std::string::npos)
        << hover;
    EXPECT_NE(hover.find("outranked: ~~`0.0, 0.12, 0.25, 0.41, 0.58, 0.73, 0.86, 0.95, 1.0`~~ "
                         "base `ImgResBase.pp:27`"),
              std::string::npos)
        << hover;
    // Markup in a value stays code: a longer fence, padded with a space at each end where it ends
    // in a backtick.
    hover = Ask("textDocument/hover", kAbdomen, 6, 2)["contents"]["value"];
    EXPECT_NE(hover.find("= `` [x](http://e) `y` ``"), std::string::npos) << hover;
    EXPECT_EQ(hover.find("wins**: [x]"), std::string::npos) << hover;

    // Completion: the keys the base level defines in the line's section, the sections in a tag.
    Json items = Ask("textDocument/completion", kAbdomen, 2, 3)["items"];
    std::set<std::string> labels;
    for (const Json& item : items) {
        labels.insert(item["label"].get<std::string>());
    }
    EXPECT_EQ(labels.count("DycPivotOutValue"), 1u);
    EXPECT_EQ(labels.count("TgcCurve"), 0u);
    items = Ask("textDocument/completion", kAbdomen, 3, 2)["items"];
    labels.clear();
    for (const Json& item : items) {
        labels.insert(item["label"].get<std::string>());
    }
    EXPECT_EQ(labels.count("Compression:Curves"), 1u);
    EXPECT_EQ(labels.count("DycPivotOutValue"), 0u);
    EXPECT_EQ(ReadWholeFile(m_dir.Path() + "/shipped/dev/Quendel/" + kAbdomen).find("Valu<"),
              std::string::npos);
}

TEST_F(LspTree, DefinitionFollowsTheDefaultSelection) {
    const std::string group = "Convex/ImgResGrp.pp";
    Open(group, DiskText(group));
    // A group file is read by every selection of its group: the clinical setting left open
    // falls to the first the tree offers, Abdomen, whose clinical file outranks the group.
    EXPECT_EQ(Ask("textDocument/definition", group, 2, 3),
              Json({{"uri", Uri("Clns/Abdomen/ImgResCln.pp")},
                    {"range",
                     {{"start", {{"line", 2}, {"character", 0}}},
                      {"end", {{"line", 2}, {"character", 20}}}}}}));
    // The group's setting does not win: a hint after it says which does.
    const Json hints = m_session.Request(++m_id, "textDocument/inlayHint",
                                         {{"textDocument", {{"uri", Uri(group)}}},
                                          {"range",
                                           {{"start", {{"line", 0}, {"character", 0}}},
                                            {"end", {{"line", 20}, {"character", 0}}}}}})["result"];
    ASSERT_EQ(hints.size(), 1u);
    EXPECT_EQ(hints[0]["label"], "outranked by Clns/Abdomen/ImgResCln.pp:3");
    EXPECT_EQ(hints[0]["position"], Json({{"line", 2}, {"character", 25}}));
    const Json chosen = m_session.Request(++m_id, "workspace/executeCommand",
                                          {{"command", "quendel.selectSelection"},
                                           {"arguments", {{{"clinical", "Cardiac"}}}}})["result"];
    EXPECT_EQ(chosen["selection"]["clinical"], "Cardiac");
    EXPECT_EQ(chosen["offered"].size(), 12u);
    EXPECT_EQ(Ask("textDocument/definition", group, 2, 3)["uri"], Uri("Clns/Cardiac/ImgResCln.pp"));
    EXPECT_NE(Ask("textDocument/hover", group, 2, 3)["contents"]["value"].get<std::string>().find(
                  "`Cardiac`"),
              std::string::npos);
    const Json refused = m_session.Request(
        ++m_id, "workspace/executeCommand",
        {{"command", "quendel.selectSelection"}, {"arguments", {"Convex", "CX5", "Nowhere"}}});
    EXPECT_EQ(refused["error"]["code"], -32602);
    const Json references = Ask("textDocument/references", group, 2, 3);
    EXPECT_EQ(references.size(), 5u);
}

TEST_F(LspTree, AnEditOfTheBaseFileRechecksTheFilesItAffects) {
    const std::string base = "ImgResBase.pp";
    Open(base, DiskText(base));
    EXPECT_EQ(m_session.Diagnostics(Uri(base))["diagnostics"], Json::array());
    // "DycPivotOutValue" loses its last two letters: both overrides of it, in files not open,
    // become unknown; putting them back clears them.
    const auto edit = [&](int version, int from, int to, const std::string& text) {
        m_session.Notify("textDocument/didChange",
                         {{"textDocument", {{"uri", Uri(base)}, {"version", version}}},
                          {"contentChanges",
                           {{{"range",
                              {{"start", {{"line", 11}, {"character", from}}},
                               {"end", {{"line", 11}, {"character", to}}}}},
                             {"text", text}}}}});
    };
    edit(2, 15, 17, "");
    for (const char* file : {kAbdomen, "Convex/CX9/Abdomen/ImgResCln.pp"}) {
        const Json published = m_session.Diagnostics(Uri(file));
        EXPECT_EQ(Codes(published), std::set<std::string>{"unknown-override"}) << file;
        EXPECT_FALSE(published.contains("version"));
    }
    // A request between the edit and the publication does not swallow it.
    edit(3, 15, 15, "ue");
    EXPECT_FALSE(Ask("textDocument/hover", base, 11, 3).is_null());
    EXPECT_EQ(m_session.Diagnostics(Uri(kAbdomen))["diagnostics"], Json::array());
    EXPECT_EQ(m_session.Diagnostics(Uri("Convex/CX9/Abdomen/ImgResCln.pp"))["diagnostics"],
              Json::array());
}

}  // namespace
