// The value types of the typed queries, listed once for every file that defines an overload
// set over them: a list macro expands X(T) once per type, in this order.
#ifndef QUENDEL_RESOURCE_QUERYTYPES_H
#define QUENDEL_RESOURCE_QUERYTYPES_H

#include <string>
#include <vector>

// Values that a query by names, by hashed keys or by IdEnum fills in.
// clang-format off
#define QUENDEL_VALUE_TYPES(X) \
    X(std::string) X(bool) X(int) X(double) X(float) \
    X(std::vector<int>) X(std::vector<double>) X(std::vector<float>) \
    X(std::vector<std::string>) X(std::vector<bool>)
// clang-format on

// Values of one list element (GetParamInArray, GetValue).
#define QUENDEL_ELEMENT_TYPES(X) X(std::string) X(bool) X(int) X(long) X(double)

// The out-parameter of a query. Spelled as a template argument, a type passed to a macro never
// stands where an expression could bind it differently.
template <class T>
using QueryOut = T&;

#endif
