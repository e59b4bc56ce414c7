// The parameter tree the editor's files belong to, kept checked as the buffers change. Every file
// is read once, an open one from its buffer; an edit re-reads that buffer alone and re-checks
// the names it touched (CheckedTree). A change of what the tree reads (a file configuration's
// list, a new file) reads the tree again, keeping what it read of the unchanged files.
//
// Each file is answered for one selection: of the selections that read it, the one closest to
// the default selection (its group first, then transducer, then clinical setting).
#ifndef QUENDEL_LSP_TREEWORKSPACE_H
#define QUENDEL_LSP_TREEWORKSPACE_H

#include <cstddef>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "DocumentStore.h"
#include "LspJson.h"
#include "SchemaFacts.h"
#include "ServerLog.h"
#include "TreeLocator.h"
#include "inspect/lint/CheckedTree.h"

class TreeWorkspace {
  public:
    static constexpr size_t kNoSelection = SIZE_MAX;

    // report shows a problem to the user (the log has it already).
    TreeWorkspace(const DocumentStore& documents, ServerLog& log,
                  std::function<void(const std::string&)> report);

    // Reads initialize's params.
    void Configure(const Json& params);
    // A document was opened, changed or closed.
    void Changed(const std::string& path);

    // Brings the tree up to the buffers: reads it first when it is known and not read yet,
    // then applies the documents changed since.
    void Sync();
    // The files (paths, sorted) whose findings may have changed since the last call: kept
    // across Syncs, since a request may bring the tree up to date before they are published.
    std::vector<std::string> TakeTouched();

    // Whether the tree is read; the rest asks for it.
    bool Loaded() const { return m_loaded; }
    const CheckedTree& Tree() const { return *m_tree; }
    // The tree's file at path (absolute, lexically normal), or CheckedTree::kNoFile.
    uint32_t FileOf(const std::string& path) const;

    // The selection (a model selection) a file is answered for; kNoSelection without one.
    size_t SelectionFor(uint32_t file) const;
    // "Convex / CX5 / Abdomen, text store"
    std::string DescribeSelection(size_t selection) const;
    // The default selection, and a new one (parts left empty keep theirs); false with a
    // message when no selection of the tree matches it.
    const SelectionName& DefaultSelection() const { return m_default; }
    bool SetDefaultSelection(const SelectionName& wanted, std::string& error);
    // Whether the answers are for the binary store's reading of the files packed.
    bool BinaryStore() const { return m_binary; }
    // The schema named in the options, or else the one beside the tree's base directory
    // ("dev/Quendel.schema.json", as quendel check finds it); null without one.
    const SchemaFacts* Schema() const { return m_schema.get(); }
    // A file's findings: the tree's and the schema's for its values.
    std::vector<LintFinding> FindingsOf(uint32_t file) const;

  private:
    void Load(const std::string& openedPath);
    void LoadSchema(const std::string& path);
    bool Reload(std::vector<std::string>& touched);
    std::shared_ptr<const FileLint> Read(const std::string& path, std::string& error) const;
    bool InTree(const std::string& path) const;
    void Report(const std::string& problem);

    const DocumentStore& m_documents;
    ServerLog& m_log;
    std::function<void(const std::string&)> m_report;
    TreeOptions m_options;
    bool m_configured = false;
    bool m_failed = false;  // the options place a tree that is not there: said once
    bool m_loaded = false;
    bool m_binary = false;
    TreeLocation m_location;
    std::unique_ptr<CheckedTree> m_tree;
    std::unique_ptr<SchemaFacts> m_schema;
    std::set<std::string> m_pending;  // paths of documents changed since the last Sync
    std::set<std::string> m_touched;  // files whose findings may have changed, not yet taken
    SelectionName m_default;
};

#endif
