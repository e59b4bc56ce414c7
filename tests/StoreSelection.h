// Re-selection of a store as the facade makes it, for the store tests, and the selection the
// binary store then holds (the library's StoreReselection.h says why the stores differ).
#ifndef QUENDEL_TESTS_STORESELECTION_H
#define QUENDEL_TESTS_STORESELECTION_H

#include <string>

#include "api/StoreReselection.h"
#include "resource/IResourceMsg.h"

inline void Reselect(IResourceMsg& store, const std::string& f, const std::string& p,
                     const std::string& a) {
    ReselectStore(store, f, p, a);
    store.Refresh();
}

// A selection type with members f, p and a.
template <class Selection>
Selection BinaryHeldAfter(const Selection& held, const Selection& requested) {
    const StoreSelection after =
        BinaryStoreHeldAfter({held.f, held.p, held.a}, {requested.f, requested.p, requested.a});
    return Selection{after.m_group, after.m_probe, after.m_clinical};
}

#endif
