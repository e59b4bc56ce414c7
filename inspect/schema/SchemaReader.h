// Reads a schema file: JSON Schema, draft 2020-12, as far as it describes the merged parameter
// view (an object of sections, each an object of keys). Top level and sections: "type"
// ("object"), "properties", "patternProperties", "additionalProperties" (true or false),
// "required". Keys: "type" ("integer", "number", "boolean", "string", "array"), "minimum",
// "maximum", "exclusiveMinimum", "exclusiveMaximum", "enum", "pattern", "items", "minItems",
// "maxItems", "default", and two of our own: "x-unit" (the unit shown with the value) and
// "x-layers" (the layers that may set the key). Everywhere: "$comment", "title", "description",
// "examples", "deprecated"; at the top "$schema" and "$id". Any other keyword, a keyword where it
// cannot apply, a duplicate member and a default that breaks its own key's rules are errors:
// nothing in the file is ignored.
#ifndef QUENDEL_INSPECT_SCHEMA_SCHEMAREADER_H
#define QUENDEL_INSPECT_SCHEMA_SCHEMAREADER_H

#include <string>
#include <vector>

#include "inspect/schema/Schema.h"

inline constexpr char kSchemaDialect[] = "https://json-schema.org/draft/2020-12/schema";

// False with every problem found, each "POINTER: what" where POINTER is the JSON pointer of
// the schema concerned ("/properties/Gain/properties/MasterGain: unknown keyword ...").
bool ReadSchema(const std::string& text, Schema& schema, std::vector<std::string>& errors,
                const NameHint& hint = nullptr);
// Reads the file at path; the errors then begin with the path.
bool ReadSchemaFile(const std::string& path, Schema& schema, std::vector<std::string>& errors,
                    const NameHint& hint = nullptr);

#endif
