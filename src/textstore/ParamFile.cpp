// Readings of the parameter text format:
// - A file is bytes. Lines end at "\n"; a "\r" directly before it is dropped; a last line
//   without "\n" counts. NUL bytes, bytes of invalid UTF-8 and a byte-order mark are ordinary
//   characters (a mark at the start of the file becomes part of the first line).
// - A line whose first character other than tabs is "#" is a comment; elsewhere "#" cuts the
//   line, inside a value too. Tabs count as spaces.
// - Pieces are read left to right; whatever follows a piece is read as the next piece.
// - "[Name" without "]" takes the rest of the line as name. "<Tag" without ">" takes the rest
//   of the line as tag text; "<>", "< >" and "<:>" select nothing. A leading ":" names the group
//   "GlobalParameters"; runs of ":" act as one separator; blanks in tag text vanish. Tags nest
//   to any depth: every component is a level of its own.
// - "Key" without "<" is a key (inner spaces kept) with an empty value; "Key<v" takes the rest
//   of the line as value; "Key<>..." stores an empty value and drops the rest of the line;
//   blanks vanish from a key written before "<".
#include "textstore/ParamFile.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>

#include "resource/SectionPath.h"
#include "resource/StringOps.h"
#include "textstore/FileBytes.h"
#include "textstore/NameConstants.h"

namespace {

constexpr std::string_view kBlanks = " \t";
constexpr std::string_view kGlobal = kGlobalSection;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string_view TrimColons(std::string_view s) {
    return TrimView(s, ":");
}

// s without its blanks: s itself when it has none, else a copy in scratch.
std::string_view EraseBlanks(std::string_view s, std::string& scratch) {
    if (!HasBlank(s)) {
        return s;
    }
    scratch.assign(s);
    EraseAll(" ", scratch);
    return scratch;
}

// A tag piece split: the path it names with its blanks erased and ":" trimmed from both ends
// (empty when it names nothing), whether a leading ":" put that path below "GlobalParameters",
// and the rest of the line. The path may point into scratch or s, the rest into s.
struct TagText {
    std::string_view m_path;
    bool m_global = false;
    std::string_view m_rest;
};

TagText SplitTag(std::string_view s, std::string& scratch) {
    TagText tag;
    const size_t close = s.find('>');
    std::string_view inner = s.substr(1, close == std::string_view::npos ? s.npos : close - 1);
    if (close != std::string_view::npos) {
        tag.m_rest = TrimBlanks(s.substr(close + 1));
    }
    inner = EraseBlanks(inner, scratch);
    tag.m_global = !inner.empty() && inner.front() == ':';
    tag.m_path = TrimColons(inner);
    return tag;
}

// Calls visit(part) for the group a tag names and then for each level below it; empty levels
// are skipped, so a run of ":" acts as one separator.
template <class Visit>
void ForEachTagPart(bool global, std::string_view path, Visit&& visit) {
    if (global) {
        visit(kGlobal);
    }
    ForEachSectionPart(path, EmptyParts::kSkip, [&visit](std::string_view part) {
        visit(part);
        return true;
    });
}

}  // namespace

bool ParseTag(const std::string& s, std::string& name, std::string& path, std::string& rest) {
    name.clear();
    path.clear();
    rest.clear();
    if (s.empty()) {
        return false;
    }
    std::string scratch;
    const TagText tag = SplitTag(s, scratch);
    rest.assign(tag.m_rest);
    if (tag.m_path.empty()) {
        return !rest.empty();
    }
    std::string_view below = tag.m_path;
    if (tag.m_global) {
        name.assign(kGlobal);
    } else {
        const size_t colon = below.find(':');
        name.assign(below.substr(0, colon));
        below = colon == std::string_view::npos ? std::string_view() : below.substr(colon + 1);
    }
    path.assign(TrimColons(below));
    return true;
}

// Every block that still has children is threaded onto a chain through its own child map, under
// the name "" that no tag creates (empty components are skipped); each is emptied in turn, so
// any depth takes neither recursion nor memory, which a destructor could not report lacking.
ParamBlock::~ParamBlock() {
    std::unique_ptr<ParamBlock> chain;
    std::unique_ptr<ParamBlock> emptied;
    ParamBlock* block = this;
    while (true) {
        while (!block->m_children.empty()) {
            auto node = block->m_children.extract(block->m_children.begin());
            std::unique_ptr<ParamBlock> child = std::move(node.mapped());
            if (!child->m_children.empty()) {
                node.key().clear();
                node.mapped() = std::move(chain);
                child->m_children.insert(std::move(node));
                chain = std::move(child);
            }
        }
        if (!chain) {
            return;
        }
        emptied = std::move(chain);
        block = emptied.get();
        chain = std::move(block->m_children.extract(block->m_children.begin()).mapped());
    }
}

bool ParamFile::Parse(const std::string& filter) {
    std::string bytes;
    if (!ReadFileBytes(m_path, bytes)) {
        return false;
    }
    ParseText(std::move(bytes), filter);
    return true;
}

void ParamFile::ParseText(std::string text, const std::string& filter) {
    m_filter = filter;
    TrimChars(" ", m_filter);
    m_active = true;
    m_lineNo = 0;
    char* const data = text.data();
    const size_t size = text.size();
    const size_t mark = std::string_view(text).substr(0, kByteOrderMark.size()) == kByteOrderMark
                            ? kByteOrderMark.size()
                            : 0;
    size_t pos = 0;
    while (pos < size) {
        const void* feed = std::memchr(data + pos, '\n', size - pos);
        size_t end =
            feed != nullptr ? static_cast<size_t>(static_cast<const char*>(feed) - data) : size;
        const size_t next = end + 1;
        ++m_lineNo;
        if (feed != nullptr && end > pos && data[end - 1] == '\r') {
            --end;
        }
        const size_t fullLength = end - pos;
        // Everything from the first "#" on is comment; a line that is blank before it yields
        // nothing, which is how a comment line reads as well.
        const auto* hash = static_cast<const char*>(std::memchr(data + pos, '#', end - pos));
        if (hash != nullptr) {
            end = static_cast<size_t>(hash - data);
        }
        std::replace(data + pos, data + end, '\t', ' ');
        const std::string_view line(data + pos, end - pos);
        if (m_observer != nullptr) {
            BeginLine(line, hash, fullLength, m_lineNo == 1 ? mark : 0);
        }
        ProcessPieces(line);
        pos = next;
    }
}

void ParamFile::Clear() {
    m_groups.clear();
    m_curList = nullptr;
}

void ParamFile::ProcessLine(const std::string& line) {
    if (m_observer != nullptr) {
        BeginLine(line, nullptr, line.size(), 0);
    }
    ProcessPieces(line);
}

void ParamFile::ParseKeyValue(const std::string& line) {
    if (m_observer != nullptr) {
        BeginLine(line, nullptr, line.size(), 0);
    }
    ProcessPieces(TakeEntry(line));
}

// Each piece hands back the rest of the line, which is read as the next piece. Every rest is
// a suffix of the line, so trimming the line's end once keeps the whole loop linear.
void ParamFile::ProcessPieces(std::string_view line) {
    line = TrimBlanks(line);
    while (true) {
        const size_t first = line.find_first_not_of(kBlanks);
        if (first == std::string_view::npos) {
            return;
        }
        line.remove_prefix(first);
        if (line.front() == '[') {
            line = TakeSection(line);
        } else if (!m_active) {
            return;
        } else if (line.front() == '<') {
            line = TakeTag(line);
        } else {
            line = TakeEntry(line);
        }
    }
}

// A section line only switches lines on or off; it never changes where entries go.
std::string_view ParamFile::TakeSection(std::string_view s) {
    const size_t close = s.find(']');
    std::string_view name = s.substr(1, close == std::string_view::npos ? s.npos : close - 1);
    name = TrimBlanks(name);
    m_active = m_filter.empty() || m_filter == name;
    if (close == std::string_view::npos) {
        if (m_observer != nullptr) {
            ObserveOpen(ParamObserver::Construct::kSection, s.data(), s);
        }
        return {};
    }
    return s.substr(close + 1);
}

std::string_view ParamFile::TakeTag(std::string_view s) {
    const TagText tag = SplitTag(s, m_scratch);
    if (!tag.m_path.empty()) {
        SelectList(tag.m_global, tag.m_path);
    }
    if (m_observer != nullptr) {
        ObserveTag(s, tag.m_global, tag.m_path);
    }
    return tag.m_rest;
}

void ParamFile::SelectList(bool global, std::string_view path) {
    BlockList* list = nullptr;
    ForEachTagPart(global, path, [this, &list](std::string_view part) {
        if (list == nullptr) {
            list = &GroupList(part);
            return;
        }
        auto& children = list->m_children;
        auto it = children.lower_bound(part);
        if (it == children.end() || it->first != part) {
            it = children.emplace_hint(it, std::string(part), std::make_unique<BlockList>());
        }
        list = it->second.get();
    });
    m_curList = list;
}

std::string_view ParamFile::TakeEntry(std::string_view piece) {
    const std::string_view s = TrimBlanks(piece);
    const size_t open = s.find('<');
    std::string_view key = s;  // a key without "<" keeps its inner blanks
    std::string_view value;
    std::string_view rest;
    if (open != std::string_view::npos) {
        key = EraseBlanks(s.substr(0, open), m_scratch);
        value = TrimBlanks(s.substr(open + 1));
        const size_t close = value.find('>');
        if (close == 0) {
            value = {};  // "Key<>": the rest of the line is dropped
        } else if (close != std::string_view::npos) {
            rest = value.substr(close + 1);
            value = TrimBlanks(value.substr(0, close));
        }
    }
    const StoreResult stored = StoreEntry(key, value);
    if (m_observer != nullptr) {
        ObserveEntry(s, open, key, value, stored);
    }
    return rest;
}

ParamFile::StoreResult ParamFile::StoreEntry(std::string_view key, std::string_view value) {
    if (m_curList == nullptr) {
        m_curList = &GroupList(kGlobal);
        if (m_observer != nullptr) {
            m_sectionPath.assign(kGlobal);
            m_observer->OnSection(m_sectionPath);
        }
    }
    auto& values = m_curList->m_values;
    auto it = values.lower_bound(key);
    if (it != values.end() && it->first == key) {
        const size_t previousLine = it->second.m_line;
        it->second.m_text.assign(value);
        it->second.m_line = m_lineNo;
        return {true, previousLine};
    }
    values.emplace_hint(it, std::string(key), ParamValue{std::string(value), m_lineNo});
    return {};
}

void ParamFile::BeginLine(std::string_view line, const char* hash, size_t fullLength, size_t mark) {
    m_line.m_start = line.data();
    m_line.m_hash = hash;
    m_line.m_end = line.data() + fullLength;
    m_line.m_skip = mark;
    m_line.m_cursor = line.data() + mark;
    m_line.m_column = 1;
    if (mark != 0) {
        m_observer->OnByteOrderMark(line.substr(mark));
    }
    if (hash != nullptr) {
        m_observer->OnComment(m_lineNo, std::string_view(hash + 1, m_line.m_end - hash - 1));
    }
}

// Counts on from the last position asked for, back from the line's start only for one before
// it.
ParamPosition ParamFile::PositionOf(const char* at) {
    if (at < m_line.m_cursor) {
        m_line.m_cursor = m_line.m_start + m_line.m_skip;
        m_line.m_column = 1;
    }
    for (; m_line.m_cursor < at; ++m_line.m_cursor) {
        if ((static_cast<unsigned char>(*m_line.m_cursor) & 0xC0) != 0x80) {
            ++m_line.m_column;
        }
    }
    return {m_lineNo, m_line.m_column};
}

void ParamFile::ObserveTag(std::string_view s, bool global, std::string_view path) {
    const size_t close = s.find('>');
    if (path.empty()) {
        m_observer->OnEmptyTag(PositionOf(s.data()),
                               s.substr(0, close == std::string_view::npos ? close : close + 1));
    } else {
        m_sectionPath.clear();
        ForEachTagPart(global, path, [this](std::string_view part) {
            if (!m_sectionPath.empty()) {
                m_sectionPath += ':';
            }
            m_sectionPath += part;
        });
        m_observer->OnTag(PositionOf(s.data()), m_sectionPath);
        m_observer->OnSection(m_sectionPath);
    }
    if (close == std::string_view::npos) {
        ObserveOpen(ParamObserver::Construct::kTag, s.data(), s);
    }
}

// A construct left open runs to the end of the line. When its closing bracket stands after the
// line's "#", the "#" was meant as text.
void ParamFile::ObserveOpen(ParamObserver::Construct construct, const char* at,
                            std::string_view what) {
    const char closer = construct == ParamObserver::Construct::kSection ? ']' : '>';
    const char* hash = m_line.m_hash;
    if (hash != nullptr && std::memchr(hash + 1, closer, m_line.m_end - hash - 1) != nullptr) {
        m_observer->OnHashCut(construct, PositionOf(hash), what);
    } else if (construct == ParamObserver::Construct::kSection) {
        m_observer->OnUnclosedSection(PositionOf(at), what);
    } else if (construct == ParamObserver::Construct::kTag) {
        m_observer->OnUnclosedTag(PositionOf(at), what);
    } else {
        m_observer->OnUnclosedValue(PositionOf(at), what);
    }
}

// Re-reads the piece s (open is its first "<") for what TakeEntry decided without a word.
void ParamFile::ObserveEntry(std::string_view s, size_t open, std::string_view key,
                             std::string_view value, StoreResult stored) {
    const ParamEntryEvent entry{m_sectionPath, key, value, PositionOf(s.data())};
    if (open == std::string_view::npos) {
        m_observer->OnBareKey(entry.m_at, s);
    } else {
        const std::string_view written = TrimBlanks(s.substr(0, open));
        if (HasBlank(written)) {
            m_observer->OnBlankInKey(entry.m_at, written, key);
        }
        const std::string_view text = TrimBlanks(s.substr(open + 1));
        const size_t close = text.find('>');
        if (close == 0) {
            const std::string_view lost = TrimBlanks(text.substr(1));
            if (!lost.empty()) {
                m_observer->OnLostText(PositionOf(lost.data()), lost);
            }
        } else if (close == std::string_view::npos) {
            ObserveOpen(ParamObserver::Construct::kValue, s.data() + open, key);
        }
    }
    if (stored.m_replaced) {
        m_observer->OnKeySetAgain(entry, stored.m_previousLine);
    }
    m_observer->OnEntry(entry);
}

BlockList& ParamFile::GroupList(std::string_view name) {
    auto it = m_groups.lower_bound(name);
    if (it == m_groups.end() || it->first != name) {
        it = m_groups.try_emplace(it, std::string(name));
    }
    return it->second;
}
