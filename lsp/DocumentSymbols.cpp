#include "DocumentSymbols.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "LanguageServer.h"
#include "ParserPositions.h"
#include "PieceExtent.h"
#include "ProtocolJson.h"
#include "textstore/ParamFile.h"
#include "textstore/ParamObserver.h"

namespace {

// SymbolKind
constexpr int kNamespace = 3;
constexpr int kProperty = 7;

// Builds the symbols while the parser reads; sections stay open on a stack while the tags
// that follow extend their paths.
class SymbolBuilder : public ParamObserver {
  public:
    SymbolBuilder(const TextDocument& document, PositionEncoding encoding)
        : m_text(document.Text()), m_positions(m_text), m_cursor(document, encoding) {}

    void OnTag(ParamPosition at, std::string_view path) override {
        while (!m_open.empty() &&
               (!Extends(path, m_open.back().m_path) || m_open.size() >= kMaxNesting)) {
            Close();
        }
        const PieceExtent tag = TagExtent(m_positions, m_text, at);
        const size_t begin = tag.m_begin;
        const size_t end = tag.m_end;
        const std::string_view name =
            m_open.empty() ? path : path.substr(m_open.back().m_path.size() + 1);
        Json symbol = Symbol(name, path, kNamespace, begin, end, end);
        Json last = symbol["range"]["end"];
        m_open.push_back({std::string(path), std::move(symbol), end, std::move(last)});
        m_open.back().m_symbol["children"] = Json::array();
    }

    void OnEntry(const ParamEntryEvent& entry) override {
        const PieceExtent piece = EntryExtent(m_positions, m_text, entry.m_at);
        const size_t begin = piece.m_begin;
        const size_t keyEnd = piece.m_nameEnd;
        const size_t end = piece.m_end;
        Json symbol = Symbol(entry.m_key, entry.m_value, kProperty, begin, keyEnd, end);
        if (m_open.empty()) {
            m_top.push_back(std::move(symbol));
        } else {
            Extend(m_open.back(), end, symbol["range"]["end"]);
            m_open.back().m_symbol["children"].push_back(std::move(symbol));
        }
    }

    Json Finish() {
        while (!m_open.empty()) {
            Close();
        }
        return std::move(m_top);
    }

  private:
    // Deeper tags are listed below the last section that nests, with the rest of their path.
    static constexpr size_t kMaxNesting = 64;

    // A section's range runs to the end of the last thing in it, kept as an offset and as the
    // position it converts to when it was reached.
    struct OpenSection {
        std::string m_path;
        Json m_symbol;
        size_t m_end = 0;
        Json m_endPosition;
    };

    static bool Extends(std::string_view path, std::string_view parent) {
        return path.size() > parent.size() + 1 && path.substr(0, parent.size()) == parent &&
               path[parent.size()] == ':';
    }

    static void Extend(OpenSection& section, size_t end, const Json& position) {
        if (end > section.m_end) {
            section.m_end = end;
            section.m_endPosition = position;
        }
    }

    // The protocol asks for a name that is not empty. Offsets come in the order of the text.
    Json Symbol(std::string_view name, std::string_view detail, int kind, size_t begin,
                size_t nameEnd, size_t end) {
        const TextPosition start = m_cursor.At(begin);
        const TextPosition selectionEnd = m_cursor.At(nameEnd);
        return {{"name", name.empty() ? std::string("\"\"") : std::string(name)},
                {"detail", std::string(detail)},
                {"kind", kind},
                {"range", RangeJson({start, m_cursor.At(end)})},
                {"selectionRange", RangeJson({start, selectionEnd})}};
    }

    void Close() {
        OpenSection section = std::move(m_open.back());
        m_open.pop_back();
        section.m_symbol["range"]["end"] = section.m_endPosition;
        if (m_open.empty()) {
            m_top.push_back(std::move(section.m_symbol));
        } else {
            Extend(m_open.back(), section.m_end, section.m_endPosition);
            m_open.back().m_symbol["children"].push_back(std::move(section.m_symbol));
        }
    }

    std::string_view m_text;
    ParserPositions m_positions;
    PositionCursor m_cursor;
    std::vector<OpenSection> m_open;
    Json m_top = Json::array();
};

}  // namespace

Json DocumentSymbolsOf(const TextDocument& document, PositionEncoding encoding) {
    SymbolBuilder builder(document, encoding);
    ParamFile file(document.Path());
    file.SetObserver(&builder);
    file.ParseText(document.Text(), "");
    return builder.Finish();
}

void DocumentSymbols::Install(LanguageServer& server) {
    server.AddCapability("documentSymbolProvider", true);
    server.OnRequest("textDocument/documentSymbol", [&server](const Json& params) {
        return DocumentSymbolsOf(server.OpenDocument(DocumentUriOf(params)), server.Encoding());
    });
}
