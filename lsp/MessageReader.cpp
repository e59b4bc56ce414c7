#include "MessageReader.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace {

constexpr std::string_view kLengthName = "Content-Length";
constexpr std::string_view kLengthHeader = "Content-Length:";
constexpr size_t kMaxHeaderLine = 4096;
constexpr size_t kMaxLengthDigits = 20;
constexpr size_t kMaxLengthBlanks = 64;
constexpr size_t kHeadBytes = 4096;
constexpr size_t kChunk = 65536;
constexpr size_t kNone = std::string_view::npos;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// A header name is a token: letters, digits and the punctuation HTTP allows.
bool IsHeaderName(std::string_view name) {
    constexpr std::string_view kPunctuation = "!#$%&'*+-.^_`|~";
    return !name.empty() && std::all_of(name.begin(), name.end(), [&](char c) {
        return IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
               kPunctuation.find(c) != kNone;
    });
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return lower(x) == lower(y); });
}

// Digits between blanks; a value too large for size_t is over any limit.
bool ParseLength(std::string_view value, size_t& length) {
    const size_t first = value.find_first_not_of(" \t");
    const size_t last = value.find_last_not_of(" \t");
    if (first == kNone) {
        return false;
    }
    value = value.substr(first, last - first + 1);
    if (value.size() > kMaxLengthDigits || !std::all_of(value.begin(), value.end(), IsDigit)) {
        return false;
    }
    length = 0;
    for (const char c : value) {
        const auto digit = static_cast<size_t>(c - '0');
        if (length > (std::numeric_limits<size_t>::max() - digit) / 10) {
            length = std::numeric_limits<size_t>::max();
            return true;
        }
        length = length * 10 + digit;
    }
    return true;
}

// Where a header line "Content-Length: DIGITS" begins at [from, limit) of text (the line may
// run past limit), or kNone. undecided is where one may begin that text ends too soon to tell,
// or kNone.
size_t FindLengthHeader(std::string_view text, size_t from, size_t limit, size_t& undecided) {
    undecided = kNone;
    for (size_t at = text.find(kLengthHeader, from); at != kNone && at < limit;
         at = text.find(kLengthHeader, at + 1)) {
        size_t i = at + kLengthHeader.size();
        const size_t blanks = i;
        while (i < text.size() && i - blanks <= kMaxLengthBlanks && IsBlank(text[i])) {
            ++i;
        }
        const size_t digits = i;
        while (i < text.size() && i - digits <= kMaxLengthDigits && IsDigit(text[i])) {
            ++i;
        }
        if (i == text.size()) {
            undecided = at;
            return kNone;
        }
        if (i == digits || i - digits > kMaxLengthDigits || digits - blanks > kMaxLengthBlanks) {
            continue;
        }
        if (text[i] == '\n' || (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) {
            return at;
        }
        if (text[i] == '\r' && i + 1 == text.size()) {
            undecided = at;
            return kNone;
        }
    }
    // The text may end inside the header's name.
    for (size_t k = std::min(kLengthHeader.size() - 1, text.size()); k > 0; --k) {
        const size_t at = text.size() - k;
        if (at >= from && at < limit && text.substr(at) == kLengthHeader.substr(0, k)) {
            undecided = at;
            break;
        }
    }
    return kNone;
}

std::string Bytes(size_t count) {
    return std::to_string(count) + (count == 1 ? " byte" : " bytes");
}

}  // namespace

MessageReader::MessageReader(ByteSource& source, ServerLog& log, size_t maxMessageBytes,
                             std::function<void()> beforeRead)
    : m_source(source), m_log(log), m_max(maxMessageBytes), m_beforeRead(std::move(beforeRead)) {}

std::string_view MessageReader::Unread() const {
    return std::string_view(m_buffer).substr(m_pos);
}

bool MessageReader::Fill() {
    if (m_ended) {
        return false;
    }
    // Dropping what was taken only when it outweighs the rest keeps the copying linear.
    if (m_pos > 0 && m_pos >= m_buffer.size() - m_pos) {
        m_buffer.erase(0, m_pos);
        m_pos = 0;
    }
    if (m_beforeRead) {
        m_beforeRead();
    }
    const size_t old = m_buffer.size();
    m_buffer.resize(old + kChunk);
    std::string error;
    const size_t got = m_source.Read(&m_buffer[old], kChunk, error);
    m_buffer.resize(old + got);
    if (got == 0) {
        m_ended = true;
        if (!error.empty()) {
            m_log.Line("cannot read the input: " + error);
        }
        return false;
    }
    return true;
}

FramedMessage MessageReader::Read() {
    while (true) {
        size_t length = 0;
        const Headers headers = ReadHeaders(length);
        if (headers == Headers::kComplete) {
            return ReadBody(length);
        }
        if (headers == Headers::kEnd || !SkipToNextHeader()) {
            return {};
        }
    }
}

MessageReader::Headers MessageReader::ReadHeaders(size_t& length) {
    bool sawHeader = false;
    bool haveLength = false;
    bool badLength = false;
    size_t searched = 0;
    while (true) {
        const std::string_view unread = Unread();
        const size_t feed = unread.find('\n', searched);
        if (feed == kNone && unread.size() <= kMaxHeaderLine) {
            searched = unread.size();
            if (!Fill()) {
                if (!unread.empty() || sawHeader) {
                    m_log.Line("the input ended inside a message header");
                }
                m_pos = m_buffer.size();
                return Headers::kEnd;
            }
            continue;
        }
        if (feed == kNone || feed > kMaxHeaderLine) {
            m_log.Line("a header line of more than " + Bytes(kMaxHeaderLine) +
                       ": skipped to the next message");
            return Headers::kBroken;
        }
        std::string_view line = unread.substr(0, feed);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        searched = 0;
        if (line.empty()) {
            m_pos += feed + 1;
            if (!sawHeader) {
                continue;  // blank lines between messages
            }
            break;
        }
        const size_t colon = line.find(':');
        if (colon != kNone && IsHeaderName(line.substr(0, colon))) {
            sawHeader = true;
            if (EqualsIgnoringCase(line.substr(0, colon), kLengthName)) {
                size_t value = 0;
                badLength = badLength || !ParseLength(line.substr(colon + 1), value) ||
                            (haveLength && value != length);
                length = value;
                haveLength = true;
            }
            m_pos += feed + 1;
            continue;
        }
        if (haveLength && !badLength) {
            m_log.Line(
                "no blank line after the message header: the body is taken to start on "
                "the next line");
            break;
        }
        m_log.Line("text where a message header belongs: skipped to the next message");
        return Headers::kBroken;
    }
    if (!haveLength || badLength) {
        m_log.Line(std::string(haveLength ? "a message header with an unreadable or conflicting"
                                          : "a message header without") +
                   " Content-Length: skipped to the next message");
        return Headers::kBroken;
    }
    return Headers::kComplete;
}

FramedMessage MessageReader::ReadBody(size_t length) {
    const size_t kept = std::min(length, m_max);
    size_t scanned = 0;
    while (true) {
        const std::string_view unread = Unread();
        const size_t region = std::min(unread.size(), kept);
        size_t undecided = kNone;
        const size_t next = FindLengthHeader(unread, scanned, region, undecided);
        if (next != kNone) {
            m_log.Line("Content-Length " + std::to_string(length) +
                       " is more than the message: its body ends after " + Bytes(next) +
                       ", where the next message begins");
            FramedMessage message{FramedMessage::Kind::kMessage,
                                  std::string(unread.substr(0, next))};
            m_pos += next;
            return message;
        }
        if (unread.size() >= kept) {
            break;
        }
        scanned = undecided != kNone ? undecided : region;
        if (!Fill()) {
            m_log.Line("the input ended inside a message: " + std::to_string(unread.size()) +
                       " of " + Bytes(length));
            m_pos = m_buffer.size();
            return {};
        }
    }
    if (length <= m_max) {
        FramedMessage message{FramedMessage::Kind::kMessage,
                              std::string(Unread().substr(0, length))};
        m_pos += length;
        return message;
    }
    // Over the limit: the first bytes are kept, the rest is read past.
    FramedMessage message{FramedMessage::Kind::kOversized,
                          std::string(Unread().substr(0, kHeadBytes)), length};
    m_pos += kept;
    size_t remaining = length - kept;
    while (remaining > 0) {
        const std::string_view unread = Unread();
        const size_t region = std::min(unread.size(), remaining);
        size_t undecided = kNone;
        const size_t next = FindLengthHeader(unread, 0, region, undecided);
        if (next != kNone) {
            m_log.Line("Content-Length " + std::to_string(length) +
                       " is more than the message: it ends where the next message begins");
            m_pos += next;
            break;
        }
        const size_t take = unread.size() >= remaining || undecided == kNone ? region : undecided;
        m_pos += take;
        remaining -= take;
        if (remaining > 0 && !Fill()) {
            m_log.Line("the input ended inside a message of " + Bytes(length));
            m_pos = m_buffer.size();
            return {};
        }
    }
    m_log.Line("a message of " + Bytes(length) + " is over the limit of " + Bytes(m_max) +
               ": skipped");
    return message;
}

bool MessageReader::SkipToNextHeader() {
    size_t skipped = 0;
    while (true) {
        const std::string_view unread = Unread();
        size_t undecided = kNone;
        const size_t next = FindLengthHeader(unread, 0, unread.size(), undecided);
        const size_t take = next != kNone ? next : undecided != kNone ? undecided : unread.size();
        skipped += take;
        m_pos += take;
        if (next != kNone) {
            m_log.Line("skipped " + Bytes(skipped) + " up to the next message");
            return true;
        }
        if (!Fill()) {
            skipped += Unread().size();
            m_pos = m_buffer.size();
            m_log.Line("skipped " + Bytes(skipped) + " up to the end of the input");
            return false;
        }
    }
}
