#include "NameCompletion.h"

#include <string>
#include <string_view>

#include "EntryHover.h"
#include "LanguageServer.h"
#include "MarkupText.h"
#include "ProtocolJson.h"
#include "TreeDocument.h"
#include "inspect/lint/ValueShape.h"
#include "resource/StringOps.h"

namespace {

// CompletionItemKind
constexpr int kModule = 9;
constexpr int kProperty = 10;
constexpr std::string_view kBlanks = " \t";

enum class Context { kNone, kTag, kKey };

// What is written at the cursor, from the text of its line before it: a tag being named
// ("<Disp"), a key being written ("Gai"), or neither (a value, a comment, a section line).
Context ContextOf(std::string_view before, size_t& prefix) {
    if (before.find('#') != std::string_view::npos) {
        return Context::kNone;
    }
    const size_t end = before.find_last_of(">]");
    std::string_view rest = end == std::string_view::npos ? before : before.substr(end + 1);
    const size_t start = rest.find_first_not_of(kBlanks);
    rest = start == std::string_view::npos ? std::string_view() : rest.substr(start);
    if (!rest.empty() && rest.front() == '<') {
        rest.remove_prefix(1);
        if (rest.find_first_of("<[") != std::string_view::npos) {
            return Context::kNone;
        }
        prefix = rest.size();
        return Context::kTag;
    }
    if (rest.find_first_of("<[") != std::string_view::npos) {
        return Context::kNone;  // a value or a section line
    }
    const size_t blank = rest.find_last_of(kBlanks);
    prefix = blank == std::string_view::npos ? rest.size() : rest.size() - blank - 1;
    return Context::kKey;
}

Json KeyItem(LanguageServer& server, const std::string& section, const std::string& key,
             const Json& range) {
    const LayerChecks& layers = server.Workspace().Tree().Layers();
    Json item = {
        {"label", key}, {"kind", kProperty}, {"textEdit", {{"range", range}, {"newText", key}}}};
    if (const Holder* definition = layers.Definition(section, key)) {
        const std::string& value = layers.Entry(*definition).m_value;
        item["detail"] = std::string(KindName(ShapeOf(value).m_kind)) + ", " + QuoteText(value) +
                         " at " + layers.Origin(*definition);
    }
    KeyFact fact;
    if (server.Facts() != nullptr && server.Facts()->Describe(section, key, fact)) {
        MarkupText text(TakesMarkdown(
            FindPath(server.ClientCapabilities(),
                     {"textDocument", "completion", "completionItem", "documentationFormat"})));
        AppendKeyFact(text, fact);
        item["documentation"] = text.Content();
    }
    return item;
}

}  // namespace

Json CompletionOf(LanguageServer& server, const Json& params) {
    Json items = Json::array();
    const TreeDocument document = OpenTreeDocument(server, params);
    if (!document.InTree()) {
        return {{"isIncomplete", false}, {"items", std::move(items)}};
    }
    const TextDocument& buffer = document.m_text->Document();
    const TextPosition position = ReadPosition(ObjectMember(params, "position"));
    const size_t offset = buffer.OffsetOf(position, server.Encoding());
    const size_t lineStart = buffer.LineStart(buffer.LineOf(offset));
    const std::string_view before =
        std::string_view(buffer.Text()).substr(lineStart, offset - lineStart);
    size_t prefix = 0;
    const Context context = ContextOf(before, prefix);
    const Json range = RangeJson({buffer.PositionOf(offset - prefix, server.Encoding()),
                                  buffer.PositionOf(offset, server.Encoding())});
    const LayerChecks& layers = server.Workspace().Tree().Layers();
    if (context == Context::kTag) {
        for (const std::string& section : layers.DefinedSections()) {
            const size_t keys = layers.DefinedKeys(section).size();
            items.push_back({{"label", section},
                             {"kind", kModule},
                             {"detail", std::to_string(keys) + (keys == 1 ? " key" : " keys") +
                                            " at the base level"},
                             {"textEdit", {{"range", range}, {"newText", section}}}});
        }
    } else if (context == Context::kKey) {
        // The parser's column of the cursor: characters from its line's first.
        ParserPositions& positions = document.m_text->Positions();
        const size_t line = positions.LineOf(offset);
        const size_t first = positions.Offset({line, 1});
        size_t column = 1;
        for (size_t at = first; at < offset; ++at) {
            column += (static_cast<unsigned char>(buffer.Text()[at]) & 0xC0) != 0x80 ? 1 : 0;
        }
        const std::string section = SectionAt(*document.m_lint, {line, column});
        for (const std::string& key : layers.DefinedKeys(section)) {
            if (ReachableName(key)) {
                items.push_back(KeyItem(server, section, key, range));
            }
        }
    }
    return {{"isIncomplete", false}, {"items", std::move(items)}};
}

void NameCompletion::Install(LanguageServer& server) {
    server.AddCapability("completionProvider",
                         {{"triggerCharacters", {"<", ":"}}, {"resolveProvider", false}});
    server.OnRequest("textDocument/completion",
                     [&server](const Json& params) { return CompletionOf(server, params); });
}
