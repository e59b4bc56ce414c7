#include "MarkupText.h"

#include <algorithm>
#include <cstdio>

namespace {

// The longest run of backticks in text.
size_t LongestRun(std::string_view text) {
    size_t longest = 0;
    size_t run = 0;
    for (const char c : text) {
        run = c == '`' ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return longest;
}

// A code span that text cannot close: a fence longer than any run of backticks in it, and a
// space inside each end where the text would otherwise touch the fence or lose a blank.
std::string CodeSpan(std::string_view text) {
    const std::string fence(LongestRun(text) + 1, '`');
    const bool pad =
        text.front() == '`' || text.back() == '`' || (text.front() == ' ' && text.back() == ' ');
    return fence + (pad ? " " : "") + std::string(text) + (pad ? " " : "") + fence;
}

// Every ASCII punctuation character may be escaped in markdown; escaping them all leaves no
// markup.
std::string Escaped(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if ((c >= '!' && c <= '/') || (c >= ':' && c <= '@') || (c >= '[' && c <= '`') ||
            (c >= '{' && c <= '~')) {
            out += '\\';
        }
        out += c;
    }
    return out;
}

}  // namespace

std::string Printable(std::string_view text) {
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02x", byte);
            out += escape;
        } else {
            out += c;
        }
    }
    return out;
}

MarkupText& MarkupText::Own(std::string_view text) {
    m_text += text;
    return *this;
}

MarkupText& MarkupText::Text(std::string_view text) {
    const std::string printable = Printable(text);
    m_text += m_markdown ? Escaped(printable) : printable;
    return *this;
}

MarkupText& MarkupText::Code(std::string_view text) {
    const std::string printable = Printable(text);
    if (!m_markdown) {
        m_text += "\"" + printable + "\"";
    } else if (printable.empty()) {
        m_text += "*(empty)*";
    } else {
        m_text += CodeSpan(printable);
    }
    return *this;
}

MarkupText& MarkupText::Strong(std::string_view ownText) {
    m_text += m_markdown ? "**" + std::string(ownText) + "**" : std::string(ownText);
    return *this;
}

MarkupText& MarkupText::StruckCode(std::string_view text) {
    if (m_markdown) {
        m_text += "~~";
        Code(text);
        m_text += "~~";
    } else {
        Code(text);
    }
    return *this;
}

MarkupText& MarkupText::Break() {
    m_text += m_markdown ? "  \n" : "\n";
    return *this;
}

MarkupText& MarkupText::Paragraph() {
    m_text += "\n\n";
    return *this;
}

MarkupText& MarkupText::Item() {
    if (!m_text.empty() && m_text.back() != '\n') {
        m_text += "\n";
    }
    m_text += m_markdown ? "- " : "  ";
    return *this;
}

Json MarkupText::Content() const {
    return {{"kind", m_markdown ? "markdown" : "plaintext"}, {"value", m_text}};
}

bool TakesMarkdown(const Json* formats) {
    if (formats == nullptr || !formats->is_array() || formats->empty()) {
        return true;
    }
    return std::find(formats->begin(), formats->end(), Json("markdown")) != formats->end();
}
