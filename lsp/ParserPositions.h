// Where the parser's positions (ParamObserver.h) fall in the text it read: its lines end at
// "\n" only (a "\r" before it is dropped), its columns count characters from 1, UTF-8
// sequences once, and a byte-order mark that starts the text is not counted.
#ifndef QUENDEL_LSP_PARSERPOSITIONS_H
#define QUENDEL_LSP_PARSERPOSITIONS_H

#include <cstddef>
#include <string_view>
#include <vector>

#include "textstore/ParamObserver.h"

// Positions are counted on from the last one asked for when they follow it on its line, as a
// parse reports them, so that a long line with many entries is counted once.
class ParserPositions {
  public:
    // text must outlive this object.
    explicit ParserPositions(std::string_view text);

    // The byte offset of a position; a column past its line's end is that end, a line past the
    // last the end of the text.
    size_t Offset(ParamPosition position);
    // The line (1 is the first) that holds a byte offset; an offset past the text is on the
    // last line.
    size_t LineOf(size_t offset) const;
    // The end of a line (1 is the first), before its line break.
    size_t LineEnd(size_t line) const;
    // The end of a line's text before its comment (the first "#") and its trailing blanks.
    size_t CodeEnd(size_t line);

  private:
    std::string_view m_text;
    std::vector<size_t> m_lineStarts;
    size_t m_mark = 0;           // bytes of a byte-order mark at the start
    ParamPosition m_last{0, 0};  // the last position asked for, and its offset
    size_t m_lastOffset = 0;
    size_t m_codeLine = 0;  // the last line asked for by CodeEnd, and its answer
    size_t m_codeEnd = 0;
};

#endif
