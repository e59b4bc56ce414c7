// The stored values of a store in place, with their converted forms: the queries read a number
// from the stored text without a copy of it, and lists and list elements from forms converted
// once. Both of the library's stores implement it beside IResourceMsg, whose getters stay the
// interface of the queries; a store without it answers the same queries through its raw
// lookups.
#ifndef QUENDEL_RESOURCE_ISTOREDVALUES_H
#define QUENDEL_RESOURCE_ISTOREDVALUES_H

#include <string>
#include <string_view>

#include "resource/ConvertedValue.h"
#include "resource/ConvertedValueCache.h"
#include "resource/IResourceMsg.h"

class IStoredValues {
  public:
    // The text that the raw lookup of the same names copies, in place; false when the store
    // holds no such entry. It stays where it is until the store changes its selection
    // (Refresh) or ends.
    virtual bool FindText(const std::string& section, const std::string& key,
                          std::string_view& text) = 0;
    virtual bool FindText(const HashedKey& section, const std::string& key,
                          std::string_view& text) = 0;
    virtual bool FindText(const std::string& section, const HashedKey& key,
                          std::string_view& text) = 0;
    virtual bool FindText(const HashedKey& section, const HashedKey& key,
                          std::string_view& text) = 0;
    // The converted forms of the texts FindText hands out.
    virtual ConvertedValueCache& ConvertedValues() = 0;

    // The value FindText finds, with its converted forms; null when there is none.
    template <class Section, class Key>
    ConvertedValue* FindConverted(const Section& section, const Key& key) {
        std::string_view text;
        return FindText(section, key, text) ? &ConvertedValues().Of(text) : nullptr;
    }

  protected:
    // Not owned through this interface: the store belongs to whoever holds its IResourceMsg.
    ~IStoredValues() = default;
};

// The stored values of store, or null when its kind keeps none. Costs a type comparison: a
// dynamic_cast across to this interface would cost as much as the lookup it serves.
IStoredValues* StoredValuesOf(IResourceMsg& store);

#endif
