// The library's answers as plain Python values: texts as str (bytes that are not UTF-8 replaced
// by U+FFFD, as in the tool's JSON), numbers and lists as Python's own, the tool's JSON
// documents as dicts and lists; and the Python types that name what a query reads.
#ifndef QUENDEL_PYTHON_PYTHONVALUES_H
#define QUENDEL_PYTHON_PYTHONVALUES_H

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "inspect/report/ValueQuery.h"

namespace py = pybind11;

py::str PythonText(const std::string& text);

inline py::object ToPython(const std::string& value) {
    return PythonText(value);
}
inline py::object ToPython(bool value) {
    return py::bool_(value);
}
inline py::object ToPython(int value) {
    return py::int_(value);
}
inline py::object ToPython(long value) {
    return py::int_(value);
}
inline py::object ToPython(double value) {
    return py::float_(value);
}
// The library's float value, widened exactly.
inline py::object ToPython(float value) {
    return py::float_(static_cast<double>(value));
}
template <class T>
py::object ToPython(const std::vector<T>& list) {
    py::list out(list.size());
    for (size_t i = 0; i < list.size(); ++i) {
        out[i] = ToPython(static_cast<T>(list[i]));
    }
    return std::move(out);
}
py::object ToPython(const nlohmann::ordered_json& json);

// The value type that a Python type names for a query of the whole entry: str, int, float (a
// double), bool, list[str], list[int], list[float] (floats, as the stages read their curves),
// list[bool]. For one element: str, int, float (a double), bool. TypeError for any other.
ValueType WholeValueType(py::handle type);
ValueType ElementValueType(py::handle type);

#endif
