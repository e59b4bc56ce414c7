// quendel list: the groups, transducers and clinical settings a parameter tree offers, as the
// text store finds them on disk or as the resource file holds them.
#include <CLI/CLI.hpp>

#include <iostream>
#include <memory>

#include "Command.h"
#include "inspect/output/EntryOutput.h"
#include "inspect/output/ReportJson.h"
#include "inspect/report/SelectionListing.h"
#include "inspect/selection/Selection.h"

namespace {

std::string Joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) {
        text += (text.empty() ? "" : ", ") + name;
    }
    return text;
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
    TreeListing listing;
    std::vector<std::string> warnings;
    std::string error;
    if (!ListSelection(selection, listing, warnings, error)) {
        PrintError("list", error, options.m_json, selection.Source());
        return kExitError;
    }
    for (const std::string& warning : warnings) {
        std::cerr << "quendel list: warning: " << warning << "\n";
    }
    if (options.m_json) {
        PrintJson(ListingJson(selection, listing));
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
