#include "RefTree.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace reftree {

std::string GroupName(int i) {
    return "Grp" + std::to_string(i + 1);
}

std::string ProbeName(int i) {
    return "Xdr" + std::to_string(i + 1);
}

std::string ClinicalName(int i) {
    char name[16];
    std::snprintf(name, sizeof name, "Cln%02d", i + 1);
    return name;
}

Selection StartSelection() {
    return {GroupName(0), ProbeName(0), ClinicalName(0)};
}

Selection ClinicalSwitch() {
    return {GroupName(0), ProbeName(0), ClinicalName(1)};
}

Selection ProbeSwitch() {
    return {GroupName(0), ProbeName(1), ClinicalName(0)};
}

Selection GroupSwitch() {
    return {GroupName(1), ProbeName(0), ClinicalName(0)};
}

std::string ResourceRoot(const std::string& out) {
    return out + "/dev/" + kResourceName + "/";
}

std::string UserDefinedRoot(const std::string& out) {
    return out + "/" + kUserDefinedDir;
}

std::string PeerFile(const std::string& out, const char* name) {
    return out + "/" + kPeerDir + "/" + name;
}

std::string IdNamesFile(const std::string& out) {
    return out + "/dev/" + kIdNamesFile;
}

std::vector<std::string> SelectionFiles(const std::string& out, const Selection& s) {
    const std::string root = ResourceRoot(out);
    std::vector<std::string> files{root + kFileConfigFile};
    for (const char* listed : kListedFiles) {
        files.push_back(root + listed);
    }
    files.push_back(root + kBaseFile);
    files.push_back(root + kClinicalDir + "/" + kClinicalBaseFile);
    files.push_back(root + s.f + "/" + kGroupFile);
    files.push_back(root + s.f + "/" + s.p + "/" + kProbeFile);
    files.push_back(root + s.f + "/" + s.p + "/" + s.a + "/" + kClinicalFile);
    files.push_back(root + kClinicalDir + "/" + s.a + "/" + kClinicalFile);
    files.push_back(UserDefinedRoot(out) + "/" + kResourceName + "/" + s.f + "/" + s.p + "/" + s.a +
                    "/" + kClinicalFile);
    return files;
}

uint64_t TotalBytes(const std::vector<std::string>& files) {
    uint64_t total = 0;
    for (const std::string& file : files) {
        std::error_code error;
        const auto size = std::filesystem::file_size(file, error);
        total += error ? 0 : size;
    }
    return total;
}

}  // namespace reftree
