#include "LspDriver.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace bench {
namespace {

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Paths may be given relative to the working directory; the server takes file URIs.
std::string UriOf(const std::string& path) {
    return "file://" + std::filesystem::absolute(path).lexically_normal().generic_string();
}

Json PositionJson(TextPosition position) {
    return {{"line", position.m_line}, {"character", position.m_character}};
}

}  // namespace

LspDriver::LspDriver() : m_writer(m_output), m_log(m_logText), m_server(m_writer, m_log) {}

void LspDriver::Handle(const Json& message) {
    m_batch.clear();
    FramedMessage framed;
    framed.m_kind = FramedMessage::Kind::kMessage;
    framed.m_body = message.dump();
    m_batch.push_back(std::move(framed));
    m_server.HandleBatch(m_batch);
}

void LspDriver::Initialize(const std::string& tree) {
    Handle({{"jsonrpc", "2.0"},
            {"id", ++m_id},
            {"method", "initialize"},
            {"params",
             {{"processId", nullptr},
              {"rootUri", UriOf(tree)},
              {"capabilities", Json::object()},
              {"initializationOptions", {{"userRoot", tree + "/userdefined"}}}}}});
    Handle({{"jsonrpc", "2.0"}, {"method", "initialized"}, {"params", Json::object()}});
}

bool LspDriver::TreeRead() {
    return m_server.Workspace().Loaded();
}

void LspDriver::Open(const std::string& path) {
    m_versions[path] = 1;
    Handle({{"jsonrpc", "2.0"},
            {"method", "textDocument/didOpen"},
            {"params",
             {{"textDocument",
               {{"uri", UriOf(path)},
                {"languageId", "quendel"},
                {"version", 1},
                {"text", ReadText(path)}}}}}});
}

const std::string& LspDriver::Text(const std::string& path) const {
    const TextDocument* document = m_server.Documents().Find(UriOf(path));
    if (document == nullptr) {
        throw std::runtime_error(path + " is not open");
    }
    return document->Text();
}

TextPosition LspDriver::PositionOf(const std::string& path, size_t offset) const {
    Text(path);  // throws when it is not open
    return m_server.Documents().Find(UriOf(path))->PositionOf(offset, PositionEncoding::kUtf16);
}

void LspDriver::EditOneCharacter(const std::string& path, size_t offset, bool insert) {
    const TextPosition from = PositionOf(path, offset);
    TextPosition to = from;
    to.m_character += insert ? 0 : 1;
    Handle({{"jsonrpc", "2.0"},
            {"method", "textDocument/didChange"},
            {"params",
             {{"textDocument", {{"uri", UriOf(path)}, {"version", ++m_versions[path]}}},
              {"contentChanges",
               {{{"range", {{"start", PositionJson(from)}, {"end", PositionJson(to)}}},
                 {"text", insert ? "9" : ""}}}}}}});
}

Json LspDriver::Ask(const std::string& method, const std::string& path, size_t offset) {
    m_output.str("");
    Handle({{"jsonrpc", "2.0"},
            {"id", ++m_id},
            {"method", method},
            {"params",
             {{"textDocument", {{"uri", UriOf(path)}}},
              {"position", PositionJson(PositionOf(path, offset))}}}});
    const std::string output = m_output.str();
    const size_t body = output.find("\r\n\r\n");
    if (body == std::string::npos) {
        throw std::runtime_error(method + " got no answer");
    }
    const Json response = Json::parse(output.substr(body + 4));
    if (!response.contains("result")) {
        throw std::runtime_error(method + " failed: " + response.dump());
    }
    return response["result"];
}

bool LspDriver::TakePublished(const std::string& path) {
    const std::string output = m_output.str();
    m_output.str("");
    return output.find("\"uri\":" + Json(UriOf(path)).dump()) != std::string::npos &&
           output.find("textDocument/publishDiagnostics") != std::string::npos;
}

LspDriver::Place LspDriver::FirstEntry(const std::string& text) {
    bool tagSeen = false;
    for (size_t line = 0; line < text.size();) {
        const size_t next = std::min(text.find('\n', line), text.size());
        const size_t first = text.find_first_not_of(" \t", line);
        if (first < next && text[first] == '<') {
            tagSeen = true;
        } else if (tagSeen && first < next && text[first] != '#') {
            const size_t open = text.find('<', first);
            if (open < next) {
                return {first, open + 1};
            }
        }
        line = next + 1;
    }
    throw std::runtime_error("no entry after a tag");
}

}  // namespace bench
