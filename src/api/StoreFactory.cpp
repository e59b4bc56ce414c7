#include "api/StoreFactory.h"

#include "binstore/binFileMsgImpl.h"
#include "fileset/FileSet.h"
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
