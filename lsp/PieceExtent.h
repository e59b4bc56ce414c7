// Where the pieces that the parser reports stand in the text it read: an entry runs from its key
// to its ">" (without one, to the end of its line's code), and its name is the key before the
// "<"; a tag runs from its "<" to its ">", and its name is what lies between.
#ifndef QUENDEL_LSP_PIECEEXTENT_H
#define QUENDEL_LSP_PIECEEXTENT_H

#include <cstddef>
#include <string_view>

#include "ParserPositions.h"

// Byte offsets: the piece is [m_begin, m_end), its name [m_nameBegin, m_nameEnd).
struct PieceExtent {
    size_t m_begin = 0;
    size_t m_nameBegin = 0;
    size_t m_nameEnd = 0;
    size_t m_end = 0;
};

// positions were made of text.
PieceExtent EntryExtent(ParserPositions& positions, std::string_view text, ParamPosition at);
PieceExtent TagExtent(ParserPositions& positions, std::string_view text, ParamPosition at);

#endif
