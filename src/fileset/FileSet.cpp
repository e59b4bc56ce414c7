#include "fileset/FileSet.h"

#include "host/Corvel.h"
#include "textstore/NameConstants.h"

namespace {

// Each level lives in the directory of the level above it.
std::string ProbeDir(const std::string& dir, const std::string& f, const std::string& p) {
    return dir + f + "/" + p + "/";
}

// The clinical file of A below a transducer's directory, in the product rule directory rule
// when one is given.
std::string ClinicalBelow(const std::string& probeDir, const std::string& a,
                          const std::string& rule = std::string()) {
    return probeDir + a + "/" + rule + kClinicalFile;
}

}  // namespace

bool FileSet::UseTextStore() {
    return ResourceMgr::GetValue(kUseTextStore.m_section, kUseTextStore.m_key, false);
}

std::string FileSet::Read(const HostSetting& setting) {
    return ResourceMgr::GetValue(setting.m_section, setting.m_key, setting.m_default);
}

std::string FileSet::ProductRule() {
    const std::string hq = Read(kSystemHQPath);
    return ResourceMgr::GetValue(kProductRule.m_section, kProductRule.m_key, hq.c_str());
}

TreeLocation FileSet::Locate() {
    const std::string shipped = Read(kShippedRoot);
    const std::string name = Read(kResourceName);
    return {name,
            ResourceRoot(shipped, name),
            ResourceFile(shipped, name),
            DirPrefix(name),
            UserDefinedDir(Read(kUserDefinedRoot), name),
            ProductRule()};
}

std::string FileSet::ResourceRoot(const std::string& shipped, const std::string& name) {
    return shipped + "/dev/" + name + "/";
}

std::string FileSet::ResourceFile(const std::string& shipped, const std::string& name) {
    return shipped + "/dev/" + name + ".bin";
}

std::string FileSet::DirPrefix(const std::string& name) {
    return name + "/";
}

std::string FileSet::UserDefinedDir(const std::string& userRoot, const std::string& name) {
    return userRoot + "/" + name + "/";
}

std::string FileSet::ProductRuleDir(const std::string& rule) {
    return rule + "/";
}

std::string FileSet::FileConfigFile(const std::string& dir) {
    return dir + kFileConfigFile;
}

std::string FileSet::BaseFile(const std::string& dir) {
    return dir + kBaseFile;
}

std::string FileSet::ClinicalBaseFile(const std::string& dir) {
    return dir + kClinicalDir + "/" + kClinicalBaseFile;
}

std::string FileSet::GroupFile(const std::string& dir, const std::string& f) {
    return dir + f + "/" + kGroupFile;
}

std::string FileSet::ProbeFile(const std::string& dir, const std::string& f, const std::string& p) {
    return ProbeDir(dir, f, p) + kProbeFile;
}

std::string FileSet::GroupClinicalFile(const std::string& dir, const std::string& f,
                                       const std::string& p, const std::string& a) {
    return ClinicalBelow(ProbeDir(dir, f, p), a);
}

std::string FileSet::ClinicalFile(const std::string& dir, const std::string& a) {
    return dir + kClinicalDir + "/" + a + "/" + kClinicalFile;
}

std::string FileSet::UserDefinedFile(const std::string& userDir, const std::string& f,
                                     const std::string& p, const std::string& a) {
    return GroupClinicalFile(userDir, f, p, a);
}

std::string FileSet::ListedFile(const std::string& dir, const std::string& entry) {
    return dir + entry;
}

std::string FileSet::ProductFile(const std::string& dir, const std::string& rule,
                                 const std::string& name) {
    return dir + rule + name;
}

std::string FileSet::ProductProbeDir(const std::string& dir, const std::string& f,
                                     const std::string& p, const std::string& rule) {
    return ProbeDir(dir, f, p) + rule;
}

std::string FileSet::ProductProbeFile(const std::string& dir, const std::string& f,
                                      const std::string& p, const std::string& rule) {
    return ProductProbeDir(dir, f, p, rule) + kProbeFile;
}

// A level is selected only with every level above it; the clinical file under "Clns" depends on
// A alone and the clinical base file on nothing.
SelectionPaths FileSet::SelectionFiles(const std::string& dir, const std::string& rule,
                                       const std::string& f, const std::string& p,
                                       const std::string& a, bool productProbe) {
    SelectionPaths paths;
    paths[kClinicalBaseSlot] = ClinicalBaseFile(dir);
    if (!a.empty()) {
        paths[kClinicalSlot] = ClinicalFile(dir, a);
    }
    if (f.empty()) {
        return paths;
    }
    paths[kGroupSlot] = GroupFile(dir, f);
    if (p.empty()) {
        return paths;
    }
    paths[kProbeSlot] = ProbeFile(dir, f, p);
    if (productProbe) {
        paths[kProductProbeSlot] = ProductProbeFile(dir, f, p, rule);
    }
    if (!a.empty()) {
        const std::string probeDir =
            productProbe ? ProductProbeDir(dir, f, p, rule) : ProbeDir(dir, f, p);
        paths[kGroupClinicalSlot] = ClinicalBelow(probeDir, a);
        paths[kProductGroupClinicalSlot] = ClinicalBelow(probeDir, a, rule);
    }
    return paths;
}
