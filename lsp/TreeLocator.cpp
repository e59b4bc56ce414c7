#include "TreeLocator.h"

#include <filesystem>
#include <optional>
#include <system_error>

#include "DocumentUri.h"
#include "ProtocolJson.h"
#include "inspect/selection/HostSettings.h"

namespace fs = std::filesystem;

namespace {

// path against base, lexically normal; a directory keeps its trailing "/".
std::string Against(const std::string& base, const std::string& path) {
    if (path.empty()) {
        return path;
    }
    const fs::path given(path);
    return (given.is_absolute() ? given : fs::path(base) / given)
        .lexically_normal()
        .generic_string();
}

std::string WorkspaceRoot(const Json& params) {
    if (const Json* uri = FindPath(params, {"rootUri"}); uri != nullptr && uri->is_string()) {
        const std::string path = FilePathOf(uri->get<std::string>());
        if (!path.empty()) {
            return path;
        }
    }
    if (const Json* path = FindPath(params, {"rootPath"}); path != nullptr && path->is_string()) {
        const std::string normal = NormalPath(path->get<std::string>());
        if (!normal.empty()) {
            return normal;
        }
    }
    if (const Json* folders = FindPath(params, {"workspaceFolders"});
        folders != nullptr && folders->is_array() && !folders->empty()) {
        const Json* uri = FindPath(folders->front(), {"uri"});
        if (uri != nullptr && uri->is_string()) {
            const std::string path = FilePathOf(uri->get<std::string>());
            if (!path.empty()) {
                return path;
            }
        }
    }
    return NormalPath(".");
}

// The tree the settings place now, its paths against the workspace root.
TreeLocation LocatedAgainst(const std::string& base) {
    TreeLocation tree = FileSet::Locate();
    tree.m_root = Against(base, tree.m_root);
    tree.m_userDir = Against(base, tree.m_userDir);
    tree.m_resourceFile = Against(base, tree.m_resourceFile);
    return tree;
}

bool IsDirectory(const std::string& path) {
    std::error_code error;
    return fs::is_directory(path, error);
}

bool IsFile(const std::string& path) {
    std::error_code error;
    return fs::is_regular_file(path, error);
}

// The innermost dev/NAME/ directory above path that holds a base file or a file configuration:
// its root (the directory that holds dev/) and NAME.
bool TreeAbove(const std::string& path, std::string& root, std::string& name) {
    std::vector<std::string> parts;
    for (const fs::path& part : fs::path(path).lexically_normal()) {
        parts.push_back(part.string());
    }
    for (size_t i = parts.size(); i-- > 0;) {
        if (parts[i] != "dev" || i + 2 >= parts.size()) {
            continue;
        }
        fs::path above;
        for (size_t k = 0; k < i; ++k) {
            above /= parts[k];
        }
        const fs::path resource = above / "dev" / parts[i + 1];
        if (IsFile((resource / FileSet::BaseFile("")).string()) ||
            IsFile((resource / FileSet::FileConfigFile("")).string())) {
            root = above.generic_string();
            name = parts[i + 1];
            return true;
        }
    }
    return false;
}

}  // namespace

TreeOptions ReadTreeOptions(const Json& params, std::vector<std::string>& problems) {
    TreeOptions options;
    options.m_workspaceRoot = WorkspaceRoot(params);
    const Json* given = FindPath(params, {"initializationOptions"});
    if (given == nullptr || given->is_null()) {
        return options;
    }
    if (!given->is_object()) {
        problems.push_back("initializationOptions is no object: it is left out");
        return options;
    }
    const auto text = [&](const Json& object, const char* name) -> std::optional<std::string> {
        const auto it = object.find(name);
        if (it == object.end() || it->is_null()) {
            return std::nullopt;
        }
        if (!it->is_string()) {
            problems.push_back(std::string("the option \"") + name +
                               "\" is no string: it is left out");
            return std::nullopt;
        }
        return it->get<std::string>();
    };
    const std::string& base = options.m_workspaceRoot;
    SelectionOptions& location = options.m_location;
    if (const auto settings = text(*given, "settings")) {
        location.m_settings = Against(base, *settings);
    }
    if (const auto root = text(*given, "root")) {
        location.m_root = Against(base, *root);
    }
    if (const auto user = text(*given, "userRoot")) {
        location.m_userRoot = Against(base, *user);
    }
    location.m_name = text(*given, "name");
    location.m_productRule = text(*given, "productRule");
    if (const auto store = text(*given, "store")) {
        if (*store == "text" || *store == "bin") {
            location.m_store = store;
        } else {
            problems.push_back("the option \"store\" is \"text\" or \"bin\", not " +
                               Json(*store).dump() + ": it is left out");
        }
    }
    if (const auto schema = text(*given, "schema")) {
        options.m_schema = Against(base, *schema);
    }
    const auto selection = given->find("selection");
    if (selection != given->end() && !selection->is_null()) {
        if (!selection->is_object()) {
            problems.push_back("the option \"selection\" is no object: it is left out");
        } else {
            options.m_selection.m_group = text(*selection, "group").value_or("");
            options.m_selection.m_probe = text(*selection, "probe").value_or("");
            options.m_selection.m_clinical = text(*selection, "clinical").value_or("");
        }
    }
    return options;
}

bool LocateTree(const TreeOptions& options, const std::string& openedPath, TreeLocation& tree,
                bool& textStore, std::string& error) {
    SelectionOptions location = options.m_location;
    const bool named = !location.m_settings.empty() || location.m_root.has_value();
    if (!named) {
        // The workspace root, or else the tree above the file.
        location.m_root = options.m_workspaceRoot;
        if (!ApplySettings(location, error)) {
            return false;
        }
        if (!IsDirectory(LocatedAgainst(options.m_workspaceRoot).m_root)) {
            std::string root;
            std::string name;
            if (openedPath.empty() || !TreeAbove(openedPath, root, name)) {
                return false;
            }
            location.m_root = root;
            location.m_name = name;
        }
    }
    if (!ApplySettings(location, error)) {
        return false;
    }
    tree = LocatedAgainst(options.m_workspaceRoot);
    // The text files are what an editor edits: their text store's reading unless the options
    // or the settings file given ask for the binary store's.
    textStore = location.m_store ? *location.m_store == "text"
                                 : location.m_settings.empty() || FileSet::UseTextStore();
    if (!IsDirectory(tree.m_root)) {
        error = "no parameter tree at " + tree.m_root +
                " (not a directory): the options \"settings\" and \"root\" place it";
        return false;
    }
    return true;
}
