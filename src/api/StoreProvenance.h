// How the library's own tools reach the provenance of the store that a Quendel built: the store
// is made by Quendel::Initial exactly as for any host, and only looked into here.
#ifndef QUENDEL_API_STOREPROVENANCE_H
#define QUENDEL_API_STOREPROVENANCE_H

#include <memory>

#include "resource/IStoreProvenance.h"

class Quendel;

// The store's provenance, sharing the store's ownership; null before the first Initial, after
// Delete, and for a store that tells none.
std::shared_ptr<IStoreProvenance> StoreProvenance(const Quendel& quendel);

#endif
