#include "PythonValues.h"

#include <utility>

namespace {

// The Python type of a list element named by list[T] (or typing.List[T]); null for any other.
PyObject* ListElementType(py::handle type) {
    if (!py::hasattr(type, "__origin__") || !py::hasattr(type, "__args__")) {
        return nullptr;
    }
    const py::object args = type.attr("__args__");
    if (type.attr("__origin__").ptr() != reinterpret_cast<PyObject*>(&PyList_Type) ||
        !py::isinstance<py::tuple>(args) || py::len(args) != 1) {
        return nullptr;
    }
    return args.cast<py::tuple>()[0].ptr();
}

bool ScalarType(PyObject* type, ValueType& value) {
    const std::pair<PyTypeObject*, ValueType> kScalars[] = {{&PyUnicode_Type, ValueType::kString},
                                                            {&PyLong_Type, ValueType::kInt},
                                                            {&PyFloat_Type, ValueType::kDouble},
                                                            {&PyBool_Type, ValueType::kBool}};
    for (const auto& [python, library] : kScalars) {
        if (type == reinterpret_cast<PyObject*>(python)) {
            value = library;
            return true;
        }
    }
    return false;
}

[[noreturn]] void BadType(py::handle type, const char* accepted) {
    throw py::type_error("type must be one of " + std::string(accepted) + ", not " +
                         py::repr(type).cast<std::string>());
}

}  // namespace

py::str PythonText(const std::string& text) {
    PyObject* decoded =
        PyUnicode_DecodeUTF8(text.data(), static_cast<Py_ssize_t>(text.size()), "replace");
    if (decoded == nullptr) {
        throw py::error_already_set();
    }
    return py::reinterpret_steal<py::str>(decoded);
}

py::object ToPython(const nlohmann::ordered_json& json) {
    using Kind = nlohmann::ordered_json::value_t;
    switch (json.type()) {
        case Kind::boolean:
            return py::bool_(json.get<bool>());
        case Kind::number_integer:
            return py::int_(json.get<int64_t>());
        case Kind::number_unsigned:
            return py::int_(json.get<uint64_t>());
        case Kind::number_float:
            return py::float_(json.get<double>());
        case Kind::string:
            return PythonText(json.get_ref<const std::string&>());
        case Kind::array: {
            py::list list(json.size());
            for (size_t i = 0; i < json.size(); ++i) {
                list[i] = ToPython(json[i]);
            }
            return std::move(list);
        }
        case Kind::object: {
            py::dict dict;
            for (auto it = json.begin(); it != json.end(); ++it) {
                dict[PythonText(it.key())] = ToPython(it.value());
            }
            return std::move(dict);
        }
        default:
            return py::none();
    }
}

ValueType WholeValueType(py::handle type) {
    ValueType value = ValueType::kString;
    if (ScalarType(type.ptr(), value)) {
        return value;
    }
    if (PyObject* element = ListElementType(type);
        element != nullptr && ScalarType(element, value)) {
        const std::pair<ValueType, ValueType> kLists[] = {
            {ValueType::kString, ValueType::kStringList},
            {ValueType::kInt, ValueType::kIntList},
            {ValueType::kDouble, ValueType::kFloatList},
            {ValueType::kBool, ValueType::kBoolList}};
        for (const auto& [scalar, list] : kLists) {
            if (value == scalar) {
                return list;
            }
        }
    }
    BadType(type, "str, int, float, bool, list[str], list[int], list[float], list[bool]");
}

ValueType ElementValueType(py::handle type) {
    ValueType value = ValueType::kString;
    if (!ScalarType(type.ptr(), value)) {
        BadType(type, "str, int, float, bool");
    }
    return value;
}
