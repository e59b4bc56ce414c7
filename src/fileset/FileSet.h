// Where both stores find their files. The host settings that place the parameter tree are named
// here with their defaults and read nowhere else, and every path of the layered file set is
// composed by one function below. "+" is plain concatenation throughout: nothing is inserted,
// trimmed or normalised, so a root that ends in "/" gives a doubled separator.
#ifndef QUENDEL_FILESET_FILESET_H
#define QUENDEL_FILESET_FILESET_H

#include <array>
#include <cstddef>
#include <string>

// A host setting: its section, its key and the text a missing setting reads as.
struct HostSetting {
    const char* m_section;
    const char* m_key;
    const char* m_default;
};

// The seven entries of the binary store's selection list, in the parser's order of precedence.
// An entry that does not apply is empty, never left out.
enum SelectionSlot : size_t {
    kClinicalSlot,              // Clns/A/ImgResCln.pp
    kClinicalBaseSlot,          // Clns/ImgResClnBase.pp, in every selection
    kProductGroupClinicalSlot,  // F/P/[R/]A/R/ImgResCln.pp
    kGroupClinicalSlot,         // F/P/[R/]A/ImgResCln.pp
    kProductProbeSlot,          // F/P/R/ImgResXdr.pp, when the resource file holds it
    kProbeSlot,                 // F/P/ImgResXdr.pp
    kGroupSlot,                 // F/ImgResGrp.pp
    kSelectionSlots
};
using SelectionPaths = std::array<std::string, kSelectionSlots>;

// Where the host settings place the tree, as both stores and lint find it.
struct TreeLocation {
    std::string m_name;          // N: the resource name (QuendelFileName)
    std::string m_root;          // S/dev/N/: the text store's resource root
    std::string m_resourceFile;  // S/dev/N.bin: the binary store's resource file
    std::string m_dirPrefix;     // N/: the first directory of every file in the resource file
    std::string m_userDir;       // U/N/: the directory that holds the user-defined groups
    std::string m_productRule;   // the binary store's product rule; empty for none
};

class FileSet {
  public:
    FileSet() = delete;

    // Read as a bool, false when missing: the text store when true, else the binary store.
    static constexpr HostSetting kUseTextStore{"PostProcessing", "UseTxtQuendel", "false"};
    // S: the directory that holds dev/.
    static constexpr HostSetting kShippedRoot{"Path", "ShippedRoot", ""};
    // N: the resource root's directory below dev/, the resource file's name and the first
    // directory of every file inside the resource file.
    static constexpr HostSetting kResourceName{"Product-GeneralSpecification", "QuendelFileName",
                                               "Quendel"};
    // U: the root of the user-defined files.
    static constexpr HostSetting kUserDefinedRoot{"Path", "SystemHQUserDefinedRoot",
                                                  "d:/dev_userdefined"};
    static constexpr HostSetting kSystemHQPath{"Product-GeneralSpecification", "SystemHQPath", ""};
    // The binary store's product rule directory; missing, it reads as the SystemHQPath value.
    static constexpr HostSetting kProductRule{"Product-GeneralSpecification", "QuendelProductRule",
                                              nullptr};

    // The settings as the host has them now.
    static bool UseTextStore();
    static std::string Read(const HostSetting& setting);
    static std::string ProductRule();
    // The tree the settings place now.
    static TreeLocation Locate();

    // S + "/dev/" + N + "/": the text store's resource root R.
    static std::string ResourceRoot(const std::string& shipped, const std::string& name);
    // S + "/dev/" + N + ".bin": the binary store's resource file.
    static std::string ResourceFile(const std::string& shipped, const std::string& name);
    // N + "/": the directory prefix D of the files inside the resource file.
    static std::string DirPrefix(const std::string& name);
    // U + "/" + N + "/": the directory that holds the user-defined groups.
    static std::string UserDefinedDir(const std::string& userRoot, const std::string& name);
    // The product rule setting + "/": the directory R of a product's own files.
    static std::string ProductRuleDir(const std::string& rule);

    // The files of the layered set below dir, which ends in "/" (the resource root, the
    // resource file's directory prefix or the user-defined directory).
    static std::string FileConfigFile(const std::string& dir);
    static std::string BaseFile(const std::string& dir);
    static std::string ClinicalBaseFile(const std::string& dir);
    static std::string GroupFile(const std::string& dir, const std::string& f);
    static std::string ProbeFile(const std::string& dir, const std::string& f,
                                 const std::string& p);
    static std::string GroupClinicalFile(const std::string& dir, const std::string& f,
                                         const std::string& p, const std::string& a);
    static std::string ClinicalFile(const std::string& dir, const std::string& a);
    static std::string UserDefinedFile(const std::string& userDir, const std::string& f,
                                       const std::string& p, const std::string& a);
    // A file the file configuration lists: its entry's text is relative to dir.
    static std::string ListedFile(const std::string& dir, const std::string& entry);

    // The binary store's product files: a top-level file in the product rule directory rule,
    // and the product's own transducer file with its directory.
    static std::string ProductFile(const std::string& dir, const std::string& rule,
                                   const std::string& name);
    static std::string ProductProbeDir(const std::string& dir, const std::string& f,
                                       const std::string& p, const std::string& rule);
    static std::string ProductProbeFile(const std::string& dir, const std::string& f,
                                        const std::string& p, const std::string& rule);
    // The selection list for (f, p, a) below dir. productProbe: the resource file holds the
    // product's own transducer file, which moves the group clinical paths below rule as well.
    static SelectionPaths SelectionFiles(const std::string& dir, const std::string& rule,
                                         const std::string& f, const std::string& p,
                                         const std::string& a, bool productProbe);
};

#endif
