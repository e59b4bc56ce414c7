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

// The selection a binary store holds after Reselect(requested) from held. It changes only the
// levels named (a new group or probe deselects the levels below it), so a host can switch the
// clinical setting alone; the text store's re-selection releases the group level first and
// keeps the clinical file of an earlier selection when the new one has none. That is the one
// difference of the two stores under re-selection, and it is by design.
template <class Selection>
Selection BinaryHeldAfter(Selection held, const Selection& requested) {
    if (!requested.f.empty() && requested.f != held.f) {
        held.f = requested.f;
        held.p.clear();
        held.a.clear();
    }
    if (!requested.f.empty() && !requested.p.empty() && requested.p != held.p) {
        held.p = requested.p;
        held.a.clear();
    }
    if (!requested.a.empty()) {
        held.a = requested.a;
    }
    return held;
}

#endif
