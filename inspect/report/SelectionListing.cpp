#include "inspect/report/SelectionListing.h"

#include <fendrel/ResourceReader.h>

bool ListSelection(const Selection& selection, TreeListing& listing,
                   std::vector<std::string>& warnings, std::string& error) {
    const bool products = selection.Kind() == StoreKind::kBinary;
    NameTree tree;
    if (!products) {
        tree = ReadNameTree(selection.Source(), warnings);
    } else {
        const std::string& prefix = selection.Provenance().FileRoot();
        fendrel::ResourceReader reader;
        if (!reader.Open(selection.Source(), error)) {
            error = "cannot read " + selection.Source() + ": " + error;
            return false;
        }
        std::vector<std::string> outside;
        tree = PathNameTree(reader.Files(), prefix, outside);
        if (!outside.empty()) {
            warnings.push_back(std::to_string(outside.size()) + " of its files lie outside " +
                               prefix + " (the first: " + outside.front() +
                               "); the store reads only below " + prefix + ", which --name sets");
        }
    }
    listing = ListTree(tree, products);
    return true;
}
