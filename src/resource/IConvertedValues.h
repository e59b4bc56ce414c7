// The stored values of a store with their converted forms, for the queries that take more from
// a value than its text: lists and list elements. Both of the library's stores implement it
// beside IResourceMsg, whose getters stay the interface of the queries; a store without it
// answers the same queries through its raw lookups.
#ifndef QUENDEL_RESOURCE_ICONVERTEDVALUES_H
#define QUENDEL_RESOURCE_ICONVERTEDVALUES_H

#include <string>

#include "resource/ConvertedValue.h"
#include "resource/IResourceMsg.h"

class IConvertedValues {
  public:
    // The value that the raw lookup of the same names returns, with its converted forms; null
    // when the store holds no such entry. It stays valid until the store changes its selection
    // (Refresh) or ends.
    virtual ConvertedValue* FindConverted(const std::string& section, const std::string& key) = 0;
    virtual ConvertedValue* FindConverted(const HashedKey& section, const std::string& key) = 0;
    virtual ConvertedValue* FindConverted(const std::string& section, const HashedKey& key) = 0;
    virtual ConvertedValue* FindConverted(const HashedKey& section, const HashedKey& key) = 0;

  protected:
    // Not owned through this interface: the store belongs to whoever holds its IResourceMsg.
    ~IConvertedValues() = default;
};

// The converted values of store, or null when its kind keeps none. Costs a type comparison: a
// dynamic_cast across to this interface would cost as much as the lookup it serves.
IConvertedValues* ConvertedValuesOf(IResourceMsg& store);

#endif
