// A parameter schema as the server's source of facts: type, range, unit and description of a key
// for hovers and completion, and the checks of each value a file sets.
#ifndef QUENDEL_LSP_SCHEMAFACTS_H
#define QUENDEL_LSP_SCHEMAFACTS_H

#include <string>
#include <vector>

#include "KeyFacts.h"
#include "inspect/lint/ParamLint.h"
#include "inspect/schema/Schema.h"

class SchemaFacts : public KeyFacts {
  public:
    // False with the reader's problems when the file does not read as a schema.
    bool Load(const std::string& path, std::vector<std::string>& problems);
    const std::string& Path() const { return m_path; }

    bool Describe(const std::string& section, const std::string& key, KeyFact& fact) const override;
    bool DescribeSection(const std::string& section, std::string& description) const override;

    // The schema's findings of the values one file sets. Each value is checked on its own: what
    // holds in every file holds in every selection; required keys and x-layers need the tree
    // and are left to `quendel check`.
    std::vector<LintFinding> Check(const FileLint& lint) const;

  private:
    Schema m_schema;
    std::string m_path;
};

#endif
