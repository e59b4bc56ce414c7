// The scanner follows the parser's readings step by step (see textstore/ParamFile.cpp); where
// the parser silently picks a reading for malformed text, the scanner says which.
#include "ParamLint.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <system_error>
#include <utility>

#include "StdoutCapture.h"
#include "resource/StringOps.h"
#include "resource/ValueText.h"
#include "textstore/NameConstants.h"
#include "textstore/ParamFile.h"

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kBlanks = " \t";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kListedPrefix = "File";
constexpr size_t kQuoteLength = 40;

std::string_view TrimSet(std::string_view s, std::string_view set) {
    const size_t first = s.find_first_not_of(set);
    if (first == std::string_view::npos) {
        return {};
    }
    return s.substr(first, s.find_last_not_of(set) - first + 1);
}

std::string_view TrimBlanks(std::string_view s) {
    return TrimSet(s, kBlanks);
}

bool HasBlank(std::string_view s) {
    return s.find_first_of(kBlanks) != std::string_view::npos;
}

std::string EraseBlanks(std::string_view s) {
    std::string result;
    std::copy_if(s.begin(), s.end(), std::back_inserter(result),
                 [](char c) { return c != ' ' && c != '\t'; });
    return result;
}

// Text for a message: quoted, shortened (never inside a UTF-8 sequence), control characters
// escaped.
std::string Quote(std::string_view text) {
    size_t length = std::min(text.size(), kQuoteLength);
    while (length > 0 && length < text.size() &&
           (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) {
        --length;
    }
    std::string quoted = "\"";
    for (size_t i = 0; i < length; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c == 0x7f) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
            quoted += escaped;
        } else {
            quoted += text[i];
        }
    }
    return quoted + (length < text.size() ? "...\"" : "\"");
}

// The index of a listed-file key "File<i>" as the store reads it (decimal, no sign, no
// leading zero), or -1.
int64_t ListedIndex(std::string_view key) {
    if (key.substr(0, kListedPrefix.size()) != kListedPrefix) {
        return -1;
    }
    const std::string_view digits = key.substr(kListedPrefix.size());
    if (digits.empty() || digits.size() > 10 || (digits.size() > 1 && digits.front() == '0') ||
        digits.find_first_not_of("0123456789") != std::string_view::npos) {
        return -1;
    }
    return std::stoll(std::string(digits));
}

class Scanner {
  public:
    explicit Scanner(std::string file) : m_file(std::move(file)) {}

    ParamScan Scan(std::string_view text) {
        const bool mark = text.substr(0, kByteOrderMark.size()) == kByteOrderMark;
        if (mark) {
            AddFinding(1, 1, "bom", MarkEffect(text.substr(kByteOrderMark.size())));
        }
        size_t pos = 0;
        while (pos < text.size()) {
            const size_t feed = text.find('\n', pos);
            size_t end = feed == std::string_view::npos ? text.size() : feed;
            ++m_lineNo;
            if (feed != std::string_view::npos && end > pos && text[end - 1] == '\r') {
                --end;
            }
            m_skip = m_lineNo == 1 && mark ? kByteOrderMark.size() : 0;
            ScanLine(text.substr(pos, end - pos));
            pos = feed == std::string_view::npos ? text.size() : feed + 1;
        }
        return std::move(m_scan);
    }

  private:
    // What the parser makes of a first line that begins with a byte-order mark.
    static std::string MarkEffect(std::string_view rest) {
        rest = TrimBlanks(rest.substr(0, rest.find_first_of("#\r\n")));
        std::string effect = "byte-order mark at the start of the file: it is read as text, ";
        if (rest.empty()) {
            return effect + "here as a key of its own with an empty value";
        }
        if (rest.front() == '<') {
            return effect + "so the tag on this line is read as a key and selects nothing";
        }
        if (rest.front() == '[') {
            return effect + "so the section line is read as a key";
        }
        return effect + "so the first key carries it and no lookup finds that key";
    }

    enum class OpenKind { kNone, kSection, kTag, kValue };

    // Everything from the first "#" on is comment; tabs count as spaces.
    void ScanLine(std::string_view line) {
        const size_t hash = line.find('#');
        m_line.assign(line.substr(0, hash));
        std::replace(m_line.begin(), m_line.end(), '\t', ' ');
        m_open = OpenKind::kNone;
        Pieces(m_line);
        if (m_open == OpenKind::kNone) {
            return;
        }
        // A construct left open by the end of the line; when its closing bracket follows a
        // "#", the "#" was meant as text.
        const char closer = m_open == OpenKind::kSection ? ']' : '>';
        if (hash != std::string_view::npos &&
            line.find(closer, hash + 1) != std::string_view::npos) {
            const char* what = m_open == OpenKind::kValue ? "the value of "
                               : m_open == OpenKind::kTag ? "the tag "
                                                          : "the section line ";
            Report(hash, "hash-cut",
                   std::string("\"#\" cuts ") + what + Quote(m_openWhat) +
                       ": the rest of the line is a comment (a value cannot hold \"#\")");
        } else if (m_open == OpenKind::kValue) {
            Report(m_openAt, "unclosed-value",
                   "value of " + Quote(m_openWhat) +
                       " without \">\": the rest of the line is read as its value");
        } else if (m_open == OpenKind::kTag) {
            Report(m_openAt, "unclosed-tag",
                   "tag " + Quote(m_openWhat) +
                       " without \">\": the rest of the line is read as the tag");
        } else {
            Report(m_openAt, "unclosed-section",
                   "section line " + Quote(m_openWhat) +
                       " without \"]\": the rest of the line is read as its name");
        }
    }

    void Pieces(std::string_view line) {
        line = TrimBlanks(line);
        while (true) {
            const size_t first = line.find_first_not_of(kBlanks);
            if (first == std::string_view::npos) {
                return;
            }
            line.remove_prefix(first);
            m_open = OpenKind::kNone;
            if (line.front() == '[') {
                line = Section(line);
            } else if (line.front() == '<') {
                line = Tag(line);
            } else {
                line = Entry(line);
            }
        }
    }

    // Section lines only switch lines on or off by a filter, which the stores never set.
    std::string_view Section(std::string_view s) {
        const size_t close = s.find(']');
        if (close == std::string_view::npos) {
            MarkOpen(OpenKind::kSection, s, s);
            return {};
        }
        return s.substr(close + 1);
    }

    std::string_view Tag(std::string_view s) {
        const size_t close = s.find('>');
        std::string_view rest;
        if (close == std::string_view::npos) {
            MarkOpen(OpenKind::kTag, s, s);
        } else {
            rest = TrimBlanks(s.substr(close + 1));
        }
        const std::string inner = EraseBlanks(s.substr(1, close == s.npos ? s.npos : close - 1));
        const std::string_view names = TrimSet(inner, ":");
        if (names.empty()) {
            Report(s, "empty-tag",
                   "empty tag " + Quote(s.substr(0, close == s.npos ? s.npos : close + 1)) +
                       " selects nothing: entries keep going to section " +
                       Quote(m_current == nullptr ? std::string_view(kGlobalSection)
                                                  : std::string_view(*m_current->m_path)));
            return rest;
        }
        std::string_view path;
        if (inner.front() == ':') {
            m_path = kGlobalSection;
            path = names;
        } else {
            const size_t colon = names.find(':');
            m_path.assign(names.substr(0, colon));
            path = colon == names.npos ? std::string_view() : names.substr(colon + 1);
        }
        path = TrimSet(path, ":");
        while (!path.empty()) {
            const size_t colon = path.find(':');
            const std::string_view component = path.substr(0, colon);
            path = colon == path.npos ? std::string_view() : TrimSet(path.substr(colon + 1), ":");
            if (!component.empty()) {
                m_path.append(":").append(component);
            }
        }
        Select(m_path);
        return rest;
    }

    void Select(std::string_view path) {
        auto it = m_sections.find(path);
        if (it == m_sections.end()) {
            auto shared = std::make_shared<const std::string>(path);
            it = m_sections.emplace(*shared, SectionState{shared, {}}).first;
        }
        m_current = &it->second;
    }

    std::string_view Entry(std::string_view piece) {
        const std::string_view s = TrimBlanks(piece);
        const size_t open = s.find('<');
        if (open == std::string_view::npos) {
            if (s != kByteOrderMark) {
                Report(s, "bare-key",
                       Quote(s) + " has no \"<\": read as a key with an empty value" +
                           (HasBlank(s) ? " that no lookup finds (its blanks stay)" : ""));
            }
            Store(std::string(s), {}, s);
            return {};
        }
        const std::string_view written = TrimBlanks(s.substr(0, open));
        const std::string key = EraseBlanks(written);
        if (HasBlank(written)) {
            Report(written, "blank-in-key",
                   "key " + Quote(written) + " is read as " + Quote(key) + ": blanks vanish");
        }
        std::string_view value = TrimBlanks(s.substr(open + 1));
        std::string_view rest;
        const size_t close = value.find('>');
        if (close == 0) {
            const std::string_view lost = TrimBlanks(value.substr(1));
            if (!lost.empty()) {
                Report(lost, "lost-text", "text after \"<>\" is lost: " + Quote(lost));
            }
            value = {};
        } else if (close != std::string_view::npos) {
            rest = value.substr(close + 1);
            value = TrimBlanks(value.substr(0, close));
        } else {
            MarkOpen(OpenKind::kValue, s.substr(open), key);
        }
        Store(key, value, written);
        return rest;
    }

    void Store(const std::string& key, std::string_view value, std::string_view at) {
        if (m_current == nullptr) {
            Select(kGlobalSection);
        }
        const auto [seen, first] = m_current->m_seen.try_emplace(key, m_lineNo);
        if (!first) {
            Report(at, "duplicate-key",
                   "key " + Quote(key) + " set again in section " + Quote(*m_current->m_path) +
                       " (before at line " + std::to_string(seen->second) +
                       "): this later value wins");
            seen->second = m_lineNo;
        }
        m_scan.m_entries.push_back(
            ScannedEntry{m_current->m_path, key, std::string(value), m_lineNo, Column(Offset(at))});
    }

    void MarkOpen(OpenKind kind, std::string_view at, std::string_view what) {
        m_open = kind;
        m_openAt = Offset(at);
        m_openWhat.assign(what);
    }

    size_t Offset(std::string_view at) const {
        return static_cast<size_t>(at.data() - m_line.data());
    }

    // Characters, not bytes, up to offset; the byte-order mark is not counted.
    size_t Column(size_t offset) const {
        size_t column = 1;
        for (size_t i = m_skip; i < offset && i < m_line.size(); ++i) {
            if ((static_cast<unsigned char>(m_line[i]) & 0xC0) != 0x80) {
                ++column;
            }
        }
        return column;
    }

    void Report(std::string_view at, const char* code, std::string message) {
        Report(Offset(at), code, std::move(message));
    }
    void Report(size_t offset, const char* code, std::string message) {
        AddFinding(m_lineNo, Column(offset), code, std::move(message));
    }
    void AddFinding(size_t line, size_t column, const char* code, std::string message) {
        m_scan.m_findings.push_back(LintFinding{m_file, line, column, code, std::move(message)});
    }

    std::string m_file;
    ParamScan m_scan;
    std::string m_line;  // the current line up to its first "#", tabs as spaces
    size_t m_lineNo = 0;
    size_t m_skip = 0;  // leading bytes not counted in columns (the byte-order mark)
    // A section path is built once per tag and shared by its entries: a path may be as long as
    // its tag, and copying it per entry would cost its length times the number of entries.
    struct SectionState {
        std::shared_ptr<const std::string> m_path;
        std::map<std::string, size_t, std::less<>> m_seen;  // key to line of its last setting
    };
    std::map<std::string_view, SectionState> m_sections;  // keys view the paths they hold
    SectionState* m_current = nullptr;  // where entries go; null until the first tag or entry
    std::string m_path;                 // the path of the tag being read
    OpenKind m_open = OpenKind::kNone;
    size_t m_openAt = 0;
    std::string m_openWhat;
};

bool ReadBytes(const std::string& path, std::string& bytes) {
    std::error_code error;
    if (fs::is_directory(path, error)) {
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

bool IsReadableFile(const std::string& path) {
    std::error_code error;
    return fs::is_regular_file(path, error) && static_cast<bool>(std::ifstream(path));
}

// The last setting of a top-level entry, which is the one that counts.
const ScannedEntry* TopLevelEntry(const ParamScan& scan, const std::string& key) {
    const ScannedEntry* found = nullptr;
    for (const ScannedEntry& entry : scan.m_entries) {
        if (*entry.m_section == kGlobalSection && entry.m_key == key) {
            found = &entry;
        }
    }
    return found;
}

// The file configuration as the text store reads it: "FileNumbers" (a number, then atoi) and
// the entries File0 to File<FileNumbers - 1>, each a path relative to the configuration's
// directory.
void CheckFileConfig(const std::string& path, const std::string& bytes, const ParamScan& scan,
                     std::vector<LintFinding>& findings) {
    ParamFile config(path);
    config.ParseText(bytes, "");
    const auto add = [&](const ScannedEntry* at, const char* code, std::string message) {
        findings.push_back(LintFinding{path, at != nullptr ? at->m_line : 1,
                                       at != nullptr ? at->m_column : 1, code, std::move(message)});
    };
    std::string countText;
    long count = 0;
    const ScannedEntry* countEntry = TopLevelEntry(scan, "FileNumbers");
    if (!config.Lookup("", "FileNumbers", countText)) {
        add(nullptr, "file-count", "no FileNumbers entry: no listed file is read");
        return;
    }
    {
        StdoutCapture quiet;  // "2.5" is read as 2 with the library's warning
        if (!ToLong(countText, count)) {
            add(countEntry, "file-count",
                "FileNumbers " + Quote(countText) + " is not a number: no listed file is read");
            return;
        }
    }
    if (countText.find('.') != std::string::npos) {
        add(countEntry, "file-count",
            "FileNumbers " + Quote(countText) + " is read as " + std::to_string(count));
    }
    std::string dir = fs::path(path).parent_path().string();
    dir = dir.empty() ? "./" : dir + "/";
    std::map<std::string, const ScannedEntry*> listed;
    for (const ScannedEntry& entry : scan.m_entries) {
        const std::string_view key = entry.m_key;
        if (*entry.m_section == kGlobalSection && key.size() > kListedPrefix.size() &&
            key.substr(0, kListedPrefix.size()) == kListedPrefix &&
            key.find_first_not_of("0123456789", kListedPrefix.size()) == key.npos) {
            listed[entry.m_key] = &entry;  // the last setting counts
        }
    }
    for (const auto& [key, entry] : listed) {
        const int64_t index = ListedIndex(key);
        if (index < 0 || index >= count) {
            add(entry, "file-count",
                Quote(key) + " is not read: FileNumbers is " + std::to_string(count) +
                    (index < 0 ? " and the store reads File0, File1, ... without leading zeros"
                               : ""));
            continue;
        }
        std::string file;
        config.Lookup("", key, file);
        if (!IsReadableFile(dir + file)) {
            add(entry, "missing-file",
                key + " names " + Quote(file) + ", which does not exist (" + dir + file + ")");
        }
    }
}

}  // namespace

ParamScan ScanParamText(std::string_view text, const std::string& file) {
    return Scanner(file).Scan(text);
}

bool LintParamFile(const std::string& path, std::vector<LintFinding>& findings,
                   std::string& error) {
    std::string bytes;
    if (!ReadBytes(path, bytes)) {
        error = "cannot read " + path;
        return false;
    }
    ParamScan scan = ScanParamText(bytes, path);
    findings.insert(findings.end(), scan.m_findings.begin(), scan.m_findings.end());
    if (fs::path(path).filename() == kFileConfigFile) {
        CheckFileConfig(path, bytes, scan, findings);
    }
    return true;
}

std::vector<std::string> CollectParamFiles(const std::vector<std::string>& names,
                                           std::vector<std::string>& errors) {
    std::vector<std::string> files;
    for (const std::string& name : names) {
        std::error_code error;
        if (!fs::is_directory(name, error)) {
            if (fs::exists(name, error)) {
                files.push_back(name);
            } else {
                errors.push_back("no such file or directory: " + name);
            }
            continue;
        }
        std::vector<std::string> found;
        for (auto it = fs::recursive_directory_iterator(name, error);
             !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
            if (it->path().extension() == ".pp" && it->is_regular_file(error)) {
                found.push_back(it->path().string());
            }
        }
        if (error) {
            errors.push_back("cannot read the directory " + name + ": " + error.message());
        } else if (found.empty()) {
            errors.push_back("no parameter file (*.pp) below " + name);
        }
        std::sort(found.begin(), found.end());
        files.insert(files.end(), found.begin(), found.end());
    }
    return files;
}
