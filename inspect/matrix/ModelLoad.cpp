#include "inspect/matrix/ModelLoad.h"

#include "fileset/FileSet.h"
#include "inspect/selection/HostSettings.h"

bool LoadModel(const SelectionOptions& options, TreeModel& model,
               std::vector<std::string>& warnings, std::string& error,
               const std::pair<std::string, std::string>* only) {
    if (!ApplySettings(options, error)) {
        return false;
    }
    const TreeLocation tree = FileSet::Locate();
    if (FileSet::UseTextStore()) {
        return model.LoadText(tree, ModelSource(), warnings, error);
    }
    return model.LoadResource(tree, error, only);
}

bool LocateVersion(const SelectionOptions& options, const std::string& revision, ImpactSide& side,
                   std::string& error) {
    if (!ApplySettings(options, error)) {
        return false;
    }
    side.m_tree = FileSet::Locate();
    side.m_store = FileSet::UseTextStore() ? StoreKind::kText : StoreKind::kBinary;
    side.m_revision = revision;
    if (!revision.empty() && side.m_store == StoreKind::kBinary) {
        error = "a git revision holds the text files of a tree, not a resource file (--store text)";
        return false;
    }
    return true;
}
