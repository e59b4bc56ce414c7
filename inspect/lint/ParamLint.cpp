#include "inspect/lint/ParamLint.h"

#include <sys/stat.h>
#include <utf8.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <iterator>
#include <map>
#include <set>
#include <system_error>
#include <tuple>
#include <utility>

#include "fileset/FileConfig.h"
#include "inspect/lint/LintRules.h"
#include "inspect/tree/ParamFileWalk.h"
#include "resource/StringOps.h"
#include "resource/ValueText.h"
#include "textstore/FileBytes.h"
#include "textstore/NameConstants.h"
#include "textstore/ParamFile.h"

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kBlanks = " \t";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kDirective = "quendel-lint:";
constexpr std::string_view kDisable = "disable=";
constexpr std::string_view kStdinName = "<stdin>";
constexpr size_t kQuoteLength = 40;

// Turns what the parser tells into findings, and keeps the entries it stores.
class LintListener : public ParamObserver {
  public:
    explicit LintListener(FileLint& lint) : m_lint(lint) {}

    void OnByteOrderMark(std::string_view line) override {
        Add({1, 1}, rule::kByteOrderMark, MarkEffect(TrimBlanks(line)));
    }

    // "# quendel-lint: disable=RULE[,RULE...]" anywhere in the comment of a line.
    void OnComment(size_t line, std::string_view text) override {
        const size_t at = text.find(kDirective);
        if (at == std::string_view::npos) {
            return;
        }
        text = TrimBlanks(text.substr(at + kDirective.size()));
        if (text.substr(0, kDisable.size()) != kDisable) {
            return;
        }
        text.remove_prefix(kDisable.size());
        text = text.substr(0, text.find_first_of(kBlanks));
        while (!text.empty()) {
            const size_t comma = text.find(',');
            m_lint.m_silenced.emplace_back(line, std::string(text.substr(0, comma)));
            text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
        }
    }

    void OnUnclosedSection(ParamPosition at, std::string_view text) override {
        Add(at, rule::kUnclosedSection,
            "section line " + QuoteText(text) +
                " without \"]\": the rest of the line is read as its name");
    }
    void OnUnclosedTag(ParamPosition at, std::string_view text) override {
        Add(at, rule::kUnclosedTag,
            "tag " + QuoteText(text) + " without \">\": the rest of the line is read as the tag");
    }
    void OnUnclosedValue(ParamPosition at, std::string_view key) override {
        Add(at, rule::kUnclosedValue,
            "value of " + QuoteText(key) +
                " without \">\": the rest of the line is read as its value");
    }
    void OnHashCut(Construct construct, ParamPosition at, std::string_view what) override {
        const char* cut = construct == Construct::kValue ? "the value of "
                          : construct == Construct::kTag ? "the tag "
                                                         : "the section line ";
        Add(at, rule::kHashCut,
            std::string("\"#\" cuts ") + cut + QuoteText(what) +
                ": the rest of the line is a comment (a value cannot hold \"#\")");
    }
    void OnEmptyTag(ParamPosition at, std::string_view tag) override {
        const std::string_view current =
            m_current == nullptr ? std::string_view(kGlobalSection) : *m_current;
        Add(at, rule::kEmptyTag,
            "empty tag " + QuoteText(tag) + " selects nothing: entries keep going to section " +
                QuoteText(current));
    }
    void OnLostText(ParamPosition at, std::string_view text) override {
        Add(at, rule::kLostText, "text after \"<>\" is lost: " + QuoteText(text));
    }
    void OnBareKey(ParamPosition at, std::string_view key) override {
        if (key == kByteOrderMark) {
            return;  // the mark's own finding says it
        }
        Add(at, rule::kBareKey,
            QuoteText(key) + " has no \"<\": read as a key with an empty value" +
                (HasBlank(key) ? " that no lookup finds (its blanks stay)" : ""));
    }
    void OnBlankInKey(ParamPosition at, std::string_view written, std::string_view key) override {
        Add(at, rule::kBlankInKey,
            "key " + QuoteText(written) + " is read as " + QuoteText(key) + ": blanks vanish");
    }

    void OnTag(ParamPosition at, std::string_view) override { m_tagAt = at; }

    // A section path is kept once per file, however many entries it receives.
    void OnSection(std::string_view path) override {
        auto it = m_sectionIndex.find(path);
        if (it == m_sectionIndex.end()) {
            it = m_sectionIndex
                     .emplace(std::string(path), static_cast<uint32_t>(m_lint.m_sections.size()))
                     .first;
            m_lint.m_sections.emplace_back(path);
        }
        m_current = &it->first;
        m_currentIndex = it->second;
        if (m_tagAt.m_line != 0) {
            m_lint.m_tags.push_back(LintTag{m_currentIndex, m_tagAt.m_line, m_tagAt.m_column});
            m_tagAt = ParamPosition();
        }
    }

    void OnKeySetAgain(const ParamEntryEvent& entry, size_t previousLine) override {
        Add(entry.m_at, rule::kShadowedInFile,
            "key " + QuoteText(entry.m_key) + " set again in section " +
                QuoteText(entry.m_section) + " (before at line " + std::to_string(previousLine) +
                "): this later value wins");
        m_replaced[m_currentIndex].emplace(entry.m_key);
    }

    void OnEntry(const ParamEntryEvent& entry) override {
        m_lint.m_entries.push_back(LintEntry{m_currentIndex, std::string(entry.m_key),
                                             std::string(entry.m_value), entry.m_at.m_line,
                                             entry.m_at.m_column});
    }

    // Marks the settings that a later one replaced; the last setting of an entry counts.
    void Finish() {
        if (m_replaced.empty()) {
            return;
        }
        std::set<std::pair<uint32_t, std::string_view>> seen;
        for (auto it = m_lint.m_entries.rbegin(); it != m_lint.m_entries.rend(); ++it) {
            const auto section = m_replaced.find(it->m_section);
            if (section != m_replaced.end() && section->second.count(it->m_key) != 0 &&
                !seen.emplace(it->m_section, it->m_key).second) {
                it->m_live = false;
            }
        }
    }

  private:
    // What the parser makes of a first line that begins with a byte-order mark.
    static std::string MarkEffect(std::string_view rest) {
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

    void Add(ParamPosition at, const char* rule, std::string message) {
        m_lint.m_findings.push_back(
            LintFinding{m_lint.m_path, at.m_line, at.m_column, rule, std::move(message), {}});
    }

    FileLint& m_lint;
    std::map<std::string, uint32_t, std::less<>> m_sectionIndex;
    const std::string* m_current = nullptr;  // the section receiving entries; null before any
    uint32_t m_currentIndex = 0;
    ParamPosition m_tagAt;  // the tag whose section comes next
    std::map<uint32_t, std::set<std::string, std::less<>>> m_replaced;  // entries set twice
};

// What a listed path is when it is not a regular file, null when it is one; found by its status
// alone, since lint never reads a listed file.
const char* ListedKind(const std::string& path, bool& exists) {
    struct stat info {};
    exists = ::stat(path.c_str(), &info) == 0;
    return exists ? NonRegularKind(info.st_mode) : nullptr;
}

// The columns of a line count characters (bytes that do not continue a UTF-8 sequence) from 1.
size_t ColumnOf(std::string_view line, size_t at) {
    return 1 + static_cast<size_t>(std::count_if(line.begin(), line.begin() + at, [](char c) {
               return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
           }));
}

bool IsControl(unsigned char c) {
    return (c < 0x20 && c != '\t' && c != '\r') || c == 0x7f;
}

std::string Hex(unsigned char c) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02x", c);
    return text;
}

// Control bytes other than tab and CR, and bytes that are not UTF-8, in what the parser reads of
// each line (its comment aside): the parser keeps them in keys, values and names, where no
// caller's name matches them and JSON shows U+FFFD instead. One finding per line and kind, at
// the first such byte, with its offset in the file.
void CheckBytes(std::string_view text, FileLint& lint) {
    size_t start = 0;
    size_t number = 0;
    const size_t mark = text.substr(0, kByteOrderMark.size()) == kByteOrderMark ? 3 : 0;
    while (start < text.size()) {
        ++number;
        size_t end = text.find('\n', start);
        end = end == std::string_view::npos ? text.size() : end;
        const size_t skip = number == 1 ? mark : 0;
        std::string_view line = text.substr(start + skip, end - start - skip);
        line = line.substr(0, line.find('#'));
        const auto add = [&](size_t at, const char* rule, std::string message, size_t count) {
            if (count > 1) {
                message += " (" + std::to_string(count) + " on this line)";
            }
            lint.m_findings.push_back(
                LintFinding{lint.m_path, number, ColumnOf(line, at), rule, std::move(message), {}});
        };
        const auto control = std::find_if(line.begin(), line.end(), [](char c) {
            return IsControl(static_cast<unsigned char>(c));
        });
        if (control != line.end()) {
            const size_t at = static_cast<size_t>(control - line.begin());
            add(at, rule::kControlByte,
                "control byte " + Hex(static_cast<unsigned char>(*control)) + " at byte offset " +
                    std::to_string(start + skip + at) +
                    ": the parser keeps it as text of the key, value or name it stands in",
                static_cast<size_t>(std::count_if(line.begin(), line.end(), [](char c) {
                    return IsControl(static_cast<unsigned char>(c));
                })));
        }
        auto invalid = utf8::find_invalid(line.begin(), line.end());
        if (invalid != line.end()) {
            const size_t at = static_cast<size_t>(invalid - line.begin());
            size_t count = 0;
            for (auto it = invalid; it != line.end(); it = utf8::find_invalid(it + 1, line.end())) {
                ++count;
            }
            add(at, rule::kInvalidUtf8,
                "byte " + Hex(static_cast<unsigned char>(*invalid)) + " at byte offset " +
                    std::to_string(start + skip + at) +
                    " is not UTF-8: the library returns the bytes as they are, where JSON output "
                    "and editors show U+FFFD",
                count);
        }
        start = end + 1;
    }
}

// The count "FileNumbers" gives, as the text store reads it; false when it lists nothing.
bool ListedCount(const FileLint& config, long& count) {
    const LintEntry* entry = config.TopLevel(kFileCountKey);
    return entry != nullptr && ReadFileCount(entry->m_value, FileCountReading::kTextStore, count);
}

// The file configuration as the text store reads it: "FileNumbers" (a number, then atoi) and
// the entries File0 to File<FileNumbers - 1>, each a path relative to the configuration's
// directory.
void CheckFileConfig(FileLint& lint) {
    const auto add = [&lint](const LintEntry* at, const char* rule, std::string message) {
        lint.m_findings.push_back(LintFinding{lint.m_path,
                                              at != nullptr ? at->m_line : 1,
                                              at != nullptr ? at->m_column : 1,
                                              rule,
                                              std::move(message),
                                              {}});
    };
    const LintEntry* countEntry = lint.TopLevel(kFileCountKey);
    long count = 0;
    if (countEntry == nullptr) {
        add(nullptr, rule::kFileCount, "no FileNumbers entry: no listed file is read");
        return;
    }
    const std::string& countText = countEntry->m_value;
    if (!ListedCount(lint, count)) {
        add(countEntry, rule::kFileCount,
            "FileNumbers " + QuoteText(countText) + " is not a number: no listed file is read");
        return;
    }
    if (countText.find('.') != std::string::npos) {
        add(countEntry, rule::kFileCount,
            "FileNumbers " + QuoteText(countText) + " is read as " + std::to_string(count));
    }
    std::string dir = fs::path(lint.m_path).parent_path().string();
    dir = dir.empty() ? "./" : dir + "/";
    std::map<std::string_view, const LintEntry*> listed;  // by key, the last setting counts
    for (const LintEntry& entry : lint.m_entries) {
        const std::string_view key = entry.m_key;
        if (entry.m_live && lint.m_sections[entry.m_section] == kGlobalSection &&
            LooksListed(key)) {
            listed[key] = &entry;
        }
    }
    for (const auto& [key, entry] : listed) {
        const int64_t index = ListedIndex(key);
        if (index < 0 || index >= count) {
            add(entry, rule::kFileCount,
                QuoteText(key) + " is not read: FileNumbers is " + std::to_string(count) +
                    (index < 0 ? " and the store reads File0, File1, ... without leading zeros"
                               : ""));
            continue;
        }
        bool exists = false;
        const std::string path = dir + entry->m_value;
        if (const char* kind = ListedKind(path, exists)) {
            add(entry, rule::kNotRegular,
                std::string(key) + " names " + QuoteText(entry->m_value) + ", which is " + kind +
                    ", not a regular file: no store reads it (" + path + ")");
        } else if (!exists) {
            add(entry, rule::kMissingFile,
                std::string(key) + " names " + QuoteText(entry->m_value) +
                    ", which does not exist (" + path + ")");
        }
    }
}

}  // namespace

bool FindingBefore(const LintFinding& a, const LintFinding& b) {
    return std::tie(a.m_file, a.m_line, a.m_column, a.m_rule, a.m_message) <
           std::tie(b.m_file, b.m_line, b.m_column, b.m_rule, b.m_message);
}

// Comments come line by line, so m_silenced is in line order.
bool FileLint::Silenced(size_t line, std::string_view rule) const {
    auto it = std::lower_bound(m_silenced.begin(), m_silenced.end(), line,
                               [](const auto& silenced, size_t at) { return silenced.first < at; });
    for (; it != m_silenced.end() && it->first == line; ++it) {
        if (it->second == rule) {
            return true;
        }
    }
    return false;
}

const LintEntry* FileLint::TopLevel(std::string_view key) const {
    for (auto it = m_entries.rbegin(); it != m_entries.rend(); ++it) {
        if (it->m_key == key && m_sections[it->m_section] == kGlobalSection) {
            return &*it;
        }
    }
    return nullptr;
}

std::vector<const LintEntry*> ListedFileEntries(const FileLint& config, FileCountReading reading) {
    long count = 0;
    std::vector<const LintEntry*> listed;
    const LintEntry* countEntry = config.TopLevel(kFileCountKey);
    if (countEntry == nullptr || !ReadFileCount(countEntry->m_value, reading, count)) {
        return listed;
    }
    std::vector<const LintEntry*> live;
    std::vector<std::string_view> keys;
    for (const LintEntry& entry : config.m_entries) {
        if (entry.m_live && config.m_sections[entry.m_section] == kGlobalSection) {
            live.push_back(&entry);
            keys.push_back(entry.m_key);
        }
    }
    for (const size_t i : ListedOrder(keys, count)) {
        listed.push_back(live[i]);
    }
    return listed;
}

FileLint LintText(std::string text, const std::string& path) {
    FileLint lint;
    lint.m_path = path;
    CheckBytes(text, lint);
    LintListener listener(lint);
    ParamFile file(path);
    file.SetObserver(&listener);
    file.ParseText(std::move(text), "");
    listener.Finish();
    if (fs::path(path).filename() == kFileConfigFile) {
        CheckFileConfig(lint);
    }
    if (!lint.m_silenced.empty()) {
        const auto silenced = [&lint](const LintFinding& finding) {
            return lint.Silenced(finding.m_line, finding.m_rule);
        };
        lint.m_findings.erase(
            std::remove_if(lint.m_findings.begin(), lint.m_findings.end(), silenced),
            lint.m_findings.end());
    }
    return lint;
}

bool LintFile(const std::string& path, FileLint& lint, std::string& error) {
    std::string bytes;
    if (path == "-") {
        bytes.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
        if (std::cin.bad()) {
            error = "cannot read standard input";
            return false;
        }
        lint = LintText(std::move(bytes), std::string(kStdinName));
        return true;
    }
    FileProblem problem;
    if (!ReadFileBytes(path, bytes, &problem)) {
        if (problem.m_kind == nullptr) {
            error = "cannot read " + path + ": " + DescribeProblem(problem);
            return false;
        }
        lint = FileLint();
        lint.m_path = path;
        lint.m_findings.push_back(NotRegularFinding(path, problem.m_kind, ""));
        return true;
    }
    lint = LintText(std::move(bytes), path);
    return true;
}

std::vector<std::string> CollectParamFiles(const std::vector<std::string>& names,
                                           std::vector<std::string>& errors) {
    std::vector<std::string> files;
    for (const std::string& name : names) {
        std::error_code error;
        if (name == "-" || !fs::is_directory(name, error)) {
            if (name == "-" || fs::exists(name, error)) {
                files.push_back(name);
            } else {
                errors.push_back("no such file or directory: " + name);
            }
            continue;
        }
        const ParamFileWalk walk = WalkParamFiles(name);
        if (walk.m_error) {
            errors.push_back("cannot read the directory " + name + ": " + walk.m_error.message());
        } else if (walk.m_files.empty()) {
            errors.push_back("no parameter file (*.pp) below " + name);
        }
        // Whatever else bears a ".pp" name is linted too, for its finding.
        for (const auto* list : {&walk.m_files, &walk.m_notRegular}) {
            for (const ParamFileEntry& file : *list) {
                files.push_back(file.m_path);
            }
        }
    }
    return files;
}

LintFinding NotRegularFinding(const std::string& path, const char* kind, const std::string& layer) {
    return LintFinding{
        path,
        1,
        1,
        rule::kNotRegular,
        std::string("this is ") + kind + ", not a regular file: " +
            (layer.empty() ? "no store reads it"
                           : "the store reads nothing for the " + layer + " at this path"),
        {}};
}

std::string QuoteText(std::string_view text) {
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
