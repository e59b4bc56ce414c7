// A starting schema inferred from a tree, for engineers to edit: for each key the narrowest type
// every file's value reads as (boolean, integer, number, a list of one of these, else string),
// the range its values span, the list length when every list has the same, and the words of a
// word key with few of them. Sections whose paths differ only in their numbers (Stage01:Band2,
// Stage07:Band4, ...) and agree on their keys' types become one family (patternProperties).
// Keys that base-level files set are required; every section, and the schema, is closed.
// Checking the tree against the schema inferred from it finds nothing.
#ifndef QUENDEL_INSPECT_SCHEMA_SCHEMAINFER_H
#define QUENDEL_INSPECT_SCHEMA_SCHEMAINFER_H

#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "inspect/schema/SchemaRecord.h"

class SchemaInference : public SchemaSink {
  public:
    // Words of a word key are listed as its "enum" up to this many.
    static constexpr size_t kMaxWords = 8;
    // Sections of one shape become a family from this many on.
    static constexpr size_t kMinFamily = 3;

    SchemaInference();
    ~SchemaInference() override;
    SchemaInference(const SchemaInference&) = delete;
    SchemaInference& operator=(const SchemaInference&) = delete;

    void BeginFile(const SchemaFile& file) override;
    void Add(const SchemaRecord& record) override;

    // The schema document. A name that is not UTF-8 cannot be a JSON member: it is left out,
    // the object that would hold it left open, and a warning says so.
    nlohmann::ordered_json Finish(const std::string& title, std::vector<std::string>& warnings);

  private:
    struct State;
    std::unique_ptr<State> m_state;
};

#endif
