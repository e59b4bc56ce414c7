// quendel.Selection: a Quendel initialised for one selection with its host settings, opened as
// the tool opens it (inspect/selection/Selection.h), and the questions the tool's commands ask
// of it.
#ifndef QUENDEL_PYTHON_PYTHONSELECTION_H
#define QUENDEL_PYTHON_PYTHONSELECTION_H

#include <pybind11/pybind11.h>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

#include "inspect/selection/Selection.h"

namespace py = pybind11;

// An error of the tool layer, raised as the module's exception class of that name.
class ModuleError : public std::runtime_error {
  public:
    ModuleError(const char* pythonClass, const std::string& message)
        : std::runtime_error(message), m_pythonClass(pythonClass) {}
    const char* PythonClass() const { return m_pythonClass; }

  private:
    const char* m_pythonClass;  // "SettingsError", "SelectionError"
};

// Each line as a warning of the module's class of that name ("CastWarning",
// "SelectionWarning"), attributed to the caller's line.
void WarnLines(const char* pythonClass, const std::vector<std::string>& lines);

// Applies the settings and opens the selection, or the whole tree: SettingsError when the
// settings file cannot be read, SelectionError when the library finds nothing there or, with
// --strict, when a selected level has no file; otherwise each such level is a SelectionWarning.
void OpenOrRaise(Selection& selection, const SelectionOptions& options, bool wholeTree);

class PythonSelection {
  public:
    explicit PythonSelection(const SelectionOptions& options);

    void Reselect(const std::string& group, const std::string& probe, const std::string& clinical);
    // Releases the store; later questions raise ValueError.
    void Close() { m_selection.reset(); }

    // GetParameter as type, or the default (None when none is given) for a missing entry or
    // text that does not convert; a list shorter than the default list is completed from it.
    py::object Get(const std::string& section, const std::string& key, py::handle type,
                   py::handle fallback);
    // GetParamInArray as type, or the default.
    py::object Element(const std::string& section, const std::string& key, uint64_t index,
                       py::handle type, py::handle fallback);
    // [(section, key, value text, origin)] of every entry, sorted by section and key.
    py::list Entries();
    py::object Explain(const std::string& section, const std::string& key);
    // The reading list, as `quendel files --json` gives it.
    py::object Files();
    py::object Diff(PythonSelection& other);

    const SelectionOptions& Options() const { return m_options; }
    std::string Store();
    std::string Source();
    std::string Repr() const;

  private:
    Selection& Opened() const;

    SelectionOptions m_options;
    std::unique_ptr<Selection> m_selection;
};

#endif
