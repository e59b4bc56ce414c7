// What a schema shows of a selection: its merged view with typed values, and what the schema
// says of one key (type, range, unit, description) for explain and get.
#ifndef QUENDEL_INSPECT_SCHEMA_SCHEMAVIEW_H
#define QUENDEL_INSPECT_SCHEMA_SCHEMAVIEW_H

#include <nlohmann/json.hpp>
#include <string>

#include "inspect/schema/Schema.h"
#include "resource/IStoreProvenance.h"

// {section: {key: value}} of every entry, each value read as its key's schema declares it (a
// number, a boolean, an array); a value that does not read as its declared type, or has no
// schema, stays its text. Given this view, a JSON Schema validator of the schema file finds a
// fault exactly where CheckSelection reports a value finding.
nlohmann::ordered_json TypedView(const Schema& schema, const EntryTable& entries);

// The schema of one key: the first that applies (its own section's, then the families'); null
// when none does.
const KeySchema* KeySchemaOf(const Schema& schema, const std::string& section,
                             const std::string& key);
// {"type", "unit", "minimum", "maximum", "exclusiveMinimum", "exclusiveMaximum", "enum",
// "pattern", "items": {...}, "minItems", "maxItems", "default", "layers", "title",
// "description", "where"}, each only when the schema says it.
nlohmann::ordered_json KeyFactsJson(const KeySchema& key);
// One line: "integer from -20 to 60 dB, default 0; set by base, group and transducer files
// only: Receive gain added at every depth".
std::string KeyFactsText(const KeySchema& key);
// The same without the description: "integer from -20 to 60 dB, default 0".
std::string KeyRulesText(const KeySchema& key);
// "3 dB": a value with the key's unit, if it has one.
std::string ValueWithUnit(const std::string& value, const KeySchema* key);

#endif
