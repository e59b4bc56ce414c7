// The merged parameters of a selection written in the peers' formats, with equal content:
// INI keeps the value text as it is; TOML and libconfig get typed values, nested tables for
// section paths and arrays for number lists.
#ifndef QUENDEL_BENCH_PEERFORMATS_H
#define QUENDEL_BENCH_PEERFORMATS_H

#include <map>
#include <string>

namespace reftree {

// Section path ("A:B:C") to key to value text.
using ParamTable = std::map<std::string, std::map<std::string, std::string>>;

enum class ValueType { Int, Float, Bool, Text, FloatList };

// The type a generated value text stands for.
ValueType Classify(const std::string& value);

std::string FormatIni(const ParamTable& table);
std::string FormatToml(const ParamTable& table);
std::string FormatLibconfig(const ParamTable& table);

}  // namespace reftree

#endif
