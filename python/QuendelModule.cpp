// The Python module `quendel`: the library as the tool uses it, for the engineers who analyse
// parameters in scripts and notebooks. Every answer comes from the same code as the tool's.
#include <pybind11/eval.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "PythonSelection.h"
#include "PythonValues.h"
#include "inspect/lint/LintRules.h"
#include "inspect/lint/LintRun.h"
#include "inspect/matrix/KeyMatrix.h"
#include "inspect/matrix/ModelLoad.h"
#include "inspect/output/LintReport.h"
#include "inspect/output/MatrixJson.h"
#include "inspect/output/ReportJson.h"
#include "inspect/report/SelectionListing.h"
#include "inspect/selection/HostSettings.h"
#include "resource/StringOps.h"

namespace {

using OptionalPath = std::optional<std::filesystem::path>;

// The module's exceptions and warnings; the messages are the tool's.
constexpr char kClasses[] = R"(
class Error(Exception):
    """An error of the quendel tool layer, with the message the tool prints."""

class SettingsError(Error):
    """The host settings file cannot be read."""

class SelectionError(Error):
    """The library finds no parameters for the selection (no readable file under the root, a
    resource file that does not open, no tree at the root) or, with strict=True, a selected
    level has no file."""

class CastWarning(UserWarning):
    """The library read a number with a point as an int ("Warning! Number is casted to int")."""

class ConversionWarning(UserWarning):
    """An int read other than written: a fraction cut, a number beyond the int range (read as
    atoi reads it), an empty text read as 0."""

class SelectionWarning(UserWarning):
    """A selected level, the base or a listed file has no readable file, or a product rule names
    nothing: the library reads nothing for it."""
)";

std::optional<std::string> Text(const OptionalPath& path) {
    return path ? std::optional<std::string>(path->string()) : std::nullopt;
}

// The options that place the tree, as the tool's --settings, --root, --name, --user-root,
// --product-rule and --store.
SelectionOptions Location(const OptionalPath& settings, const OptionalPath& root,
                          const std::optional<std::string>& name, const OptionalPath& userRoot,
                          const std::optional<std::string>& productRule,
                          const std::optional<std::string>& store) {
    if (store && *store != "text" && *store != "bin") {
        throw py::value_error("store must be \"text\" or \"bin\", not \"" + *store + "\"");
    }
    SelectionOptions options;
    options.m_settings = settings ? settings->string() : std::string();
    options.m_root = Text(root);
    options.m_name = name;
    options.m_userRoot = Text(userRoot);
    options.m_productRule = productRule;
    options.m_store = store;
    return options;
}

py::object Selections(const SelectionOptions& options) {
    Selection selection;
    OpenOrRaise(selection, options, true);
    TreeListing listing;
    std::vector<std::string> warnings;
    std::string error;
    if (!ListSelection(selection, listing, warnings, error)) {
        throw ModuleError("SelectionError", error);
    }
    WarnLines("SelectionWarning", warnings);
    return ToPython(ListingJson(selection, listing));
}

py::object Matrix(const std::string& section, const std::string& key,
                  const SelectionOptions& location) {
    RouteHostLog(false);
    TreeModel model;
    std::vector<std::string> warnings;
    std::string error;
    std::string buffer;
    const std::pair<std::string, std::string> entry{LookupName(section, buffer),
                                                    LookupName(key, buffer)};
    if (!LoadModel(location, model, warnings, error, &entry)) {
        throw ModuleError("SelectionError", error);
    }
    WarnLines("SelectionWarning", warnings);
    return ToPython(MatrixJson(model, MatrixOf(model, section, key)));
}

// The older version is the tree the location places (at git, when given); the newer one the same
// tree changed by to_root, to_store or to_git.
py::object Impact(const SelectionOptions& location, const std::string& git,
                  const std::string& toGit, const OptionalPath& toRoot,
                  const std::optional<std::string>& toStore) {
    if (git.empty() && (!toGit.empty() || (!toRoot && !toStore))) {
        throw py::value_error(
            "impact needs git=REV, or to_root or to_store for the other version (to_git needs "
            "git)");
    }
    RouteHostLog(false);
    SelectionOptions newer =
        Location(std::nullopt, toRoot, std::nullopt, std::nullopt, std::nullopt, toStore);
    newer.m_settings = location.m_settings;
    newer.m_root = toRoot ? newer.m_root : location.m_root;
    newer.m_store = toStore ? newer.m_store : location.m_store;
    newer.m_name = location.m_name;
    newer.m_userRoot = location.m_userRoot;
    newer.m_productRule = location.m_productRule;
    ImpactSide from;
    ImpactSide to;
    std::string error;
    if (!LocateVersion(location, git, from, error) || !LocateVersion(newer, toGit, to, error)) {
        throw ModuleError("SelectionError", error);
    }
    TreeImpact impact;
    std::vector<std::string> warnings;
    if (!ComputeImpact(from, to, impact, warnings, error)) {
        throw ModuleError("SelectionError", error);
    }
    WarnLines("SelectionWarning", warnings);
    return ToPython(ImpactJson(impact));
}

py::object Lint(const py::args& paths, const SelectionOptions& location,
                const std::vector<std::string>& disabled) {
    std::set<std::string> rules;
    for (const LintRule& rule : LintRules()) {
        rules.emplace(rule.m_id);
    }
    for (const std::string& rule : disabled) {
        if (rules.count(rule) == 0) {
            throw py::value_error("unknown lint rule \"" + rule + "\"");
        }
    }
    LintRequest request{location, {}, disabled};
    for (const py::handle path : paths) {
        request.m_names.push_back(path.cast<std::filesystem::path>().string());
    }
    std::string error;
    if (request.m_names.empty() && !ApplySettings(location, error)) {
        throw ModuleError("SettingsError", error);
    }
    TreeLint result;
    if (!RunLintChecks(request, result, error)) {
        throw ModuleError("SelectionError", error);
    }
    return ToPython(LintJson(result.m_files, result.m_findings, result.m_errors));
}

}  // namespace

PYBIND11_MODULE(quendel, module) {
    module.doc() =
        "Read-only access to the ultrasound post-processing parameters, as the library gives "
        "them to the scanner and as the quendel tool reports them.";
    module.attr("__version__") = QUENDEL_VERSION;
    py::exec(kClasses, module.attr("__dict__"));
    py::register_exception_translator([](std::exception_ptr thrown) {
        try {
            if (thrown) {
                std::rethrow_exception(thrown);
            }
        } catch (const ModuleError& error) {
            const py::object type = py::module_::import("quendel").attr(error.PythonClass());
            PyErr_SetString(type.ptr(), error.what());
        }
    });

    py::class_<PythonSelection>(module, "Selection",
                                "A Quendel initialised for a group, a transducer and a clinical "
                                "setting with the host settings given (as the tool's options).")
        .def(
            py::init([](const std::string& group, const std::string& probe,
                        const std::string& clinical, const OptionalPath& settings,
                        const OptionalPath& root, const std::optional<std::string>& name,
                        const OptionalPath& userRoot, const std::optional<std::string>& productRule,
                        const std::optional<std::string>& store, bool strict) {
                SelectionOptions options =
                    Location(settings, root, name, userRoot, productRule, store);
                options.m_group = group;
                options.m_probe = probe;
                options.m_clinical = clinical;
                options.m_strict = strict;
                return std::make_unique<PythonSelection>(options);
            }),
            py::arg("group") = "", py::arg("probe") = "", py::arg("clinical") = "", py::kw_only(),
            py::arg("settings") = py::none(), py::arg("root") = py::none(),
            py::arg("name") = py::none(), py::arg("user_root") = py::none(),
            py::arg("product_rule") = py::none(), py::arg("store") = py::none(),
            py::arg("strict") = false)
        .def("reselect", &PythonSelection::Reselect, py::arg("group") = "", py::arg("probe") = "",
             py::arg("clinical") = "", "Initial again in the same store, as a host re-selects.")
        .def("get", &PythonSelection::Get, py::arg("section"), py::arg("key"),
             py::arg("type") =
                 py::reinterpret_borrow<py::object>(reinterpret_cast<PyObject*>(&PyUnicode_Type)),
             py::arg("default") = py::none(),
             "The entry as type (str: the whole stored text), or default when it is missing or "
             "does not convert.")
        .def("element", &PythonSelection::Element, py::arg("section"), py::arg("key"),
             py::arg("index"),
             py::arg("type") =
                 py::reinterpret_borrow<py::object>(reinterpret_cast<PyObject*>(&PyUnicode_Type)),
             py::arg("default") = py::none(),
             "Element index of the entry's list as type, or default.")
        .def("entries", &PythonSelection::Entries,
             "(section, key, value, origin) of every entry, sorted by section and key.")
        .def("explain", &PythonSelection::Explain, py::arg("section"), py::arg("key"),
             "Every layer that holds the entry, highest precedence first (quendel explain).")
        .def("files", &PythonSelection::Files,
             "The files the selection reads, in reading order, and what became of each "
             "(quendel files).")
        .def("diff", &PythonSelection::Diff, py::arg("other"),
             "What changes from this selection to other (quendel diff).")
        .def("close", &PythonSelection::Close, "Releases the store.")
        .def("__enter__", [](py::object self) { return self; })
        .def("__exit__",
             [](PythonSelection& self, const py::args&) {
                 self.Close();
                 return false;
             })
        .def_property_readonly("group",
                               [](const PythonSelection& s) { return s.Options().m_group; })
        .def_property_readonly("probe",
                               [](const PythonSelection& s) { return s.Options().m_probe; })
        .def_property_readonly("clinical",
                               [](const PythonSelection& s) { return s.Options().m_clinical; })
        .def_property_readonly("store", &PythonSelection::Store)
        .def_property_readonly("source", &PythonSelection::Source)
        .def("__repr__", &PythonSelection::Repr);

    module.def(
        "selections",
        [](const OptionalPath& settings, const OptionalPath& root,
           const std::optional<std::string>& name, const OptionalPath& userRoot,
           const std::optional<std::string>& productRule, const std::optional<std::string>& store) {
            return Selections(Location(settings, root, name, userRoot, productRule, store));
        },
        py::kw_only(), py::arg("settings") = py::none(), py::arg("root") = py::none(),
        py::arg("name") = py::none(), py::arg("user_root") = py::none(),
        py::arg("product_rule") = py::none(), py::arg("store") = py::none(),
        "The groups, transducers and clinical settings the tree offers (quendel list).");
    module.def(
        "lint",
        [](const py::args& paths, const OptionalPath& settings, const OptionalPath& root,
           const std::optional<std::string>& name, const OptionalPath& userRoot,
           const std::optional<std::string>& productRule, const std::vector<std::string>& disable) {
            return Lint(paths, Location(settings, root, name, userRoot, productRule, std::nullopt),
                        disable);
        },
        py::arg("settings") = py::none(), py::arg("root") = py::none(),
        py::arg("name") = py::none(), py::arg("user_root") = py::none(),
        py::arg("product_rule") = py::none(), py::arg("disable") = std::vector<std::string>(),
        "The findings of quendel lint: the files named each on its own, or the whole tree.");
    module.def(
        "matrix",
        [](const std::string& section, const std::string& key, const OptionalPath& settings,
           const OptionalPath& root, const std::optional<std::string>& name,
           const OptionalPath& userRoot, const std::optional<std::string>& productRule,
           const std::optional<std::string>& store) {
            return Matrix(section, key,
                          Location(settings, root, name, userRoot, productRule, store));
        },
        py::arg("section"), py::arg("key"), py::kw_only(), py::arg("settings") = py::none(),
        py::arg("root") = py::none(), py::arg("name") = py::none(),
        py::arg("user_root") = py::none(), py::arg("product_rule") = py::none(),
        py::arg("store") = py::none(),
        "The value of one entry in every selection, with the layer that wins (quendel matrix).");
    module.def(
        "impact",
        [](const OptionalPath& settings, const OptionalPath& root,
           const std::optional<std::string>& name, const OptionalPath& userRoot,
           const std::optional<std::string>& productRule, const std::optional<std::string>& store,
           const std::string& git, const std::string& toGit, const OptionalPath& toRoot,
           const std::optional<std::string>& toStore) {
            return Impact(Location(settings, root, name, userRoot, productRule, store), git, toGit,
                          toRoot, toStore);
        },
        py::kw_only(), py::arg("settings") = py::none(), py::arg("root") = py::none(),
        py::arg("name") = py::none(), py::arg("user_root") = py::none(),
        py::arg("product_rule") = py::none(), py::arg("store") = py::none(), py::arg("git") = "",
        py::arg("to_git") = "", py::arg("to_root") = py::none(), py::arg("to_store") = py::none(),
        "What changes between two versions of a tree, for every selection (quendel impact).");
    module.def(
        "verify",
        [](const std::filesystem::path& path) { return ToPython(VerifyJson(path.string())); },
        py::arg("path"),
        "The resource file checked as the binary store opens it (quendel verify).");
}
