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
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

#include "resource/StringOps.h"
#include "textstore/NameConstants.h"

namespace {

constexpr std::string_view kBlanks = " \t";
constexpr std::string_view kGlobal = kGlobalSection;

std::string_view TrimSet(std::string_view s, std::string_view set) {
    const size_t first = s.find_first_not_of(set);
    if (first == std::string_view::npos) {
        return {};
    }
    const size_t last = s.find_last_not_of(set);
    return s.substr(first, last - first + 1);
}

std::string_view TrimBlanks(std::string_view s) {
    return TrimSet(s, kBlanks);
}
std::string_view TrimColons(std::string_view s) {
    return TrimSet(s, ":");
}

bool HasBlank(std::string_view s) {
    return s.find_first_of(kBlanks) != std::string_view::npos;
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

// Splits a tag piece; name and path may point into scratch or s, rest into s.
bool SplitTag(std::string_view s, std::string& scratch, std::string_view& name,
              std::string_view& path, std::string_view& rest) {
    name = {};
    path = {};
    rest = {};
    if (s.empty()) {
        return false;
    }
    const size_t close = s.find('>');
    std::string_view inner = s.substr(1, close == std::string_view::npos ? s.npos : close - 1);
    if (close != std::string_view::npos) {
        rest = TrimBlanks(s.substr(close + 1));
    }
    inner = EraseBlanks(inner, scratch);
    if (inner.empty()) {
        return !rest.empty();
    }
    const bool global = inner.front() == ':';
    inner = TrimColons(inner);
    if (inner.empty()) {
        return !rest.empty();
    }
    if (global) {
        name = kGlobal;
        path = inner;
    } else {
        const size_t colon = inner.find(':');
        name = inner.substr(0, colon);
        if (colon != std::string_view::npos) {
            path = inner.substr(colon + 1);
        }
    }
    path = TrimColons(path);
    return true;
}

}  // namespace

// A read error keeps what was read before it; one before the first byte (a directory, say)
// counts as a file that cannot be read.
bool ReadFileBytes(const std::string& path, std::string& bytes) {
    // A NUL would silently shorten the path to another file.
    if (path.find('\0') != std::string::npos) {
        return false;
    }
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                         &std::fclose);
    if (!file) {
        return false;
    }
    // The size is only a hint (one read for a regular file); anything else is read in turns.
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    const size_t capacity = error ? size_t{1} << 16 : static_cast<size_t>(size) + 1;
    bytes.resize(capacity);
    size_t length = 0;
    while (true) {
        if (length == bytes.size()) {
            bytes.resize(bytes.size() * 2);
        }
        const size_t wanted = bytes.size() - length;
        const size_t got = std::fread(&bytes[length], 1, wanted, file.get());
        length += got;
        if (got < wanted) {
            if (std::ferror(file.get()) && length == 0) {
                return false;
            }
            break;
        }
    }
    bytes.resize(length);
    return true;
}

namespace {
constexpr size_t kHashPiece = size_t{1} << 16;
constexpr uint64_t kPrime1 = 0x9e3779b185ebca87ULL;
constexpr uint64_t kPrime2 = 0xc2b2ae3d27d4eb4fULL;

uint64_t Rotl(uint64_t x, int r) {
    return (x << r) | (x >> (64 - r));
}

uint64_t Round(uint64_t acc, uint64_t word) {
    return Rotl(acc + word * kPrime2, 31) * kPrime1;
}

// Four independent multiply-rotate lanes over 8-byte words: several megabytes are checked on
// every re-selection, several times faster than std::hash.
uint64_t HashPiece(std::string_view piece) {
    uint64_t lanes[4] = {kPrime1 + kPrime2, kPrime2, 0, 0 - kPrime1};
    const char* p = piece.data();
    size_t n = piece.size();
    uint64_t words[4];
    for (; n >= sizeof(words); p += sizeof(words), n -= sizeof(words)) {
        std::memcpy(words, p, sizeof(words));
        for (int i = 0; i < 4; ++i) {
            lanes[i] = Round(lanes[i], words[i]);
        }
    }
    uint64_t hash = Rotl(lanes[0], 1) + Rotl(lanes[1], 7) + Rotl(lanes[2], 12) + Rotl(lanes[3], 18);
    for (; n >= 8; p += 8, n -= 8) {
        uint64_t word = 0;
        std::memcpy(&word, p, 8);
        hash = Rotl(hash ^ Round(0, word), 27) * kPrime1 + kPrime2;
    }
    uint64_t tail = 0;
    std::memcpy(&tail, p, n);
    hash = Round(hash ^ tail, n) ^ piece.size();
    hash ^= hash >> 33;
    hash *= kPrime2;
    return hash ^ (hash >> 29);
}

size_t CombineHash(size_t hash, std::string_view piece) {
    return (hash ^ HashPiece(piece)) * 0x9e3779b97f4a7c15ULL;
}
}  // namespace

size_t HashBytes(std::string_view bytes) {
    size_t hash = bytes.size();
    for (size_t pos = 0; pos < bytes.size(); pos += kHashPiece) {
        hash = CombineHash(hash, bytes.substr(pos, kHashPiece));
    }
    return hash;
}

// Reads as ReadFileBytes does, piece by piece into one small buffer, so that the check of an
// unchanged file touches no more memory than that buffer.
bool HashFileBytes(const std::string& path, size_t& size, size_t& hash) {
    if (path.find('\0') != std::string::npos) {
        return false;
    }
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                         &std::fclose);
    if (!file) {
        return false;
    }
    const std::unique_ptr<char[]> buffer(new char[kHashPiece]);
    std::vector<size_t> pieces;
    size_t length = 0;
    while (true) {
        const size_t got = std::fread(buffer.get(), 1, kHashPiece, file.get());
        if (got > 0) {
            pieces.push_back(HashPiece(std::string_view(buffer.get(), got)));
        }
        length += got;
        if (got < kHashPiece) {
            if (std::ferror(file.get()) && length == 0) {
                return false;
            }
            break;
        }
    }
    // Pieces end where HashBytes cuts them only when every read but the last was whole, which
    // fread gives for a file; anything else just counts as changed.
    size_t combined = length;
    for (const size_t piece : pieces) {
        combined = (combined ^ piece) * 0x9e3779b97f4a7c15ULL;
    }
    size = length;
    hash = combined;
    return true;
}

bool ParseTag(const std::string& s, std::string& name, std::string& path, std::string& rest) {
    std::string scratch;
    std::string_view nameView;
    std::string_view pathView;
    std::string_view restView;
    const bool result = SplitTag(s, scratch, nameView, pathView, restView);
    name.assign(nameView);
    path.assign(pathView);
    rest.assign(restView);
    return result;
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

bool FindInList(const std::string& key, std::string& value, const BlockList* list) {
    if (list == nullptr) {
        return false;
    }
    const auto it = list->m_values.find(key);
    if (it == list->m_values.end()) {
        return false;
    }
    value = it->second.m_text;
    return true;
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
        // Everything from the first "#" on is comment; a line that is blank before it yields
        // nothing, which is how a comment line reads as well.
        if (const void* hash = std::memchr(data + pos, '#', end - pos)) {
            end = static_cast<size_t>(static_cast<const char*>(hash) - data);
        }
        std::replace(data + pos, data + end, '\t', ' ');
        ProcessPieces(std::string_view(data + pos, end - pos));
        pos = next;
    }
}

void ParamFile::Clear() {
    m_groups.clear();
    m_curList = nullptr;
}

void ParamFile::ProcessLine(const std::string& line) {
    ProcessPieces(line);
}

void ParamFile::ParseKeyValue(const std::string& line) {
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
    return close == std::string_view::npos ? std::string_view() : s.substr(close + 1);
}

std::string_view ParamFile::TakeTag(std::string_view s) {
    std::string_view name;
    std::string_view path;
    std::string_view rest;
    SplitTag(s, m_scratch, name, path, rest);
    if (!name.empty()) {
        SelectList(name, path);
    }
    return rest;
}

void ParamFile::SelectList(std::string_view name, std::string_view path) {
    m_curList = &GroupList(name);
    while (!path.empty()) {
        const size_t colon = path.find(':');
        const std::string_view component = path.substr(0, colon);
        path = colon == std::string_view::npos ? std::string_view()
                                               : TrimColons(path.substr(colon + 1));
        if (component.empty()) {
            continue;
        }
        auto& children = m_curList->m_children;
        auto it = children.lower_bound(component);
        if (it == children.end() || it->first != component) {
            it = children.emplace_hint(it, std::string(component), std::make_unique<BlockList>());
        }
        m_curList = it->second.get();
    }
}

std::string_view ParamFile::TakeEntry(std::string_view piece) {
    const std::string_view s = TrimBlanks(piece);
    const size_t open = s.find('<');
    if (open == std::string_view::npos) {
        StoreEntry(s, {});
        return {};
    }
    const std::string_view key = EraseBlanks(s.substr(0, open), m_scratch);
    std::string_view value = TrimBlanks(s.substr(open + 1));
    std::string_view rest;
    const size_t close = value.find('>');
    if (close == 0) {
        value = {};  // "Key<>": the rest of the line is dropped
    } else if (close != std::string_view::npos) {
        rest = value.substr(close + 1);
        value = TrimBlanks(value.substr(0, close));
    }
    StoreEntry(key, value);
    return rest;
}

void ParamFile::StoreEntry(std::string_view key, std::string_view value) {
    if (m_curList == nullptr) {
        m_curList = &GroupList(kGlobal);
    }
    auto& values = m_curList->m_values;
    auto it = values.lower_bound(key);
    if (it != values.end() && it->first == key) {
        it->second.m_text.assign(value);
        it->second.m_line = m_lineNo;
    } else {
        values.emplace_hint(it, std::string(key), ParamValue{std::string(value), m_lineNo});
    }
}

BlockList& ParamFile::GroupList(std::string_view name) {
    auto it = m_groups.lower_bound(name);
    if (it == m_groups.end() || it->first != name) {
        it = m_groups.try_emplace(it, std::string(name));
    }
    return it->second;
}

bool ParamFile::Lookup(const std::string& section, const std::string& key,
                       std::string& value) const {
    if (m_groups.empty() || key.empty()) {
        return false;
    }
    std::string keyText(key);
    EraseAll(" ", keyText);
    std::string sectionText(section);
    EraseAll(" ", sectionText);
    const std::string_view trimmed = TrimColons(sectionText);

    const BlockList* list = nullptr;
    std::string_view name = kGlobal;
    std::string_view path;
    if (!trimmed.empty()) {
        if (sectionText.front() == ':') {
            path = trimmed;
        } else {
            const size_t colon = trimmed.find(':');
            name = TrimColons(trimmed.substr(0, colon));
            if (colon != std::string_view::npos) {
                path = trimmed.substr(colon + 1);
            }
        }
    }
    const auto group = m_groups.find(name);
    if (group == m_groups.end()) {
        return false;
    }
    list = &group->second;
    // Unlike a tag, a lookup does not skip empty components: "A::B" finds nothing.
    while (!path.empty()) {
        const size_t colon = path.find(':');
        const std::string_view component = TrimColons(path.substr(0, colon));
        path = colon == std::string_view::npos ? std::string_view() : path.substr(colon + 1);
        const auto child = list->m_children.find(component);
        if (child == list->m_children.end()) {
            return false;
        }
        list = child->second.get();
    }
    return FindInList(keyText, value, list);
}

const BlockList* ParamFile::FindList(std::string_view sectionPath) const {
    size_t colon = sectionPath.find(':');
    const auto group = m_groups.find(sectionPath.substr(0, colon));
    if (group == m_groups.end()) {
        return nullptr;
    }
    const BlockList* list = &group->second;
    while (colon != std::string_view::npos) {
        sectionPath.remove_prefix(colon + 1);
        colon = sectionPath.find(':');
        const auto child = list->m_children.find(sectionPath.substr(0, colon));
        if (child == list->m_children.end()) {
            return nullptr;
        }
        list = child->second.get();
    }
    return list;
}
