// The checks of a parameter tree, or of one selection, against a schema. A value is checked
// against the schema of the section and key it sets, in every file that sets it: every value a
// selection holds is some file's value, so what holds in every file holds in every selection.
// "x-layers" is checked against the layer of each file. "required" needs the files together: a
// section that a file sets must find each required key in that file or in a file that every
// selection reading it reads too (the base level, and the levels above it in the directory),
// else the smallest selection that reads the file lacks the key.
#ifndef QUENDEL_INSPECT_SCHEMA_SCHEMACHECK_H
#define QUENDEL_INSPECT_SCHEMA_SCHEMACHECK_H

#include <memory>
#include <string>
#include <vector>

#include "inspect/schema/Schema.h"
#include "inspect/schema/SchemaRecord.h"
#include "inspect/schema/SchemaRules.h"
#include "resource/IStoreProvenance.h"

class SchemaChecker : public SchemaSink {
  public:
    // schemaPath names the schema file in findings about the tree as a whole.
    SchemaChecker(const Schema& schema, std::string schemaPath, NameHint hint = nullptr);
    ~SchemaChecker() override;
    SchemaChecker(const SchemaChecker&) = delete;
    SchemaChecker& operator=(const SchemaChecker&) = delete;

    void BeginFile(const SchemaFile& file) override;
    void Add(const SchemaRecord& record) override;
    // Every finding, the requirements checked across the files; once, after the last file.
    // Files of an unknown layer (named on their own) get the value checks alone.
    std::vector<SchemaFinding> Finish();

  private:
    struct State;
    friend std::vector<SchemaFinding> CheckSelection(const Schema&, const EntryTable&,
                                                     const std::string&, const std::string&,
                                                     const NameHint&);
    std::unique_ptr<State> m_state;
};

// One selection's merged view, as a store answers it: each entry with its winning origin.
// description names the selection in messages ("text store, F=Convex P=CX5 A=Abdomen").
std::vector<SchemaFinding> CheckSelection(const Schema& schema, const EntryTable& entries,
                                          const std::string& schemaPath,
                                          const std::string& description,
                                          const NameHint& hint = nullptr);

#endif
