// Lint for parameter text files: reads a file by the same rules as the library's forgiving
// parser and reports every construct that it reads in a way its author probably did not mean,
// with its line and column (columns count characters, from 1; a byte-order mark is not
// counted).
#ifndef QUENDEL_TOOLS_PARAMLINT_H
#define QUENDEL_TOOLS_PARAMLINT_H

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct LintFinding {
    std::string m_file;
    size_t m_line = 0;
    size_t m_column = 0;
    // bom, unclosed-section, unclosed-tag, empty-tag, unclosed-value, lost-text, hash-cut,
    // bare-key, blank-in-key, duplicate-key, file-count, missing-file
    std::string m_code;
    std::string m_message;
};

// One entry as the parser stores it, and where it was written.
struct ScannedEntry {
    std::shared_ptr<const std::string> m_section;  // shared by the entries of one section
    std::string m_key;
    std::string m_value;
    size_t m_line = 0;
    size_t m_column = 0;
};

struct ParamScan {
    std::vector<LintFinding> m_findings;  // in file order
    std::vector<ScannedEntry> m_entries;  // every entry stored, in file order; later ones win
};

// Reads text as the parser reads a file's bytes; file names the file in the findings.
ParamScan ScanParamText(std::string_view text, const std::string& file);

// Lints one file: its text and, for a file configuration ("FileConfig.pp"), the files it
// lists, which must exist relative to its directory. False with a message when the file
// cannot be read.
bool LintParamFile(const std::string& path, std::vector<LintFinding>& findings, std::string& error);

// The files named: a file as given, a directory as every "*.pp" file below it in path order.
// A name that is neither, or a directory without parameter files, adds a message to errors.
std::vector<std::string> CollectParamFiles(const std::vector<std::string>& names,
                                           std::vector<std::string>& errors);

#endif
