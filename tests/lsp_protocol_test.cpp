// `quendel lsp` driven through pipes as an editor drives it: the session's lifecycle and exit
// statuses, the error of each kind of bad message, framing that is broken in each way, edits
// counted in each position encoding, and the symbols and diagnostics of a buffer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "LspSession.h"
#include "TestSupport.h"

namespace {

using Json = nlohmann::json;

constexpr char kUri[] = "file:///nowhere/Convex/ImgResGrp.pp";

Json ErrorCode(const Json& response) {
    return response.is_object() && response.contains("error") ? response["error"]["code"] : Json();
}

Json DocumentParams(const std::string& uri) {
    return {{"textDocument", {{"uri", uri}}}};
}

Json OpenParams(const std::string& uri, const std::string& text) {
    return {{"textDocument",
             {{"uri", uri}, {"languageId", "quendel"}, {"version", 1}, {"text", text}}}};
}

Json ChangeParams(const std::string& uri, int version, Json changes) {
    return {{"textDocument", {{"uri", uri}, {"version", version}}},
            {"contentChanges", std::move(changes)}};
}

Json RangeChange(int line, int from, int toLine, int to, const std::string& text) {
    return {{"range",
             {{"start", {{"line", line}, {"character", from}}},
              {"end", {{"line", toLine}, {"character", to}}}}},
            {"text", text}};
}

std::vector<std::string> Names(const Json& symbols) {
    std::vector<std::string> names;
    for (const Json& symbol : symbols) {
        names.push_back(symbol["name"]);
    }
    return names;
}

TEST(LspLifecycle, ExitStatusFollowsShutdownAndExit) {
    struct Ending {
        const char* m_name;
        bool m_initialize, m_shutdown, m_exit;
        int m_status;
    };
    for (const Ending& ending : {Ending{"shutdown, exit", true, true, true, 0},
                                 Ending{"exit without shutdown", true, false, true, 1},
                                 Ending{"exit before initialize", false, false, true, 1},
                                 Ending{"input ends after shutdown", true, true, false, 0},
                                 Ending{"input ends before shutdown", true, false, false, 1}}) {
        SCOPED_TRACE(ending.m_name);
        LspSession session;
        if (ending.m_initialize) {
            const Json result = session.Initialize();
            EXPECT_EQ(result["capabilities"]["textDocumentSync"],
                      Json({{"openClose", true}, {"change", 2}}));
            EXPECT_EQ(result["capabilities"]["documentSymbolProvider"], true);
            EXPECT_EQ(result["capabilities"]["positionEncoding"], "utf-16");
            EXPECT_EQ(result["serverInfo"]["name"], "quendel");
        }
        if (ending.m_shutdown) {
            const Json response = session.Request(1, "shutdown", nullptr);
            EXPECT_TRUE(response.contains("result") && response["result"].is_null());
        }
        if (ending.m_exit) {
            session.Notify("exit", nullptr);
        } else {
            session.CloseInput();
        }
        EXPECT_EQ(session.ExitStatus(), ending.m_status);
    }
}

TEST(LspLifecycle, RequestsOutsideTheSessionAreRefused) {
    LspSession session;
    EXPECT_EQ(ErrorCode(session.Request(1, "textDocument/documentSymbol", DocumentParams(kUri))),
              -32002);
    EXPECT_EQ(ErrorCode(session.Request(2, "shutdown", nullptr)), -32002);
    session.Notify("textDocument/didOpen", OpenParams(kUri, "Gain<1>\n"));  // dropped
    session.Initialize();
    EXPECT_EQ(ErrorCode(session.Request(3, "initialize", {{"capabilities", Json::object()}})),
              -32600);
    EXPECT_EQ(ErrorCode(session.Request(4, "textDocument/documentSymbol", DocumentParams(kUri))),
              -32803);
    EXPECT_TRUE(session.Request(5, "shutdown", nullptr)["result"].is_null());
    EXPECT_EQ(ErrorCode(session.Request(6, "textDocument/documentSymbol", DocumentParams(kUri))),
              -32600);
    session.Notify("exit", nullptr);
    EXPECT_EQ(session.ExitStatus(), 0);
}

TEST(LspErrors, EachBadMessageHasItsError) {
    struct Bad {
        const char* m_name;
        std::string m_body;
        int m_code;
        Json m_id;
    };
    const std::vector<Bad> bad = {
        {"not JSON", R"({"jsonrpc":"2.0","id":1,)", -32700, nullptr},
        {"empty body", "", -32700, nullptr},
        {"invalid UTF-8", "{\"jsonrpc\":\"2.0\",\"id\":2,\"method\":\"a\xff\"}", -32700, nullptr},
        {"half a surrogate pair", R"({"jsonrpc":"2.0","id":3,"method":"\ud800"})", -32700, nullptr},
        {"a batch", R"([{"jsonrpc":"2.0","id":4,"method":"shutdown"}])", -32600, nullptr},
        {"no version", R"({"id":5,"method":"shutdown"})", -32600, 5},
        {"an object as id", R"({"jsonrpc":"2.0","id":{"n":6},"method":"shutdown"})", -32600,
         nullptr},
        {"a number as method", R"({"jsonrpc":"2.0","id":7,"method":7})", -32600, 7},
        {"a number as params",
         R"({"jsonrpc":"2.0","id":8,"method":"textDocument/documentSymbol","params":8})", -32600,
         8},
        {"no method", R"({"jsonrpc":"2.0","id":9})", -32600, 9},
        {"unknown method", R"({"jsonrpc":"2.0","id":"ten","method":"quendel/unknown"})", -32601,
         "ten"},
        {"$/ request", R"({"jsonrpc":"2.0","id":11,"method":"$/unknown"})", -32601, 11},
        {"params without the document",
         R"({"jsonrpc":"2.0","id":12,"method":"textDocument/documentSymbol","params":{}})", -32602,
         12},
        {"a document not open",
         R"({"jsonrpc":"2.0","id":13,"method":"textDocument/documentSymbol","params":)"
         R"({"textDocument":{"uri":"file:///nowhere/ImgResBase.pp"}}})",
         -32803, 13},
    };
    LspSession session;
    session.Initialize();
    for (const Bad& message : bad) {
        SCOPED_TRACE(message.m_name);
        session.SendRaw(LspSession::Frame(message.m_body));
        const Json reply = session.Next();
        EXPECT_EQ(ErrorCode(reply), message.m_code);
        EXPECT_EQ(reply["id"], message.m_id);
    }
    // Unknown notifications, "$/" ones, a response and a change to no open document: no answer.
    for (const char* quiet :
         {R"({"jsonrpc":"2.0","method":"workspace/didChangeConfiguration","params":{}})",
          R"({"jsonrpc":"2.0","method":"$/setTrace","params":{"value":"off"}})",
          R"({"jsonrpc":"2.0","id":99,"result":null})",
          R"({"jsonrpc":"2.0","method":"$/cancelRequest","params":{"id":1}})",
          R"({"jsonrpc":"2.0","method":"textDocument/didChange","params":{"textDocument":)"
          R"({"uri":"file:///nowhere/a.pp","version":2},"contentChanges":[]}})"}) {
        session.SendRaw(LspSession::Frame(std::string(quiet)));
    }
    session.Send(LspSession::RequestMessage(20, "quendel/unknown", nullptr));
    EXPECT_EQ(session.Next()["id"], 20);
    // A request cancelled before the server reached it.
    session.SendRaw(
        LspSession::Frame(
            LspSession::RequestMessage(21, "textDocument/documentSymbol", DocumentParams(kUri))) +
        LspSession::Frame(LspSession::NotificationMessage("$/cancelRequest", {{"id", 21}})));
    const Json cancelled = session.Next();
    EXPECT_EQ(cancelled["id"], 21);
    EXPECT_EQ(ErrorCode(cancelled), -32800);
    EXPECT_NE(session.Log().find("ignored the notification workspace/didChangeConfiguration"),
              std::string::npos);
}

TEST(LspTransport, BrokenFramingIsSkippedAndTheStreamStaysInStep) {
    const auto body = [](int id) {
        return LspSession::RequestMessage(id, "quendel/unknown", nullptr).dump();
    };
    struct Framing {
        const char* m_name;
        std::string m_bytes;
        std::vector<Json> m_answered;  // ids answered before the next message; null: ParseError
        const char* m_logged;
    };
    const std::vector<Framing> framings = {
        {"text where a header belongs", "garbage\r\n", {}, "text where a message header belongs"},
        {"no Content-Length",
         "Content-Type: text/plain\r\n\r\n" + body(31),
         {},
         "without Content-Length"},
        {"unreadable Content-Length",
         "Content-Length: 12x\r\n\r\n" + body(32),
         {},
         "unreadable or conflicting Content-Length"},
        {"Content-Length too small", "Content-Length: 10\r\n\r\n" + body(33), {nullptr}, "skipped"},
        {"Content-Length too large",
         "Content-Length: 900\r\n\r\n" + body(34),
         {34},
         "is more than the message"},
        {"no blank line",
         "Content-Length: " + std::to_string(body(35).size()) + "\r\n" + body(35),
         {35},
         "no blank line"},
        {"other headers, lower case",
         "Content-Type: application/vscode-jsonrpc; charset=utf-8\r\ncontent-length: " +
             std::to_string(body(36).size()) + "\r\n\r\n" + body(36),
         {36},
         nullptr},
        {"blank lines between messages", "\r\n\r\n" + LspSession::Frame(body(37)), {37}, nullptr},
        {"a header line without end", std::string(5000, 'x'), {}, "a header line of more than"},
    };
    LspSession session;
    session.Initialize();
    int next = 100;
    for (const Framing& framing : framings) {
        SCOPED_TRACE(framing.m_name);
        session.SendRaw(framing.m_bytes + LspSession::Frame(body(next)));
        for (const Json& id : framing.m_answered) {
            const Json reply = session.Next();
            EXPECT_EQ(reply["id"], id);
            EXPECT_EQ(ErrorCode(reply), id.is_null() ? -32700 : -32601);
        }
        EXPECT_EQ(session.Next()["id"], next++);
        if (framing.m_logged != nullptr) {
            EXPECT_NE(session.Log().find(framing.m_logged), std::string::npos) << session.Log();
        }
    }
    // Over the 64 MiB limit: read past, its request answered from its first bytes.
    std::string huge =
        R"({"jsonrpc":"2.0","id":40,"method":"textDocument/didOpen","params":{"text":")";
    huge.resize((size_t{64} << 20) + 1, 'a');
    session.SendRaw(LspSession::Frame(huge) + LspSession::Frame(body(41)));
    const Json refused = session.Next();
    EXPECT_EQ(refused["id"], 40);
    EXPECT_EQ(ErrorCode(refused), -32600);
    EXPECT_EQ(session.Next()["id"], 41);
    // A body that the input ends inside.
    session.SendRaw("Content-Length: 100\r\n\r\n{\"jsonrpc\"");
    session.CloseInput();
    EXPECT_EQ(session.ExitStatus(), 1);
    EXPECT_NE(session.Log().find("the input ended inside a message: 10 of 100 bytes"),
              std::string::npos);
}

TEST(LspDocuments, EditsCountInTheNegotiatedEncoding) {
    struct Encoding {
        const char* m_name;
        int m_x;  // where the "x" of line 1 begins
    };
    // "ü" is two bytes and one UTF-16 unit; the emoji four bytes and two UTF-16 units.
    const std::string text = "<Display>\r\nMode<\xC3\xBC\xF0\x9F\x98\x80x>\r\n";
    for (const Encoding& encoding :
         {Encoding{"utf-8", 11}, Encoding{"utf-16", 8}, Encoding{"utf-32", 7}}) {
        SCOPED_TRACE(encoding.m_name);
        LspSession session;
        const Json result =
            session.Initialize({{"general", {{"positionEncodings", {"utf-7", encoding.m_name}}}}});
        EXPECT_EQ(result["capabilities"]["positionEncoding"], encoding.m_name);
        session.Notify("textDocument/didOpen", OpenParams(kUri, text));
        const int x = encoding.m_x;
        session.Notify("textDocument/didChange",
                       ChangeParams(kUri, 2, {RangeChange(1, x, 1, x + 1, "y")}));
        session.Diagnostics(kUri, 2);
        Json mode = session.Request(1, "textDocument/documentSymbol",
                                    DocumentParams(kUri))["result"][0]["children"][0];
        EXPECT_EQ(mode["detail"], "\xC3\xBC\xF0\x9F\x98\x80y");
        EXPECT_EQ(mode["range"]["end"], Json({{"line", 1}, {"character", x + 2}}));
        if (std::string(encoding.m_name) == "utf-16") {
            // Half a surrogate pair is the start of its character.
            session.Notify("textDocument/didChange",
                           ChangeParams(kUri, 3, {RangeChange(1, x - 1, 1, x, "")}));
            mode = session.Request(2, "textDocument/documentSymbol",
                                   DocumentParams(kUri))["result"][0]["children"][0];
            EXPECT_EQ(mode["detail"], "\xC3\xBCy");
        }
        // Past the line's end and past the last line: clamped; ends in either order.
        session.Notify("textDocument/didChange",
                       ChangeParams(kUri, 4,
                                    {RangeChange(1, 999, 1, 999, " Gain<3>"),
                                     RangeChange(99, 0, 99, 0, "Tail<4>"),
                                     RangeChange(0, 9, 0, 1, "Display>")}));
        Json symbols =
            session.Request(3, "textDocument/documentSymbol", DocumentParams(kUri))["result"];
        EXPECT_EQ(symbols[0]["name"], "Display");
        EXPECT_EQ(Names(symbols[0]["children"]),
                  (std::vector<std::string>{"Mode", "Gain", "Tail"}));
        // A change that cannot be read changes nothing; a whole text replaces the document.
        session.Notify(
            "textDocument/didChange",
            ChangeParams(kUri, 5, {{{"text", "Only<1>"}}, RangeChange(-1, 0, 0, 0, "")}));
        session.Notify("textDocument/didChange", ChangeParams(kUri, 6, {{{"text", "Only<1>"}}}));
        symbols = session.Request(4, "textDocument/documentSymbol", DocumentParams(kUri))["result"];
        EXPECT_EQ(Names(symbols), std::vector<std::string>{"Only"});
        EXPECT_NE(session.Log().find("\"line\" is no integer of 0 or more"), std::string::npos);
    }
}

TEST(LspFeatures, SymbolsAndDiagnosticsComeFromTheBuffer) {
    TempDir tree;
    const std::string onDisk = "<Display>\n\tBroken<1\n";
    const std::string path = tree.Write("Convex/ImgResGrp.pp", onDisk);
    const std::string uri = "file://" + path;
    const std::string text =
        "Gain<12>\n"
        "<Display>\n"
        "\tMode<B\n"
        "<Display:Zoom> Level<2> Step<5>\n"
        "Level<3> # note\n"
        "<Gain>\n"
        "Gr\xC3\xB6\xC3\x9F"
        "e<1>\n";
    LspSession session;
    session.Initialize();
    session.Notify("textDocument/didOpen", OpenParams(uri, text));
    Json published = session.Diagnostics(uri);
    EXPECT_EQ(published["version"], 1);
    ASSERT_EQ(published["diagnostics"].size(), 2u);
    const Json& unclosed = published["diagnostics"][0];
    EXPECT_EQ(unclosed["code"], "unclosed-value");
    EXPECT_EQ(unclosed["range"], Json({{"start", {{"line", 2}, {"character", 5}}},
                                       {"end", {{"line", 2}, {"character", 7}}}}));
    EXPECT_EQ(unclosed["severity"], 2);
    EXPECT_EQ(published["diagnostics"][1]["code"], "shadowed-in-file");
    EXPECT_EQ(published["diagnostics"][1]["range"]["start"], Json({{"line", 4}, {"character", 0}}));

    const Json symbols =
        session.Request(1, "textDocument/documentSymbol", DocumentParams(uri))["result"];
    EXPECT_EQ(Names(symbols), (std::vector<std::string>{"Gain", "Display", "Gain"}));
    EXPECT_EQ(symbols[0]["kind"], 7);
    const Json& display = symbols[1];
    EXPECT_EQ(display["kind"], 3);
    EXPECT_EQ(display["range"], Json({{"start", {{"line", 1}, {"character", 0}}},
                                      {"end", {{"line", 4}, {"character", 8}}}}));
    EXPECT_EQ(Names(display["children"]), (std::vector<std::string>{"Mode", "Zoom"}));
    const Json& zoom = display["children"][1];
    EXPECT_EQ(zoom["detail"], "Display:Zoom");
    EXPECT_EQ(zoom["selectionRange"]["end"], Json({{"line", 3}, {"character", 14}}));
    EXPECT_EQ(Names(zoom["children"]), (std::vector<std::string>{"Level", "Step", "Level"}));
    EXPECT_EQ(zoom["children"][0]["range"], Json({{"start", {{"line", 3}, {"character", 15}}},
                                                  {"end", {{"line", 3}, {"character", 23}}}}));
    EXPECT_EQ(zoom["children"][1]["range"], Json({{"start", {{"line", 3}, {"character", 24}}},
                                                  {"end", {{"line", 3}, {"character", 31}}}}));
    const Json& size = symbols[2]["children"][0];
    EXPECT_EQ(size["name"],
              "Gr\xC3\xB6\xC3\x9F"
              "e");
    EXPECT_EQ(size["range"]["end"], Json({{"line", 6}, {"character", 8}}));

    session.Notify("textDocument/didChange", ChangeParams(uri, 2, {RangeChange(2, 7, 2, 7, ">")}));
    published = session.Diagnostics(uri, 2);
    ASSERT_EQ(published["diagnostics"].size(), 1u);
    EXPECT_EQ(published["diagnostics"][0]["code"], "shadowed-in-file");
    session.Notify("textDocument/didClose", DocumentParams(uri));
    EXPECT_EQ(session.Diagnostics(uri)["diagnostics"], Json::array());
    EXPECT_EQ(ReadWholeFile(path), onDisk);
}

TEST(LspFeatures, AFileConfigurationIsCheckedBesideItsFile) {
    TempDir tree;
    tree.Write("a b/Common/Here.pp", "Gain<1>\n");
    const std::string uri = "file://" + tree.Path() + "/a%20b/FileConfig.pp";
    LspSession session;
    session.Initialize();
    session.Notify(
        "textDocument/didOpen",
        OpenParams(uri, "FileNumbers<2>\nFile0<Common/Here.pp>\nFile1<Common/Gone.pp>\n"));
    const Json diagnostics = session.Diagnostics(uri)["diagnostics"];
    ASSERT_EQ(diagnostics.size(), 1u);
    EXPECT_EQ(diagnostics[0]["code"], "missing-file");
    EXPECT_EQ(diagnostics[0]["range"]["start"]["line"], 2);
}

}  // namespace
