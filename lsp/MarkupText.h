// Text for the client to show (hovers, completion documentation), built from pieces and written
// as markdown or as plain text, as the client asks. Text from parameter files and schemas goes in
// as code or as escaped text: in markdown it can never add links, markup or blocks of its own
// (a control character, a line break included, is written as an escape such as "\x0a").
#ifndef QUENDEL_LSP_MARKUPTEXT_H
#define QUENDEL_LSP_MARKUPTEXT_H

#include <string>
#include <string_view>

#include "LspJson.h"

class MarkupText {
  public:
    explicit MarkupText(bool markdown) : m_markdown(markdown) {}

    // Words of the server's own, written as they are.
    MarkupText& Own(std::string_view text);
    // Text from a file or a schema: escaped in markdown.
    MarkupText& Text(std::string_view text);
    // A name or a value from a file: a code span in markdown, quoted in plain text.
    MarkupText& Code(std::string_view text);
    // Strong (markdown) or as it is (plain); struck through (markdown) or as it is.
    MarkupText& Strong(std::string_view ownText);
    MarkupText& StruckCode(std::string_view text);
    // A line break, a new paragraph, an item of a list.
    MarkupText& Break();
    MarkupText& Paragraph();
    MarkupText& Item();

    bool Markdown() const { return m_markdown; }
    const std::string& Value() const { return m_text; }
    // A MarkupContent.
    Json Content() const;

  private:
    bool m_markdown;
    std::string m_text;
};

// Whether the client's capability (a MarkupKind[] such as textDocument.hover.contentFormat)
// takes markdown: when it lists it, or lists nothing.
bool TakesMarkdown(const Json* formats);

// text without control characters: each becomes "\xNN".
std::string Printable(std::string_view text);

#endif
