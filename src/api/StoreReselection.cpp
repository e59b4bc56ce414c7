#include "api/StoreReselection.h"

void ReselectStore(IResourceMsg& store, const std::string& f, const std::string& p,
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
}

StoreSelection BinaryStoreHeldAfter(StoreSelection held, const StoreSelection& requested) {
    if (!requested.m_group.empty() && requested.m_group != held.m_group) {
        held.m_group = requested.m_group;
        held.m_probe.clear();
        held.m_clinical.clear();
    }
    if (!requested.m_group.empty() && !requested.m_probe.empty() &&
        requested.m_probe != held.m_probe) {
        held.m_probe = requested.m_probe;
        held.m_clinical.clear();
    }
    if (!requested.m_clinical.empty()) {
        held.m_clinical = requested.m_clinical;
    }
    return held;
}
