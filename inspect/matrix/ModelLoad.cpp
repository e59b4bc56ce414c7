#include "inspect/matrix/ModelLoad.h"

#include "fileset/FileSet.h"
#include "inspect/selection/HostSettings.h"

bool LoadModel(const SelectionOptions& options, TreeModel& model,
               std::vector<std::string>& warnings, std::string& error) {
    if (!ApplySettings(options, error)) {
        return false;
    }
    const TreeLocation tree = FileSet::Locate();
    if (FileSet::UseTextStore()) {
        return model.LoadText(tree, ModelSource(), warnings, error);
    }
    return model.LoadResource(tree, error);
}
