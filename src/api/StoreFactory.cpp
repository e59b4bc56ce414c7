#include "api/StoreFactory.h"

#include <typeinfo>

#include "binstore/binFileMsgImpl.h"
#include "fileset/FileSet.h"
#include "resource/IStoredValues.h"
#include "textstore/ResourceMsgImp.h"

namespace {
StoreFactory& InstalledFactory() {
    static StoreFactory factory;
    return factory;
}
}  // namespace

std::unique_ptr<IResourceMsg> MakeStore(const std::string& f, const std::string& p,
                                        const std::string& a) {
    const bool useText = FileSet::UseTextStore();
    if (const StoreFactory& factory = InstalledFactory()) {
        return factory(useText, f, p, a);
    }
    if (useText) {
        return std::make_unique<ResourceMsgImp>(f, p, a);
    }
    return std::make_unique<binFileMsgImpl>(f, p, a);
}

void SetStoreFactory(StoreFactory factory) {
    InstalledFactory() = std::move(factory);
}

// The library's two stores keep their values; a store that a test's factory makes need not. The
// type_info objects are compared by address: one type has one within the library, and a copy
// elsewhere would only send its queries the way of the raw lookups.
IStoredValues* StoredValuesOf(IResourceMsg& store) {
    const std::type_info& type = typeid(store);
    if (&type == &typeid(ResourceMsgImp)) {
        return &static_cast<ResourceMsgImp&>(store);
    }
    if (&type == &typeid(binFileMsgImpl)) {
        return &static_cast<binFileMsgImpl&>(store);
    }
    return nullptr;
}
