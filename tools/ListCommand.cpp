// quendel list: the groups, transducers and clinical settings a parameter tree offers, as the
// text store finds them on disk or as the resource file holds them.
#include <fendrel/ResourceReader.h>
#include <CLI/CLI.hpp>

#include <iostream>
#include <memory>

#include "Command.h"
#include "EntryOutput.h"
#include "Selection.h"
#include "TreeListing.h"

namespace {

std::string Joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) {
        text += (text.empty() ? "" : ", ") + name;
    }
    return text;
}

nlohmann::ordered_json TransducerJson(const TransducerListing& transducer, bool products) {
    nlohmann::ordered_json json = {{"name", transducer.m_name},
                                   {"clinical", transducer.m_clinical}};
    if (products) {
        nlohmann::ordered_json list = nlohmann::ordered_json::array();
        for (const TransducerListing& product : transducer.m_products) {
            list.push_back(TransducerJson(product, false));
        }
        json["products"] = std::move(list);
    }
    return json;
}

void PrintListingJson(const Selection& selection, const TreeListing& listing) {
    const bool products = selection.Kind() == StoreKind::kBinary;
    nlohmann::ordered_json groups = nlohmann::ordered_json::array();
    for (const GroupListing& group : listing.m_groups) {
        nlohmann::ordered_json transducers = nlohmann::ordered_json::array();
        for (const TransducerListing& transducer : group.m_transducers) {
            transducers.push_back(TransducerJson(transducer, products));
        }
        groups.push_back({{"name", group.m_name}, {"transducers", std::move(transducers)}});
    }
    nlohmann::ordered_json json = {{"store", products ? "bin" : "text"},
                                   {"source", selection.Source()},
                                   {"groups", std::move(groups)},
                                   {"clinical", listing.m_clinical}};
    if (products) {
        nlohmann::ordered_json list = nlohmann::ordered_json::array();
        for (const ProductFiles& product : listing.m_products) {
            list.push_back({{"name", product.m_name}, {"files", product.m_files}});
        }
        json["products"] = std::move(list);
    }
    PrintJson(json);
}

void PrintListing(const Selection& selection, const TreeListing& listing) {
    std::cout << "# " << (selection.Kind() == StoreKind::kText ? "text" : "binary")
              << " store: " << selection.Source() << "\n";
    TextTable rows;
    rows.Add({"group", "transducer", "clinical settings"});
    for (const GroupListing& group : listing.m_groups) {
        std::string name = group.m_name;  // on the first row of the group only
        if (group.m_transducers.empty()) {
            rows.Add({name});
        }
        for (const TransducerListing& transducer : group.m_transducers) {
            rows.Add({std::move(name), transducer.m_name, Joined(transducer.m_clinical)});
            name.clear();
            for (const TransducerListing& product : transducer.m_products) {
                rows.Add({"", transducer.m_name + " (product " + product.m_name + ")",
                          Joined(product.m_clinical)});
            }
        }
    }
    rows.Add({"Clns", "", Joined(listing.m_clinical)});
    rows.Print(std::cout);
    for (const ProductFiles& product : listing.m_products) {
        std::cout << "product " << product.m_name << ": " << Joined(product.m_files) << "\n";
    }
}

int RunList(const SelectionOptions& options) {
    Selection selection;
    if (!OpenSelection(selection, options, "list", true)) {
        return kExitError;
    }
    NameTree tree;
    std::vector<std::string> errors;
    const bool products = selection.Kind() == StoreKind::kBinary;
    if (!products) {
        tree = ReadNameTree(selection.Source(), errors);
    } else {
        const std::string& prefix = selection.Provenance().FileRoot();
        fendrel::ResourceReader reader;
        std::string error;
        if (!reader.Open(selection.Source(), error)) {
            std::cerr << "quendel list: cannot read " << selection.Source() << ": " << error
                      << "\n";
            return kExitError;
        }
        std::vector<std::string> outside;
        tree = PathNameTree(reader.Files(), prefix, outside);
        if (!outside.empty()) {
            errors.push_back(std::to_string(outside.size()) + " of its files lie outside " +
                             prefix + " (the first: " + outside.front() +
                             "); the store reads only below " + prefix + ", which --name sets");
        }
    }
    for (const std::string& error : errors) {
        std::cerr << "quendel list: warning: " << error << "\n";
    }
    const TreeListing listing = ListTree(tree, products);
    if (options.m_json) {
        PrintListingJson(selection, listing);
    } else {
        PrintListing(selection, listing);
    }
    if (listing.m_groups.empty() && listing.m_clinical.empty()) {
        std::cerr << "quendel list: the tree offers no group and no clinical setting\n";
        return kExitNegative;
    }
    return kExitOk;
}

CommandRun SetupList(CLI::App& command) {
    auto options = std::make_shared<SelectionOptions>();
    AddTreeOptions(command, *options);
    command.footer(
        "A group is a directory holding ImgResGrp.pp, a transducer a directory in a group "
        "holding ImgResXdr.pp, a clinical setting a directory holding ImgResCln.pp (in Clns or "
        "in a transducer). In a resource file, a product rule directory holds a product's own "
        "files.\nExit status: 0 listed, 1 no group and no clinical setting, 2 error.");
    return [options] { return RunList(*options); };
}

const bool kRegistered = RegisterCommand(
    {"list", "The groups, transducers and clinical settings a tree offers", SetupList});

}  // namespace
