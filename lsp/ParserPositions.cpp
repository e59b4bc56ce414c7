#include "ParserPositions.h"

#include <algorithm>

ParserPositions::ParserPositions(std::string_view text) : m_text(text) {
    m_lineStarts.push_back(0);
    for (size_t at = text.find('\n'); at != std::string_view::npos; at = text.find('\n', at + 1)) {
        m_lineStarts.push_back(at + 1);
    }
    m_mark = text.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
}

size_t ParserPositions::LineOf(size_t offset) const {
    return static_cast<size_t>(std::upper_bound(m_lineStarts.begin(), m_lineStarts.end(), offset) -
                               m_lineStarts.begin());
}

size_t ParserPositions::LineEnd(size_t line) const {
    if (line == 0 || line > m_lineStarts.size()) {
        return m_text.size();
    }
    if (line == m_lineStarts.size()) {
        return m_text.size();  // the last line has no "\n", so no "\r" is dropped either
    }
    size_t end = m_lineStarts[line] - 1;
    if (end > m_lineStarts[line - 1] && m_text[end - 1] == '\r') {
        --end;
    }
    return end;
}

size_t ParserPositions::CodeEnd(size_t line) {
    if (line == 0 || line > m_lineStarts.size()) {
        return m_text.size();
    }
    if (line != m_codeLine) {
        const size_t start = m_lineStarts[line - 1];
        std::string_view code = m_text.substr(start, LineEnd(line) - start);
        code = code.substr(0, code.find('#'));
        const size_t last = code.find_last_not_of(" \t");
        m_codeLine = line;
        m_codeEnd = start + (last == std::string_view::npos ? 0 : last + 1);
    }
    return m_codeEnd;
}

size_t ParserPositions::Offset(ParamPosition position) {
    if (position.m_line == 0 || position.m_line > m_lineStarts.size()) {
        return m_text.size();
    }
    size_t at = m_lineStarts[position.m_line - 1] + (position.m_line == 1 ? m_mark : 0);
    size_t counted = 0;
    if (position.m_line == m_last.m_line && position.m_column >= m_last.m_column &&
        m_last.m_column > 0) {
        at = m_lastOffset;
        counted = m_last.m_column - 1;
    }
    const size_t end = std::max(at, LineEnd(position.m_line));
    for (; at < end; ++at) {
        if ((static_cast<unsigned char>(m_text[at]) & 0xC0) == 0x80) {
            continue;
        }
        if (counted + 1 >= position.m_column) {
            break;
        }
        ++counted;
    }
    m_last = {position.m_line, counted + 1};
    m_lastOffset = at;
    return at;
}
