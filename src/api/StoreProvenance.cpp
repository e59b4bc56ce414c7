#include "api/StoreProvenance.h"

#include <atomic>
#include <utility>

#include "quendel/Quendel.h"
#include "resource/IResourceMsg.h"

// The one friend of Quendel: it hands out the store and nothing else.
class QuendelStoreAccess {
  public:
    static std::shared_ptr<IResourceMsg> Store(const Quendel& quendel) {
        return std::atomic_load(&quendel.m_pResource);
    }
};

std::shared_ptr<IStoreProvenance> StoreProvenance(const Quendel& quendel) {
    std::shared_ptr<IResourceMsg> store = QuendelStoreAccess::Store(quendel);
    auto* provenance = dynamic_cast<IStoreProvenance*>(store.get());
    if (provenance == nullptr) {
        return nullptr;
    }
    return std::shared_ptr<IStoreProvenance>(std::move(store), provenance);
}
