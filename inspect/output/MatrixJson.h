// The JSON documents of the reports across every selection of a tree, without "schema"
// (PrintJson puts it first). The Python module returns the same documents.
#ifndef QUENDEL_INSPECT_OUTPUT_MATRIXJSON_H
#define QUENDEL_INSPECT_OUTPUT_MATRIXJSON_H

#include <nlohmann/json.hpp>

#include "inspect/matrix/KeyMatrix.h"
#include "inspect/matrix/TreeImpact.h"
#include "inspect/matrix/TreeModel.h"

// {"store", "source", "section", "key", "clinical": [...], "rows": [{"group", "transducer",
// "product", "cells": [{"clinical", "found", "value", "layer", "file", "line"}]}]}; "product"
// only for a row that reads a product's transducer file, "line" only where known.
nlohmann::ordered_json MatrixJson(const TreeModel& model, const KeyMatrix& matrix);

// {"from", "to", "files", "selections": [{"group", "transducer", "clinical"}], "changes":
// [{"section", "key", "from", "to" (null where absent), "reach": "6 of 12: ...", "selections":
// [indices into the selections above], "places": [{"from": {"file", "line", "layer"} | null,
// "to": ...}], "morePlaces"}], "masked": [{"file", "line", "section", "key", "from", "to"}],
// "added": [...], "removed": [...]}
nlohmann::ordered_json ImpactJson(const TreeImpact& impact);

#endif
