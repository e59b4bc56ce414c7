#include "PythonSelection.h"

#include <optional>
#include <type_traits>
#include <vector>

#include "PythonValues.h"
#include "inspect/output/EntryOutput.h"
#include "inspect/output/ReportJson.h"
#include "inspect/report/EntryDiff.h"
#include "inspect/report/FileReadings.h"
#include "inspect/report/ValueQuery.h"
#include "inspect/selection/HostSettings.h"

namespace {

template <class T, class... Ts>
constexpr bool kOneOf = (std::is_same_v<T, Ts> || ...);

// "int", "list[int]".
std::string TypeName(py::handle type) {
    return (PyType_Check(type.ptr()) ? py::str(type.attr("__name__")) : py::repr(type))
        .cast<std::string>();
}

// The default converted to the type the library reads, T() when there is none.
template <class T>
T Fallback(py::handle fallback, py::handle type) {
    if (fallback.is_none()) {
        return T();
    }
    try {
        return fallback.cast<T>();
    } catch (const py::cast_error&) {
        throw py::type_error("default " + py::repr(fallback).cast<std::string>() + " is not a " +
                             TypeName(type));
    }
}

template <class T>
py::object Answer(bool found, const T& value, py::handle fallback,
                  const std::vector<std::string>& warnings) {
    WarnLines("CastWarning", warnings);
    if (!found && fallback.is_none()) {
        return py::none();
    }
    return ToPython(value);
}

// An int that reads other than written, as `quendel get --as int` warns of it.
void WarnMisfit(bool found, Quendel& library, const std::string& section, const std::string& key,
                std::optional<uint64_t> index) {
    if (found) {
        const std::string misfit = NumberMisfitOf(library, section, key, index, false);
        if (!misfit.empty()) {
            WarnLines("ConversionWarning", {misfit});
        }
    }
}

}  // namespace

void WarnLines(const char* pythonClass, const std::vector<std::string>& lines) {
    if (lines.empty()) {
        return;
    }
    const py::object category = py::module_::import("quendel").attr(pythonClass);
    for (const std::string& line : lines) {
        if (PyErr_WarnEx(category.ptr(), line.c_str(), 1) != 0) {
            throw py::error_already_set();  // warnings turned into errors
        }
    }
}

void OpenOrRaise(Selection& selection, const SelectionOptions& options, bool wholeTree) {
    RouteHostLog(false);
    std::string error;
    if (!ApplySettings(options, error)) {
        throw ModuleError("SettingsError", error);
    }
    if (!(wholeTree ? selection.OpenTree(options, error) : selection.Open(options, error))) {
        throw ModuleError("SelectionError", error);
    }
    const std::vector<std::string> problems = selection.Problems();
    if (options.m_strict && !problems.empty()) {
        std::string message;
        for (const std::string& problem : problems) {
            message += (message.empty() ? "" : "\n") + problem;
        }
        throw ModuleError("SelectionError", message);
    }
    WarnLines("SelectionWarning", problems);
}

PythonSelection::PythonSelection(const SelectionOptions& options)
    : m_options(options), m_selection(std::make_unique<Selection>()) {
    OpenOrRaise(*m_selection, m_options, false);
}

void PythonSelection::Reselect(const std::string& group, const std::string& probe,
                               const std::string& clinical) {
    Selection& selection = Opened();
    m_options.m_group = group;
    m_options.m_probe = probe;
    m_options.m_clinical = clinical;
    OpenOrRaise(selection, m_options, false);
}

Selection& PythonSelection::Opened() const {
    if (m_selection == nullptr) {
        throw py::value_error("the selection is closed");
    }
    return *m_selection;
}

py::object PythonSelection::Get(const std::string& section, const std::string& key, py::handle type,
                                py::handle fallback) {
    Selection& selection = Opened();
    return WithType(WholeValueType(type), [&](auto tag) -> py::object {
        using T = typename decltype(tag)::Type;
        if constexpr (std::is_same_v<T, long>) {  // read per element only
            return py::none();
        } else {
            T value{};
            std::vector<std::string> warnings;
            const bool found = AskWhole(selection.Library(), section, key,
                                        Fallback<T>(fallback, type), value, warnings);
            py::object answer = Answer(found, value, fallback, warnings);
            if constexpr (std::is_same_v<T, int>) {
                WarnMisfit(found, selection.Library(), section, key, std::nullopt);
            }
            return answer;
        }
    });
}

py::object PythonSelection::Element(const std::string& section, const std::string& key,
                                    uint64_t index, py::handle type, py::handle fallback) {
    Selection& selection = Opened();
    return WithType(ElementValueType(type), [&](auto tag) -> py::object {
        using T = typename decltype(tag)::Type;
        if constexpr (kOneOf<T, std::string, bool, int, double>) {
            T value{};
            std::vector<std::string> warnings;
            const bool found = AskElement(selection.Library(), section, key, index,
                                          Fallback<T>(fallback, type), value, warnings);
            py::object answer = Answer(found, value, fallback, warnings);
            if constexpr (std::is_same_v<T, int>) {
                WarnMisfit(found, selection.Library(), section, key, index);
            }
            return answer;
        } else {
            return py::none();
        }
    });
}

py::list PythonSelection::Entries() {
    const EntryTable table = Opened().Provenance().GetEntries();
    py::list entries;
    for (const StoreEntry& entry : table.m_entries) {
        entries.append(py::make_tuple(PythonText(*entry.m_section), PythonText(entry.m_key),
                                      PythonText(entry.m_origin.m_value),
                                      ToPython(OriginJson(entry.m_origin))));
    }
    return entries;
}

py::object PythonSelection::Files() {
    Selection& selection = Opened();
    return ToPython(FilesJson(selection, ReadingList(selection)));
}

py::object PythonSelection::Explain(const std::string& section, const std::string& key) {
    Selection& selection = Opened();
    return ToPython(ExplainJson(selection, section, key, ::Explain(selection, section, key)));
}

py::object PythonSelection::Diff(PythonSelection& other) {
    Selection& from = Opened();
    Selection& to = other.Opened();
    const EntryTable before = from.Provenance().GetEntries();
    const EntryTable after = to.Provenance().GetEntries();
    return ToPython(DiffJson(from, to, DiffEntries(before, after)));
}

std::string PythonSelection::Store() {
    return Opened().Kind() == StoreKind::kText ? "text" : "bin";
}

std::string PythonSelection::Source() {
    return Opened().Source();
}

std::string PythonSelection::Repr() const {
    if (m_selection == nullptr) {
        return "<quendel.Selection closed>";
    }
    return "<quendel.Selection " + m_selection->Describe() + ": " + m_selection->Source() + ">";
}
