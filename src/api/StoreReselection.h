// Re-selection of a store as Quendel::Initial makes it, and where the two stores then answer
// differently by design. The facade re-selects through ReselectStore; the store equivalence
// test and the store-comparison fuzzer compare the stores with the differences written here.
//
// The user-defined level is the other difference: only the text store reads a user-defined file
// (SystemHQUserDefinedRoot/QuendelFileName/F/P/A/ImgResCln.pp); the binary store has no such
// layer. Comparisons of the two stores point SystemHQUserDefinedRoot at a directory without
// files.
#ifndef QUENDEL_API_STORERESELECTION_H
#define QUENDEL_API_STORERESELECTION_H

#include <string>

#include "resource/IResourceMsg.h"

struct StoreSelection {
    std::string m_group;
    std::string m_probe;
    std::string m_clinical;
};

// Reload, then SetGroup, SetProbe, SetClinical and SetUserDefined as far as the selectors go.
// The caller refreshes the store afterwards.
void ReselectStore(IResourceMsg& store, const std::string& f, const std::string& p,
                   const std::string& a);

// The selection a binary store holds after ReselectStore(requested) from held. It changes only
// the levels named (a new group or probe deselects the levels below it), so a host can switch
// the clinical setting alone; the text store's re-selection releases the group level first and
// keeps the clinical file of an earlier selection when the new one has none. Only where both
// are re-selected to a full selection (F, P and A) do the two stores hold the same files.
StoreSelection BinaryStoreHeldAfter(StoreSelection held, const StoreSelection& requested);

#endif
