#include "HostSetup.h"

#include <corvel/CorvelControl.h>

#include "RefTree.h"

namespace bench {

void ConfigureHost(const std::string& tree, StoreKind kind) {
    corvel::SetLogSink([](const std::string&) {});
    corvel::SetSetting("PostProcessing", "UseTxtQuendel",
                       kind == StoreKind::Text ? "true" : "false");
    corvel::SetSetting("Path", "ShippedRoot", tree);
    corvel::SetSetting("Path", "SystemHQUserDefinedRoot", reftree::UserDefinedRoot(tree));
    corvel::SetSetting("Product-GeneralSpecification", "QuendelFileName", reftree::kResourceName);
}

std::string PackedFile(const std::string& tree) {
    return tree + "/dev/" + reftree::kResourceName + ".bin";
}

}  // namespace bench
