// Shared pieces of the commands' output: aligned text columns and the origin of a value in
// text and JSON form.
#ifndef QUENDEL_INSPECT_OUTPUT_ENTRYOUTPUT_H
#define QUENDEL_INSPECT_OUTPUT_ENTRYOUTPUT_H

#include <cstddef>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <vector>

#include "inspect/selection/Selection.h"
#include "resource/IStoreProvenance.h"

// Rows of cells printed in aligned columns. A column is as wide as its widest cell that is not
// longer than a limit (longer cells stick out); the last cell of a row is not padded.
class TextTable {
  public:
    explicit TextTable(size_t maxWidth = 32) : m_maxWidth(maxWidth) {}
    void Add(std::vector<std::string> row) { m_rows.push_back(std::move(row)); }
    void Print(std::ostream& out, const std::string& indent = std::string()) const;

  private:
    size_t m_maxWidth;
    std::vector<std::vector<std::string>> m_rows;
};

// The file below the store's file root (the text store's resource root, the binary store's
// directory prefix), with ":line" when the line is known.
std::string OriginText(const Selection& selection, const ValueOrigin& origin);
// {"layer", "file", "line"}; no "line" for the binary store.
nlohmann::ordered_json OriginJson(const ValueOrigin& origin);
// {"store": "text"|"bin", "source": root or resource file, "group", "probe", "clinical"}.
nlohmann::ordered_json SelectionJson(const Selection& selection);

// The version of the JSON documents' layout, raised when a member changes its meaning or goes.
constexpr int kJsonSchema = 1;

// Writes json to standard output, with "schema" as the first member of the document. Texts
// that are not UTF-8 (files in another encoding) cannot be JSON strings: their invalid bytes
// become U+FFFD instead of failing the whole output.
void PrintJson(const nlohmann::ordered_json& json);

// An error of a command: "quendel COMMAND: MESSAGE" on standard error (without a command,
// "quendel: MESSAGE") and, for --json, the document {"schema": 1, "error": {"message", "path"}}
// on standard output, path being the file or directory the error concerns (null for none), so
// that a script always reads one document.
void PrintError(const std::string& command, const std::string& message, bool json,
                const std::string& path = std::string());
// The document alone, for errors already written to standard error.
void PrintErrorDocument(const std::string& message, const std::string& path = std::string());

// Routes the host log, opens the selection (Selection::Open, or OpenTree for a whole tree) and
// prints its problems on standard error ("quendel <command>: warning: ..."); with --strict a
// problem is an error. False after printing the error (PrintError).
bool OpenSelection(Selection& selection, const SelectionOptions& options,
                   const std::string& command, bool wholeTree = false);

#endif
