#include "inspect/tree/TreeListing.h"

#include <filesystem>

#include "fileset/FileSet.h"
#include "textstore/NameConstants.h"

namespace fs = std::filesystem;

namespace {

constexpr int kListedDepth = 3;  // group / transducer / clinical setting

void ReadDirs(const fs::path& dir, int depth, NameTree& tree, std::vector<std::string>& errors) {
    std::error_code error;
    fs::directory_iterator it(dir, error);
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
        std::error_code kind;
        const std::string name = it->path().filename().string();
        if (it->is_directory(kind)) {
            if (depth > 0) {
                ReadDirs(it->path(), depth - 1, tree.m_dirs[name], errors);
            }
        } else if (it->is_regular_file(kind)) {
            tree.m_files.insert(name);
        }
    }
    if (error) {
        errors.push_back("cannot read the directory " + dir.string() + ": " + error.message());
    }
}

bool Holds(const NameTree& dir, const char* file) {
    return dir.m_files.count(file) != 0;
}

bool HasPath(const NameTree& tree, const std::string& path) {
    const size_t slash = path.find('/');
    if (slash == std::string::npos) {
        return tree.m_files.count(path) != 0;
    }
    const auto dir = tree.m_dirs.find(path.substr(0, slash));
    return dir != tree.m_dirs.end() && HasPath(dir->second, path.substr(slash + 1));
}

// A clinical setting's directory; with products also one whose file lies only in a product
// rule directory below it.
bool IsClinical(const NameTree& dir, bool products) {
    if (Holds(dir, kClinicalFile)) {
        return true;
    }
    for (const auto& [name, sub] : dir.m_dirs) {
        if (products && Holds(sub, kClinicalFile)) {
            return true;
        }
    }
    return false;
}

// The transducer probe of group below root; with products, a directory below it that holds a
// product's own transducer file is that product's.
TransducerListing ListTransducer(const NameTree& root, const std::string& group,
                                 const std::string& probe, const NameTree& dir, bool products) {
    TransducerListing transducer{probe, {}, {}};
    for (const auto& [sub, subDir] : dir.m_dirs) {
        const std::string rule = FileSet::ProductRuleDir(sub);
        if (products && HasPath(root, FileSet::ProductProbeFile("", group, probe, rule))) {
            TransducerListing product{sub, {}, {}};
            for (const auto& [clinical, clinicalDir] : subDir.m_dirs) {
                if (IsClinical(clinicalDir, true)) {
                    product.m_clinical.push_back(clinical);
                }
            }
            transducer.m_products.push_back(std::move(product));
        } else if (IsClinical(subDir, products)) {
            transducer.m_clinical.push_back(sub);
        }
    }
    return transducer;
}

void CollectFiles(const NameTree& tree, const std::string& prefix,
                  std::vector<std::string>& files) {
    for (const std::string& file : tree.m_files) {
        files.push_back(prefix + file);
    }
    for (const auto& [name, dir] : tree.m_dirs) {
        CollectFiles(dir, prefix + name + "/", files);
    }
}

}  // namespace

NameTree ReadNameTree(const std::string& root, std::vector<std::string>& errors) {
    NameTree tree;
    ReadDirs(root, kListedDepth, tree, errors);
    return tree;
}

NameTree PathNameTree(const std::vector<std::string>& files, const std::string& prefix,
                      std::vector<std::string>& outside) {
    NameTree tree;
    for (const std::string& file : files) {
        if (file.compare(0, prefix.size(), prefix) != 0) {
            outside.push_back(file);
            continue;
        }
        NameTree* dir = &tree;
        size_t start = prefix.size();
        for (size_t slash; (slash = file.find('/', start)) != std::string::npos;
             start = slash + 1) {
            dir = &dir->m_dirs[file.substr(start, slash - start)];
        }
        dir->m_files.insert(file.substr(start));
    }
    return tree;
}

TreeListing ListTree(const NameTree& root, bool products) {
    TreeListing listing;
    for (const auto& [name, dir] : root.m_dirs) {
        if (name == kClinicalDir) {
            for (const auto& [clinical, clinicalDir] : dir.m_dirs) {
                if (HasPath(root, FileSet::ClinicalFile("", clinical))) {
                    listing.m_clinical.push_back(clinical);
                }
            }
        } else if (HasPath(root, FileSet::GroupFile("", name))) {
            GroupListing group{name, {}};
            for (const auto& [probe, probeDir] : dir.m_dirs) {
                if (HasPath(root, FileSet::ProbeFile("", name, probe))) {
                    group.m_transducers.push_back(
                        ListTransducer(root, name, probe, probeDir, products));
                }
            }
            listing.m_groups.push_back(std::move(group));
        } else if (products) {
            // The base file and the listed files are looked for in the product rule directory
            // first, by the same path below it.
            std::vector<std::string> files;
            CollectFiles(dir, "", files);
            ProductFiles product{name, {}};
            for (const std::string& file : files) {
                if (file == FileSet::BaseFile("") || HasPath(root, file)) {
                    product.m_files.push_back(file);
                }
            }
            if (!product.m_files.empty()) {
                listing.m_products.push_back(std::move(product));
            }
        }
    }
    return listing;
}
