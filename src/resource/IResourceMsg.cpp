#include "resource/IResourceMsg.h"

#include <type_traits>

#include "resource/IStoredValues.h"
#include "resource/QueryTypes.h"
#include "resource/SharedGetter.h"

namespace {
// Every shared getter: the store's own lookup (a virtual call), then the strict rule of T. A
// store that keeps its values hands out the text where it lies, and a list's converted form;
// any other store copies the text out through its raw lookup, as a string value always is.
template <class Section, class Key, class T>
bool GetShared(IResourceMsg& store, const Section& section, const Key& key, T& value,
               const T& defaultValue) {
    IStoredValues* stored = std::is_same_v<T, std::string> ? nullptr : StoredValuesOf(store);
    if (stored != nullptr) {
        return FetchInto(
            [&](T& target) {
                return ReadStored(*stored, section, key, NumberRule::kStrict, target);
            },
            value, defaultValue);
    }
    return FetchConverted([&](std::string& text) { return store.GetRawValue(section, key, text); },
                          ValueRule<T>::Strict, value, defaultValue);
}
}  // namespace

// The 24 shared getters: every value type by hashed keys and by names.
#define QUENDEL_SHARED_GETTERS(T)                                                       \
    bool IResourceMsg::GetParameter(const HashedKey& section, const HashedKey& key,     \
                                    QueryOut<T> value, const T& defaultValue) {         \
        return GetShared(*this, section, key, value, defaultValue);                     \
    }                                                                                   \
    bool IResourceMsg::GetParameter(const std::string& section, const std::string& key, \
                                    QueryOut<T> value, const T& defaultValue) {         \
        return GetShared(*this, section, key, value, defaultValue);                     \
    }

QUENDEL_VALUE_TYPES(QUENDEL_SHARED_GETTERS)
QUENDEL_SHARED_GETTERS(long)
QUENDEL_SHARED_GETTERS(std::vector<long>)
#undef QUENDEL_SHARED_GETTERS

// A store that cannot answer by hashed keys reports every such entry as missing.
bool IResourceMsg::GetRawValue(const HashedKey& /*section*/, const std::string& /*key*/,
                               std::string& /*value*/) {
    return false;
}

bool IResourceMsg::GetRawValue(const std::string& /*section*/, const HashedKey& /*key*/,
                               std::string& /*value*/) {
    return false;
}

bool IResourceMsg::GetRawValue(const HashedKey& /*section*/, const HashedKey& /*key*/,
                               std::string& /*value*/) {
    return false;
}
