// Re-selection of a store in the order the facade makes it, for the store tests.
#ifndef QUENDEL_TESTS_STORESELECTION_H
#define QUENDEL_TESTS_STORESELECTION_H

#include <string>

#include "resource/IResourceMsg.h"

inline void Reselect(IResourceMsg& store, const std::string& f, const std::string& p,
                     const std::string& a) {
    store.Reload(f, p, a);
    if (!f.empty()) {
        store.SetGroup(f);
        if (!p.empty()) {
            store.SetProbe(p);
        }
    }
    if (!a.empty()) {
        store.SetClinical(a);
    }
    if (!f.empty() && !p.empty() && !a.empty()) {
        store.SetUserDefined(f, p, a);
    }
    store.Refresh();
}

#endif
