// The scanner-sized reference tree the benchmarks run on: its selections, the entries the
// lookups ask for and the files written beside it for the peers. Shared by the generator and
// the benchmarks so both name the same things.
#ifndef QUENDEL_BENCH_REFTREE_H
#define QUENDEL_BENCH_REFTREE_H

#include <cstdint>
#include <string>
#include <vector>

namespace reftree {

struct Selection {
    std::string f;  // group
    std::string p;  // transducer
    std::string a;  // clinical setting
};

inline constexpr int kGroups = 8;
inline constexpr int kProbes = 6;
inline constexpr int kClinicals = 12;
inline constexpr uint64_t kDefaultSeed = 20261212;

// Directory names below the output directory: ShippedRoot is the output directory itself.
inline const char* const kResourceName = "Quendel";
inline const char* const kUserDefinedDir = "userdefined";
inline const char* const kPeerDir = "peers";

// The file names of the layout, below the resource root.
inline const char* const kFileConfigFile = "FileConfig.pp";
inline const char* const kBaseFile = "ImgResBase.pp";
inline const char* const kClinicalDir = "Clns";
inline const char* const kClinicalBaseFile = "ImgResClnBase.pp";
inline const char* const kGroupFile = "ImgResGrp.pp";
inline const char* const kProbeFile = "ImgResXdr.pp";
inline const char* const kClinicalFile = "ImgResCln.pp";
// Listed in the file configuration as File0, File1, File2 (lowest precedence last).
inline const char* const kListedFiles[] = {"Common/ImgResSys.pp", "Common/ImgResProc.pp",
                                           "Common/ImgResDisp.pp"};

std::string GroupName(int i);     // 0-based: "Grp1" ... "Grp8"
std::string ProbeName(int i);     // "Xdr1" ... "Xdr6"
std::string ClinicalName(int i);  // "Cln01" ... "Cln12"

// The selection every measure starts from, and its neighbours one level away.
Selection StartSelection();
Selection ClinicalSwitch();  // another clinical setting, same group and transducer
Selection ProbeSwitch();     // another transducer, same group and clinical setting
Selection GroupSwitch();     // another group, same transducer and clinical setting

// Entries the lookups ask for: one section three levels deep holding an int, a word and lists
// of exactly 256 decimals, ints and bools, all from the group clinical file (which both stores
// read; the binary store has no user-defined file).
inline const char* const kLookupSection = "Harmonic00:Band1:Zone2";
inline const char* const kIntKey = "Level";
inline const char* const kWordKey = "Method";
inline const char* const kListKey = "Coeffs";
inline const char* const kIntListKey = "Counts";
inline const char* const kBoolListKey = "Flags";
inline constexpr int kListLength = 256;

// Names of the 116 IdEnum parameter groups in the packed tree, one "<id> <section path>" a
// line beside the resource file; the lookup section is the group of kLookupId.
inline const char* const kIdNamesFile = "IdEnumNames.txt";
// The schema of the tree's section families beside its resource root, where quendel check
// looks for it: "dev/Quendel.schema.json".
inline const char* const kSchemaSuffix = ".schema.json";
inline constexpr int kIdCount = 116;
inline constexpr int kLookupId = 0;

// The merged parameters of StartSelection() as one ".pp" file and in the peers' formats.
inline const char* const kPeerPp = "Selection.pp";
inline const char* const kPeerIni = "Selection.ini";
inline const char* const kPeerToml = "Selection.toml";
inline const char* const kPeerCfg = "Selection.cfg";

std::string ResourceRoot(const std::string& out);  // out + "/dev/Quendel/"
std::string UserDefinedRoot(const std::string& out);
std::string PeerFile(const std::string& out, const char* name);
std::string IdNamesFile(const std::string& out);  // out + "/dev/IdEnumNames.txt"

// Every file the text store reads for a selection, in the tree's layout.
std::vector<std::string> SelectionFiles(const std::string& out, const Selection& s);
// Sum of the sizes of the given files; missing files count 0.
uint64_t TotalBytes(const std::vector<std::string>& files);

}  // namespace reftree

#endif
