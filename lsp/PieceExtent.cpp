#include "PieceExtent.h"

#include <algorithm>

PieceExtent EntryExtent(ParserPositions& positions, std::string_view text, ParamPosition at) {
    PieceExtent extent;
    extent.m_begin = positions.Offset(at);
    extent.m_nameBegin = extent.m_begin;
    const std::string_view code =
        text.substr(0, std::max(extent.m_begin, positions.CodeEnd(at.m_line)));
    // A key without "<" is the rest of the line.
    extent.m_nameEnd = code.size();
    extent.m_end = code.size();
    const size_t open = code.find('<', extent.m_begin);
    if (open != std::string_view::npos) {
        const size_t close = code.find('>', open);
        extent.m_end = close == std::string_view::npos ? code.size() : close + 1;
        extent.m_nameEnd =
            open == extent.m_begin
                ? open
                : std::max(extent.m_begin, code.find_last_not_of(" \t", open - 1) + 1);
    }
    return extent;
}

PieceExtent TagExtent(ParserPositions& positions, std::string_view text, ParamPosition at) {
    PieceExtent extent;
    extent.m_begin = positions.Offset(at);
    const size_t code = std::max(extent.m_begin, positions.CodeEnd(at.m_line));
    const size_t close = text.substr(0, code).find('>', extent.m_begin);
    extent.m_end = close == std::string_view::npos ? code : close + 1;
    extent.m_nameBegin = std::min(extent.m_begin + 1, extent.m_end);
    extent.m_nameEnd = close == std::string_view::npos ? code : close;
    return extent;
}
