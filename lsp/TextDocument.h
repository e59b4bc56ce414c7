// One document as the editor holds it: its bytes exactly as the client sent them (UTF-8), its
// version and an index of its lines. Lines end at "\n", "\r\n" or "\r", as the protocol counts
// them; the parser's own lines (ParserPositions.h) end at "\n" only.
#ifndef QUENDEL_LSP_TEXTDOCUMENT_H
#define QUENDEL_LSP_TEXTDOCUMENT_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "PositionEncoding.h"

class TextDocument {
  public:
    // path: the file the document is, for a file URI; empty for another scheme.
    TextDocument(std::string path, std::string text, int64_t version);

    const std::string& Path() const { return m_path; }
    const std::string& Text() const { return m_text; }
    int64_t Version() const { return m_version; }
    void SetVersion(int64_t version) { m_version = version; }
    // Changes with every change of the text, and differs from every other document's, so that
    // what is derived from a text can be kept.
    uint64_t Revision() const { return m_revision; }

    // The byte offset of a position. A line past the last is the end of the text, a character
    // past the end of its line the line's end (before its line break); a character inside a
    // UTF-8 sequence (half a surrogate pair, say) the start of that character.
    size_t OffsetOf(TextPosition position, PositionEncoding encoding) const;
    // The position of a byte offset; an offset past the text is its end, one inside a line
    // break the end of that line.
    TextPosition PositionOf(size_t offset, PositionEncoding encoding) const;

    // The line that holds a byte offset (an offset past the text: the last line), where it
    // starts, and its text without its line break.
    size_t LineOf(size_t offset) const;
    size_t LineStart(size_t line) const { return m_lineStarts[line]; }
    std::string_view Line(size_t line) const;

    // Replaces the text of range (its ends in either order) by text.
    void Edit(const TextRange& range, std::string_view text, PositionEncoding encoding);
    void SetText(std::string text);

  private:
    void IndexLines();

    std::string m_path;
    std::string m_text;
    int64_t m_version;
    uint64_t m_revision = 0;
    std::vector<size_t> m_lineStarts;  // byte offset of each line; the first is 0
};

// Converts offsets of one document to positions, counting on from the last offset when the
// next one lies after it on the same line: a parse reports offsets in that order, so a long line
// with many entries is counted once, not once per entry.
class PositionCursor {
  public:
    PositionCursor(const TextDocument& document, PositionEncoding encoding)
        : m_document(document), m_encoding(encoding) {}

    TextPosition At(size_t offset);

  private:
    const TextDocument& m_document;
    PositionEncoding m_encoding;
    // The last offset converted, clamped to its line's text, and its position.
    size_t m_offset = 0;
    size_t m_line = 0;
    size_t m_units = 0;
};

#endif
