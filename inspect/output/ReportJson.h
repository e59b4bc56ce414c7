// The JSON documents of the commands that answer about a selection or a resource file, without
// "schema" (PrintJson puts it first). The Python module returns the same documents, so that it
// reports by construction what the tool reports.
#ifndef QUENDEL_INSPECT_OUTPUT_REPORTJSON_H
#define QUENDEL_INSPECT_OUTPUT_REPORTJSON_H

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "inspect/report/EntryDiff.h"
#include "inspect/report/Explanation.h"
#include "inspect/selection/Selection.h"
#include "inspect/tree/TreeListing.h"

// {"selection", "section", "key", "found", "value", "layers": [{"layer", "file", "line",
// "value", "wins"}]}
nlohmann::ordered_json ExplainJson(const Selection& selection, const std::string& section,
                                   const std::string& key, const Explanation& explanation);
// {"from", "to", "changes": [{"change", "section", "key", "from": {"value", "origin"} | null,
// "to": ...}]}
nlohmann::ordered_json DiffJson(const Selection& from, const Selection& to,
                                const std::vector<EntryChange>& changes);
// {"store", "source", "groups": [{"name", "transducers": [{"name", "clinical", "products"}]}],
// "clinical", "products": [{"name", "files"}]}; the "products" members for the binary store only.
nlohmann::ordered_json ListingJson(const Selection& selection, const TreeListing& listing);
// {"selection", "files": [{"layer", "file", "state", "detail", "entries"}]}: the reading list,
// "detail" only where there is one (the kind, the reason, the product file read instead).
nlohmann::ordered_json FilesJson(const Selection& selection,
                                 const std::vector<FileReading>& readings);
// Opens the resource file as the binary store's parser does: {"path", "ok": true, "version",
// "size", "checksum", "files", "sections", "keys", "entries"} or {"path", "ok": false, "error"};
// "entries" counts each contained file's entries, as pack does.
nlohmann::ordered_json VerifyJson(const std::string& path);

#endif
