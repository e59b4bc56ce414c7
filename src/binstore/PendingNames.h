// Names shared with the text store, until its constants are available here.
#ifndef QUENDEL_BINSTORE_PENDINGNAMES_H
#define QUENDEL_BINSTORE_PENDINGNAMES_H

inline constexpr char kClinicalDir[] = "Clns";
inline constexpr char kClinicalFile[] = "ImgResCln.pp";
inline constexpr char kClinicalBaseFile[] = "ImgResClnBase.pp";
inline constexpr char kProbeFile[] = "ImgResXdr.pp";
inline constexpr char kGroupFile[] = "ImgResGrp.pp";
inline constexpr char kBaseFile[] = "ImgResBase.pp";
inline constexpr char kFileConfigFile[] = "FileConfig.pp";
inline constexpr char kGlobalSection[] = "GlobalParameters";

#endif
