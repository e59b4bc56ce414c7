// File, directory and section names shared by the text store and the binary store.
// Constant-initialised arrays: they exist before any static constructor of any library runs
// and for the whole life of the process, so a store may be created from anywhere.
#ifndef QUENDEL_TEXTSTORE_NAMECONSTANTS_H
#define QUENDEL_TEXTSTORE_NAMECONSTANTS_H

inline constexpr char kDirPrefix[] = "Quendel/";
inline constexpr char kClinicalDir[] = "Clns";
inline constexpr char kClinicalFile[] = "ImgResCln.pp";
inline constexpr char kClinicalBaseFile[] = "ImgResClnBase.pp";
inline constexpr char kProbeFile[] = "ImgResXdr.pp";
inline constexpr char kGroupFile[] = "ImgResGrp.pp";
inline constexpr char kBaseFile[] = "ImgResBase.pp";
inline constexpr char kFileConfigFile[] = "FileConfig.pp";
inline constexpr char kGlobalSection[] = "GlobalParameters";

#endif
