// Lint of one parameter text file: the library's parser reads it with a listener that turns
// every reading it picks for malformed or suspicious text into a finding, with its line and
// column, and keeps every entry the parser stores for the checks across files.
#ifndef QUENDEL_INSPECT_LINT_PARAMLINT_H
#define QUENDEL_INSPECT_LINT_PARAMLINT_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "fileset/FileConfig.h"

// A name that a finding suggests in place of the one written ("did you mean"), and the
// base-level setting that defines it.
struct LintSuggestion {
    bool m_section = false;  // a section path; else a key
    std::string m_name;
    std::string m_file;
    size_t m_line = 0;
};

struct LintFinding {
    std::string m_file;
    size_t m_line = 0;
    size_t m_column = 0;  // characters from 1; a byte-order mark is not counted
    std::string m_rule;
    std::string m_message;
    std::vector<LintSuggestion> m_suggestions;  // those the message names, in its order
};

// Findings by file, line, column, then rule and message, so that every run prints the same.
bool FindingBefore(const LintFinding& a, const LintFinding& b);

// One entry as the parser stored it and where it was written.
struct LintEntry {
    uint32_t m_section = 0;  // index into FileLint::m_sections
    std::string m_key;
    std::string m_value;
    size_t m_line = 0;
    size_t m_column = 0;
    bool m_live = true;  // false when a later setting of the same entry in the file replaces it
};

// A tag that names a section, where its "<" stands.
struct LintTag {
    uint32_t m_section = 0;  // index into FileLint::m_sections
    size_t m_line = 0;
    size_t m_column = 0;
};

struct FileLint {
    std::string m_path;
    std::vector<LintFinding> m_findings;
    std::vector<std::string> m_sections;  // every section path the file names, once
    std::vector<LintEntry> m_entries;     // in file order
    std::vector<LintTag> m_tags;          // in file order
    // Rules that an inline "# quendel-lint: disable=RULE[,RULE...]" comment silences on its line.
    std::vector<std::pair<size_t, std::string>> m_silenced;

    bool Silenced(size_t line, std::string_view rule) const;
    // The setting that counts of a key in section "GlobalParameters", or null.
    const LintEntry* TopLevel(std::string_view key) const;
};

// Lints text as the content of the file path; a file configuration ("FileConfig.pp") is checked
// for the files it lists as well, relative to its directory.
FileLint LintText(std::string text, const std::string& path);
// Reads the file (path "-": standard input, reported as "<stdin>") and lints it; false with a
// message when it cannot be read. A path that is not a regular file (a FIFO, a directory, ...)
// is not read but gets its finding.
bool LintFile(const std::string& path, FileLint& lint, std::string& error);

// The listed files of a file configuration as a store reads them (the text store unless told):
// each "File<i>" entry below "FileNumbers", in index order.
std::vector<const LintEntry*> ListedFileEntries(
    const FileLint& config, FileCountReading reading = FileCountReading::kTextStore);

// The files named: a file as given, a directory as every "*.pp" file below it in path order
// (those that are not regular files included).
// A name that is neither, or a directory without parameter files, adds a message to errors.
std::vector<std::string> CollectParamFiles(const std::vector<std::string>& names,
                                           std::vector<std::string>& errors);

// The finding for a path that is not a regular file (kind "a FIFO", ...), at the place of the
// layer that would read it ("transducer file"; empty for none).
LintFinding NotRegularFinding(const std::string& path, const char* kind, const std::string& layer);

// Text for a message: quoted, shortened (never inside a UTF-8 sequence), control characters
// escaped.
std::string QuoteText(std::string_view text);

#endif
