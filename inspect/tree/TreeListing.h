// The selections a parameter tree offers: its groups, the transducers of each group and the
// clinical settings, found by the file each level must hold. The text store's tree is read
// from disk; a resource file's from the paths of the files it holds, where product rule
// directories (a product's own files) are shown as well.
#ifndef QUENDEL_INSPECT_TREE_TREELISTING_H
#define QUENDEL_INSPECT_TREE_TREELISTING_H

#include <map>
#include <set>
#include <string>
#include <vector>

// A directory tree by names.
struct NameTree {
    std::map<std::string, NameTree> m_dirs;
    std::set<std::string> m_files;
};

struct TransducerListing {
    std::string m_name;
    std::vector<std::string> m_clinical;  // group clinical settings
    // Resource file only: product rule directories below the transducer that hold the
    // product's own transducer file, each with its clinical settings.
    std::vector<TransducerListing> m_products;
};

struct GroupListing {
    std::string m_name;
    std::vector<TransducerListing> m_transducers;
};

// Resource file only: a product rule directory at the top of the tree and the files of the
// common tree that it holds its own version of.
struct ProductFiles {
    std::string m_name;
    std::vector<std::string> m_files;
};

struct TreeListing {
    std::vector<GroupListing> m_groups;
    std::vector<std::string> m_clinical;  // below "Clns"
    std::vector<ProductFiles> m_products;
};

// The directories below root, three levels deep (group, transducer, clinical setting); a
// directory that cannot be read adds a message to errors.
NameTree ReadNameTree(const std::string& root, std::vector<std::string>& errors);
// The files below prefix, by the rest of their paths; the others are added to outside.
NameTree PathNameTree(const std::vector<std::string>& files, const std::string& prefix,
                      std::vector<std::string>& outside);

// A group holds "ImgResGrp.pp", a transducer "ImgResXdr.pp", a clinical setting "ImgResCln.pp"
// (below "Clns", or below a transducer). With products, a directory below a transducer that
// holds "ImgResXdr.pp" is a product's, a clinical setting may hold its file only in a product
// rule directory, and a top directory that holds files of the common tree is a product's.
TreeListing ListTree(const NameTree& root, bool products);

#endif
