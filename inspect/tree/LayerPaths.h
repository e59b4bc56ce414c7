// Which layer of a selection reads a ".pp" file of a parameter tree, from its path alone: the
// text store's layer paths below the resource root, the files the file configuration lists,
// and with a product rule the binary store's product files, which replace or join them.
#ifndef QUENDEL_INSPECT_TREE_LAYERPATHS_H
#define QUENDEL_INSPECT_TREE_LAYERPATHS_H

#include <set>
#include <string>
#include <vector>

enum class Layer {
    kFileConfig,
    kBase,      // the base file, the listed files, the clinical base file
    kOverride,  // group, transducer, group clinical, clinical, user-defined
    kDead,      // no selection reads it
};

class LayerPaths {
  public:
    // productRule: the directory of the binary store's product files (QuendelProductRule),
    // empty for none.
    explicit LayerPaths(const std::string& productRule);

    // A path listed by the file configuration, relative to the resource root as written there.
    void AddListed(const std::string& relative);
    // The layer of a file at relative (below the resource root, "/"-separated); "what" names
    // it ("group file", ...).
    Layer Classify(const std::string& relative, std::string& what) const;
    // The layer of a file at relative below the user-defined tree (the directory that holds
    // the groups).
    static Layer ClassifyUserDefined(const std::string& relative, std::string& what);
    // Where a file named like a layer file belongs; empty for another name.
    static std::string HomeOf(const std::string& fileName);

  private:
    std::vector<std::string> m_rule;  // the product rule's components
    std::string m_ruleDir;            // the product rule as the binary store's directory
    std::set<std::string> m_listed;   // normalised, with the product copies
};

#endif
