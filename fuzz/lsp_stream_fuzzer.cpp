// Message streams: the language server's reader and dispatcher on the input as the bytes of a
// client, handed over in reads of varying sizes. Whatever the bytes, the server must write only
// framed JSON-RPC messages of the kinds it sends, keep every open document valid UTF-8 and
// reachable by its path, with positions that convert back to the same offsets in every
// encoding. A second mode checks the framing alone: bodies framed correctly come back as they
// were.
//
// Input: the first byte chooses the sizes of the reads, and its high bit the mode; the rest is
// the stream, or in the second mode the bodies, separated by the byte 0x1e.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "ByteSource.h"
#include "FuzzCheck.h"
#include "LanguageServer.h"
#include "MessageReader.h"
#include "MessageWriter.h"
#include "ServerLog.h"

namespace {

using fuzzcheck::Require;

constexpr size_t kLimit = 4096;  // the message size limit, small so that it is reached
constexpr char kSeparator = '\x1e';

// Bytes held in memory, given out in reads whose sizes follow the seed.
class MemorySource : public ByteSource {
  public:
    MemorySource(std::string_view bytes, uint8_t seed) : m_bytes(bytes), m_seed(seed) {}

    size_t Read(char* buffer, size_t size, std::string&) override {
        const size_t step = 1 + (m_seed & 0x0f) * (1 + m_reads++ % 5);
        const size_t n = std::min({size, step * step, m_bytes.size() - m_pos});
        m_bytes.copy(buffer, n, m_pos);
        m_pos += n;
        return n;
    }
    void Interrupt() override {}

  private:
    std::string_view m_bytes;
    uint8_t m_seed;
    size_t m_pos = 0;
    size_t m_reads = 0;
};

bool IsUtf8(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const size_t length = lead < 0x80       ? 1
                              : lead >> 5 == 6  ? 2
                              : lead >> 4 == 14 ? 3
                              : lead >> 3 == 30 ? 4
                                                : 0;
        if (length == 0 || i + length > text.size()) {
            return false;
        }
        for (size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
                return false;
            }
        }
        i += length;
    }
    return true;
}

bool Before(const Json& a, const Json& b) {
    return a["line"] < b["line"] || (a["line"] == b["line"] && a["character"] <= b["character"]);
}

// Every message the server wrote: framed without a fault, and one of the kinds it sends.
void CheckOutput(const std::string& output) {
    MemorySource source(output, 0xff);
    std::ostringstream problems;
    ServerLog log(problems);
    MessageReader reader(source, log, output.size() + 1);
    for (FramedMessage message = reader.Read(); message.m_kind != FramedMessage::Kind::kEnd;
         message = reader.Read()) {
        Require(message.m_kind == FramedMessage::Kind::kMessage, "an output message too large");
        const Json json = Json::parse(message.m_body);
        Require(json.is_object() && json["jsonrpc"] == "2.0", "an output message not JSON-RPC");
        if (json.contains("method")) {
            Require(json["method"] == "textDocument/publishDiagnostics", "an unknown notification");
            for (const Json& diagnostic : json["params"]["diagnostics"]) {
                Require(Before(diagnostic["range"]["start"], diagnostic["range"]["end"]),
                        "a diagnostic's range ends before it starts");
            }
            continue;
        }
        Require(json.contains("id") && json.contains("result") != json.contains("error"),
                "a response with neither or both of result and error");
    }
    Require(problems.str().empty(), "the output's framing has faults");
}

void CheckDocuments(const DocumentStore& store) {
    for (const auto& [uri, document] : store.Documents()) {
        const std::string& text = document.Text();
        Require(IsUtf8(text), "an open document is no longer UTF-8");
        Require(document.Path().empty() || store.OpenText(document.Path()) != nullptr,
                "an open file is not found by its path");
        for (const PositionEncoding encoding :
             {PositionEncoding::kUtf8, PositionEncoding::kUtf16, PositionEncoding::kUtf32}) {
            for (size_t offset = 0; offset <= std::min<size_t>(text.size(), 512); ++offset) {
                const bool inBreak = offset > 0 && offset < text.size() && text[offset] == '\n' &&
                                     text[offset - 1] == '\r';
                if (offset < text.size() &&
                    ((static_cast<unsigned char>(text[offset]) & 0xC0) == 0x80 || inBreak)) {
                    continue;
                }
                const TextPosition position = document.PositionOf(offset, encoding);
                Require(document.OffsetOf(position, encoding) == offset,
                        "an offset does not come back from its position");
            }
            // A cursor that counts on along the text agrees with a conversion from scratch.
            PositionCursor cursor(document, encoding);
            for (size_t offset = 0; offset <= std::min<size_t>(text.size(), 512); ++offset) {
                const TextPosition on = cursor.At(offset);
                const TextPosition fresh = document.PositionOf(offset, encoding);
                Require(on.m_line == fresh.m_line && on.m_character == fresh.m_character,
                        "a cursor's position differs from the document's");
            }
        }
    }
}

void CheckFraming(std::string_view bodies, uint8_t seed) {
    std::vector<std::string_view> sent;
    std::string stream;
    bool comparable = true;
    for (size_t start = 0;;) {
        const size_t end = bodies.find(kSeparator, start);
        const std::string_view body = bodies.substr(start, end - start);
        sent.push_back(body);
        comparable = comparable && body.find("Content-Length:") == std::string_view::npos;
        stream += "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n";
        stream += body;
        if (end == std::string_view::npos) {
            break;
        }
        start = end + 1;
    }
    MemorySource source(stream, seed);
    std::ostringstream problems;
    ServerLog log(problems);
    MessageReader reader(source, log, kLimit);
    for (const std::string_view body : sent) {
        const FramedMessage message = reader.Read();
        if (comparable) {
            Require(body.size() > kLimit
                        ? message.m_kind == FramedMessage::Kind::kOversized &&
                              message.m_length == body.size()
                        : message.m_kind == FramedMessage::Kind::kMessage && message.m_body == body,
                    "a framed body does not come back as it was");
        }
    }
    Require(!comparable || reader.Read().m_kind == FramedMessage::Kind::kEnd,
            "more messages than were sent");
}

void CheckServer(std::string_view stream, uint8_t seed) {
    MemorySource source(stream, seed);
    std::ostringstream log;
    ServerLog serverLog(log);
    std::ostringstream output;
    MessageWriter writer(output);
    LanguageServer server(writer, serverLog);
    std::vector<FramedMessage> group;
    const auto handOver = [&] {
        if (!group.empty() && !server.Finished()) {
            server.HandleBatch(group);
        }
        group.clear();
    };
    MessageReader reader(source, serverLog, kLimit, handOver);
    while (!server.Finished()) {
        group.push_back(reader.Read());
        if (group.back().m_kind == FramedMessage::Kind::kEnd) {
            handOver();
        }
    }
    CheckOutput(output.str());
    CheckDocuments(server.Documents());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::string input(reinterpret_cast<const char*>(data), size);
    fuzzcheck::CurrentInput() = &input;
    const std::string_view stream = std::string_view(input).substr(1);
    if ((data[0] & 0x80) != 0) {
        CheckFraming(stream, data[0]);
    } else {
        CheckServer(stream, data[0]);
    }
    fuzzcheck::CurrentInput() = nullptr;
    return 0;
}
