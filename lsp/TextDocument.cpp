#include "TextDocument.h"

#include <algorithm>
#include <atomic>
#include <limits>
#include <utility>

namespace {

// Revisions are unique across documents: a document opened again never repeats one.
std::atomic<uint64_t> g_revisions{0};

uint32_t Clamped(size_t value) {
    return static_cast<uint32_t>(std::min<size_t>(value, std::numeric_limits<uint32_t>::max()));
}

}  // namespace

TextDocument::TextDocument(std::string path, std::string text, int64_t version)
    : m_path(std::move(path)), m_text(std::move(text)), m_version(version) {
    IndexLines();
}

void TextDocument::IndexLines() {
    m_revision = ++g_revisions;
    m_lineStarts.assign(1, 0);
    const size_t size = m_text.size();
    for (size_t at = m_text.find_first_of("\r\n"); at != std::string::npos;
         at = m_text.find_first_of("\r\n", at)) {
        if (m_text[at] == '\r' && at + 1 < size && m_text[at + 1] == '\n') {
            ++at;
        }
        m_lineStarts.push_back(++at);
    }
}

std::string_view TextDocument::Line(size_t line) const {
    const size_t start = m_lineStarts[line];
    size_t end = line + 1 < m_lineStarts.size() ? m_lineStarts[line + 1] : m_text.size();
    if (end > start && m_text[end - 1] == '\n') {
        --end;
    }
    if (end > start && m_text[end - 1] == '\r') {
        --end;
    }
    return std::string_view(m_text).substr(start, end - start);
}

size_t TextDocument::OffsetOf(TextPosition position, PositionEncoding encoding) const {
    if (position.m_line >= m_lineStarts.size()) {
        return m_text.size();
    }
    return m_lineStarts[position.m_line] +
           OffsetOfUnits(Line(position.m_line), position.m_character, encoding);
}

size_t TextDocument::LineOf(size_t offset) const {
    return static_cast<size_t>(std::upper_bound(m_lineStarts.begin(), m_lineStarts.end(), offset) -
                               m_lineStarts.begin() - 1);
}

TextPosition TextDocument::PositionOf(size_t offset, PositionEncoding encoding) const {
    return PositionCursor(*this, encoding).At(offset);
}

void TextDocument::Edit(const TextRange& range, std::string_view text, PositionEncoding encoding) {
    size_t begin = OffsetOf(range.m_start, encoding);
    size_t end = OffsetOf(range.m_end, encoding);
    if (end < begin) {
        std::swap(begin, end);
    }
    m_text.replace(begin, end - begin, text);
    IndexLines();
}

void TextDocument::SetText(std::string text) {
    m_text = std::move(text);
    IndexLines();
}

TextPosition PositionCursor::At(size_t offset) {
    offset = std::min(offset, m_document.Text().size());
    const size_t line = m_document.LineOf(offset);
    const size_t start = m_document.LineStart(line);
    const std::string_view text = m_document.Line(line);
    const size_t column = std::min(offset - start, text.size());
    if (line == m_line && start + column >= m_offset && m_offset >= start) {
        m_units += CountUnits(text.substr(m_offset - start, start + column - m_offset), m_encoding);
    } else {
        m_units = CountUnits(text.substr(0, column), m_encoding);
    }
    m_line = line;
    m_offset = start + column;
    return {Clamped(line), Clamped(m_units)};
}
