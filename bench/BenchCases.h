// The benchmark cases, registered at run time on the data of one reference tree, and the
// names under which the table finds their results.
#ifndef QUENDEL_BENCH_BENCHCASES_H
#define QUENDEL_BENCH_BENCHCASES_H

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace bench {

// What every case needs to know about the reference tree.
struct BenchData {
    std::string tree;
    std::string pp, ini, toml, cfg;  // the merged start selection in each format
    uint64_t contentBytes = 0;       // size of the ".pp" file: every parse is rated against it
    std::string section, intKey, wordKey, listKey;  // the entries the lookups ask for
    // The right answers, read from the INI text; every lookup case checks its result.
    int expectedInt = 0;
    std::string expectedWord;
    std::vector<float> expectedList;
    std::string listText;
};

// Reads the peer files' names and the expected answers; throws when the tree is incomplete.
BenchData LoadBenchData(const std::string& tree);

// Calls visit(section, key, value) for every entry of the merged selection, as our parser
// reads the ".pp" file of it (checked against inih before any timing).
void ForEachSelectionEntry(
    const BenchData& data,
    const std::function<void(const std::string& section, const std::string& key,
                             const std::string& value)>& visit);

// inih's map of strings, keyed the way its INIReader keys it: section + "=" + name.
using IniMap = std::map<std::string, std::string>;
bool ParseIniMap(const std::string& path, IniMap& map);

// A list of decimals separated by ", " read with std::from_chars or strtof, as a baseline.
bool FloatsFromChars(const std::string& text, std::vector<float>& out);
bool FloatsStrtof(const std::string& text, std::vector<float>& out);

void RegisterInihCases(const BenchData& data);
void RegisterTomlCases(const BenchData& data);
void RegisterLibconfigCases(const BenchData& data);
void RegisterBoostCases(const BenchData& data);
void RegisterBaselineCases(const BenchData& data);
// Our ".pp" parse, then the stores through Quendel (the binary store when the tree is packed).
void RegisterOurCases(const BenchData& data);
void RegisterStoreCases(const BenchData& data);
void RegisterPackCases(const BenchData& data);
void RegisterLintCases(const BenchData& data);
// Every selection at once: lint across selections, matrix, impact. The second reference tree
// (another seed) lies at OtherTree(data.tree).
void RegisterMatrixCases(const BenchData& data);
std::string OtherTree(const std::string& tree);
// The editor server on the tree: start-up, diagnostics after edits, hover, definition.
void RegisterLspCases(const BenchData& data);

// Names of the results; the table refers to them.
namespace name {
inline const char* const kParseOurs = "Parse/Quendel_ParamFile";
inline const char* const kParseInihMap = "Parse/inih_map";
inline const char* const kParseInihNoop = "Parse/inih_noop";
inline const char* const kParseBoost = "Parse/Boost_PropertyTree_ini";
inline const char* const kParseLibconfig = "Parse/libconfig++";
inline const char* const kParseToml = "Parse/toml++";

inline const char* const kIntInih = "LookupInt/inih_map_stoi";
inline const char* const kIntToml = "LookupInt/toml++";
inline const char* const kIntBoost = "LookupInt/Boost_PropertyTree";
inline const char* const kIntLibconfig = "LookupInt/libconfig++";
inline const char* const kIntUnorderedMap = "LookupInt/unordered_map_find";
inline const char* const kIntTwoLevelMap = "LookupInt/two_level_map_find";

inline const char* const kWordInih = "LookupString/inih_map";
inline const char* const kWordToml = "LookupString/toml++";
inline const char* const kWordBoost = "LookupString/Boost_PropertyTree";
inline const char* const kWordLibconfig = "LookupString/libconfig++";

inline const char* const kListInih = "LookupList256/inih_map_from_chars";
inline const char* const kListToml = "LookupList256/toml++";
inline const char* const kListBoost = "LookupList256/Boost_PropertyTree_from_chars";
inline const char* const kListLibconfig = "LookupList256/libconfig++";
inline const char* const kListFromChars = "Convert256/from_chars";
// What opening the resource file costs at the least: map it and compute its checksum.
inline const char* const kMapAndHash = "Baseline/map_and_XXH3_64";
inline const char* const kListStrtof = "Convert256/strtof";

inline const char* const kIntOursText = "LookupInt/Quendel_text";
inline const char* const kIntOursBinary = "LookupInt/Quendel_binary";
inline const char* const kIntIdEnumBinary = "LookupInt/Quendel_binary_IdEnum";
inline const char* const kIntHashedBinary = "LookupInt/Quendel_binary_hashed";
inline const char* const kWordOursText = "LookupString/Quendel_text";
inline const char* const kWordOursBinary = "LookupString/Quendel_binary";
inline const char* const kListOursText = "LookupList256/Quendel_text";
inline const char* const kListOursBinary = "LookupList256/Quendel_binary";
inline const char* const kElementOursText = "LookupElement/Quendel_text_GetParamInArray";
inline const char* const kElementOursBinary = "LookupElement/Quendel_binary_GetParamInArray";

inline const char* const kInitialText = "Store/text_first_Initial";
inline const char* const kClinicalText = "Store/text_clinical_switch";
inline const char* const kProbeText = "Store/text_transducer_switch";
inline const char* const kGroupText = "Store/text_group_switch";
inline const char* const kInitialBinary = "Store/binary_first_Initial";
inline const char* const kClinicalBinary = "Store/binary_clinical_switch";
inline const char* const kProbeBinary = "Store/binary_transducer_switch";
inline const char* const kGroupBinary = "Store/binary_group_switch";
inline const char* const kPack = "Pack/quendel_pack";
inline const char* const kOpenFile = "Pack/OpenFile";
inline const char* const kLintTree = "Lint/quendel_lint_tree";
inline const char* const kLintTreeLayers = "Lint/quendel_lint_tree_without_selections";
inline const char* const kMatrixText = "Matrix/one_key_text";
inline const char* const kMatrixBinary = "Matrix/one_key_binary";
inline const char* const kImpactOne = "Impact/one_group_clinical_file";
inline const char* const kImpactAll = "Impact/trees_of_other_seeds";
inline const char* const kLspStartup = "Lsp/start_to_first_diagnostics";
inline const char* const kLspEditClinical = "Lsp/diagnostics_after_group_clinical_edit";
inline const char* const kLspEditBase = "Lsp/diagnostics_after_base_edit";
inline const char* const kLspHover = "Lsp/hover";
inline const char* const kLspDefinition = "Lsp/definition";

// Measured in their own processes, as factors of the bytes the store read.
inline const char* const kMemoryText = "Memory/text_store";
inline const char* const kMemoryBinary = "Memory/binary_store";
inline const char* const kMemoryImpact = "Memory/impact_of_other_seeds";
inline const char* const kMemoryLsp = "Memory/lsp_server";
}  // namespace name

}  // namespace bench

#endif
