// Positions as the protocol counts them: a line from 0 and a character offset within the line,
// in code units of the encoding agreed at initialisation (UTF-16 unless the client offers
// another). The server keeps text as UTF-8 bytes and converts at its edges.
#ifndef QUENDEL_LSP_POSITIONENCODING_H
#define QUENDEL_LSP_POSITIONENCODING_H

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "LspJson.h"

enum class PositionEncoding { kUtf8, kUtf16, kUtf32 };

struct TextPosition {
    uint32_t m_line = 0;
    uint32_t m_character = 0;
};

struct TextRange {
    TextPosition m_start;
    TextPosition m_end;
};

// "utf-8", "utf-16" or "utf-32", as the protocol names them.
const char* EncodingName(PositionEncoding encoding);
// The first encoding of the client's general.positionEncodings that the server knows, in the
// client's order of preference; UTF-16, which every client supports, when there is none.
PositionEncoding ChooseEncoding(const Json& clientEncodings);

// The code units text takes.
size_t CountUnits(std::string_view text, PositionEncoding encoding);
// The byte offset in line after units code units: the line's length when the line is shorter,
// and the start of the character that the count ends inside, so that an offset never splits a
// UTF-8 sequence.
size_t OffsetOfUnits(std::string_view line, size_t units, PositionEncoding encoding);

#endif
