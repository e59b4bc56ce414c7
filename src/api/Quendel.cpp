#include "quendel/Quendel.h"

#include <atomic>
#include <mutex>
#include <string_view>
#include <type_traits>

#include "api/IdKeyTable.h"
#include "api/StoreFactory.h"
#include "api/StoreReselection.h"
#include "host/Corvel.h"
#include "resource/IResourceMsg.h"
#include "resource/IStoredValues.h"
#include "resource/QueryTypes.h"
#include "resource/SectionPath.h"
#include "resource/SharedGetter.h"
#include "resource/StringOps.h"
#include "resource/ValueText.h"
#include "textstore/NameConstants.h"

namespace {

// Guards only the creation and the destruction of stores. Constant-initialised, so it exists
// before any other library's static constructor can create a store.
std::mutex g_storeLock;

// Strings and lists are emptied before the lookup, so that an error on the way never leaves
// the caller's old contents looking like a result.
template <class T>
void Empty(T& /*value*/) {}
void Empty(std::string& value) {
    value.clear();
}
template <class E>
void Empty(std::vector<E>& value) {
    value.clear();
}

// One list element of the element queries: int and long share the int rule, warning included.
template <class T>
bool ConvertElement(std::string_view token, T& value) {
    return ValueRule<T>::Strict(token, value);
}
template <>
bool ConvertElement(std::string_view token, long& value) {
    int number = 0;
    if (!ViewToInt(token, number)) {
        return false;
    }
    value = number;
    return true;
}

}  // namespace

Quendel::Quendel() {
    for (int id = 0; id < kIdKeyCount; ++id) {
        m_idKeyMap.emplace_hint(m_idKeyMap.end(), static_cast<IdEnum>(id), IdHashedKey(id));
    }
}

Quendel::Quendel(const Quendel& other)
    : m_pResource(std::atomic_load(&other.m_pResource)), m_idKeyMap(other.m_idKeyMap) {}

Quendel& Quendel::operator=(const Quendel& other) {
    if (&m_idKeyMap != &other.m_idKeyMap) {
        m_idKeyMap = other.m_idKeyMap;
    }
    // Shared ownership: the store this object held lives on while any other object uses it.
    std::atomic_store(&m_pResource, std::atomic_load(&other.m_pResource));
    return *this;
}

Quendel::~Quendel() = default;

bool Quendel::Initial(const std::string& F, const std::string& P, const std::string& A) {
    bool result = true;
    std::shared_ptr<IResourceMsg> store = std::atomic_load(&m_pResource);
    if (store) {
        ReselectStore(*store, F, P, A);
    } else {
        std::lock_guard<std::mutex> lock(g_storeLock);
        store = std::atomic_load(&m_pResource);
        if (!store) {
            store = MakeStore(F, P, A);
            std::atomic_store(&m_pResource, store);
            result = store != nullptr;
        }
    }
    if (store) {
        store->Refresh();
    }
    LogInfo("Cat_09", "End to Initialize Quendel. F:%s, P:%s, A:%s", F.c_str(), P.c_str(),
            A.c_str());
    return result;
}

bool Quendel::Delete() {
    if (!std::atomic_load(&m_pResource)) {
        return true;
    }
    std::lock_guard<std::mutex> lock(g_storeLock);
    std::atomic_store(&m_pResource, std::shared_ptr<IResourceMsg>());
    return true;
}

template <class S, class K, class T>
bool Quendel::Param(const S& section, const K& key, T& value, const T& defaultValue) {
    // The shared getters accept value and default as one object.
    if (!m_pResource) {
        if (&value != &defaultValue) {
            value = defaultValue;
        }
        return false;
    }
    if (&value != &defaultValue) {
        Empty(value);
    }
    return m_pResource->GetParameter(section, key, value, defaultValue);
}

template <class S, class K, class T>
T Quendel::Element(const S& section, const K& key, uint64_t index, const T& defaultValue) {
    // The element is the index-th token of the stored text, as in the list of strings. Where
    // the store keeps converted values, the token is found through the positions of the
    // value's tokens, taken once; otherwise the text is split up to it.
    if (!m_pResource) {
        return defaultValue;
    }
    T value{};
    if (IStoredValues* stored = StoredValuesOf(*m_pResource)) {
        ConvertedValue* found = stored->FindConverted(section, key);
        std::string_view token;
        if (found == nullptr || !found->Token(index, token) || !ConvertElement(token, value)) {
            return defaultValue;
        }
        return value;
    }
    std::string text;
    if (!m_pResource->GetRawValue(section, key, text)) {
        return defaultValue;
    }
    bool present = false;
    uint64_t position = 0;
    ForEachToken(text, ", ", [&](std::string_view token) {
        if (position++ != index) {
            return true;
        }
        // Converted here: a text with tabs is split in a copy that ends with the split.
        present = ConvertElement(token, value);
        return false;
    });
    return present ? value : defaultValue;
}

template <class T, class Lookup>
bool Quendel::ById(IdEnum id, const Lookup& lookup, T& value, const T& defaultValue) {
    // Negative ids widen to huge unsigned values and so fall outside the table too.
    const uint64_t slot = static_cast<uint64_t>(static_cast<int64_t>(id));
    if (!m_pResource || slot >= m_idKeyMap.size()) {
        if (&value != &defaultValue) {
            value = defaultValue;
        }
        return false;
    }
    // lookup(hashed, query) asks query(section, key) with the id's key in its place.
    const HashedKey& hashed = IdHashedKeyRef(static_cast<int>(slot));
    // A string takes the text straight from the raw lookup.
    IStoredValues* stored = std::is_same_v<T, std::string> ? nullptr : StoredValuesOf(*m_pResource);
    if (stored != nullptr) {
        const auto fetch = [&](T& target) {
            return lookup(hashed, [&](const auto& section, const auto& key) {
                return ReadStored(*stored, section, key, NumberRule::kStream, target);
            });
        };
        return FetchInto(fetch, value, defaultValue);
    }
    const auto raw = [&](std::string& text) {
        return lookup(hashed, [&](const auto& section, const auto& key) {
            return m_pResource->GetRawValue(section, key, text);
        });
    };
    return FetchConverted(raw, ValueRule<T>::Stream, value, defaultValue);
}

// Queries by names and by hashed keys: each value type, the element types, and the text forms of
// GetValue whose default is a C string (a null one reads as the empty text).
#define QUENDEL_PARAM(T)                                                                          \
    bool Quendel::GetParameter(const std::string& section, const std::string& key,                \
                               QueryOut<T> value, const T& defaultValue) {                        \
        return Param(section, key, value, defaultValue);                                          \
    }                                                                                             \
    bool Quendel::GetParameter(const HashedKey& section, const HashedKey& key, QueryOut<T> value, \
                               const T& defaultValue) {                                           \
        return Param(section, key, value, defaultValue);                                          \
    }
#define QUENDEL_ELEMENT(T)                                                                         \
    T Quendel::GetParamInArray(const std::string& section, const std::string& key, uint64_t index, \
                               const T& defaultValue) {                                            \
        return Element(section, key, index, defaultValue);                                         \
    }                                                                                              \
    T Quendel::GetParamInArray(const HashedKey& section, const HashedKey& key, uint64_t index,     \
                               const T& defaultValue) {                                            \
        return Element(section, key, index, defaultValue);                                         \
    }                                                                                              \
    T Quendel::GetValue(const std::string& section, const std::string& key,                        \
                        const T& defaultValue) {                                                   \
        return Element(section, key, 0, defaultValue);                                             \
    }                                                                                              \
    T Quendel::GetValue(const HashedKey& section, const HashedKey& key, const T& defaultValue) {   \
        return Element(section, key, 0, defaultValue);                                             \
    }
// Queries by IdEnum, as the section or as the key.
#define QUENDEL_BY_ID(T)                                                                 \
    bool Quendel::GetParameter(IdEnum id, const std::string& key, QueryOut<T> value,     \
                               const T& defaultValue) {                                  \
        const auto lookup = [&](const HashedKey& section, auto&& query) {                \
            return query(section, key);                                                  \
        };                                                                               \
        return ById(id, lookup, value, defaultValue);                                    \
    }                                                                                    \
    bool Quendel::GetParameter(const std::string& section, IdEnum id, QueryOut<T> value, \
                               const T& defaultValue) {                                  \
        const auto lookup = [&](const HashedKey& key, auto&& query) {                    \
            return query(section, key);                                                  \
        };                                                                               \
        return ById(id, lookup, value, defaultValue);                                    \
    }

QUENDEL_VALUE_TYPES(QUENDEL_PARAM)
QUENDEL_ELEMENT_TYPES(QUENDEL_ELEMENT)
QUENDEL_VALUE_TYPES(QUENDEL_BY_ID)
QUENDEL_BY_ID(long)
#undef QUENDEL_BY_ID
#undef QUENDEL_ELEMENT
#undef QUENDEL_PARAM

bool Quendel::GetParameter(const HashedKey& section, const HashedKey& key, long& value,
                           const long& defaultValue) {
    return Param(section, key, value, defaultValue);
}

std::string Quendel::GetValue(const std::string& section, const std::string& key,
                              const char* defaultValue) {
    return Element(section, key, 0, std::string(defaultValue != nullptr ? defaultValue : ""));
}

std::string Quendel::GetValue(const HashedKey& section, const HashedKey& key,
                              const char* defaultValue) {
    return Element(section, key, 0, std::string(defaultValue != nullptr ? defaultValue : ""));
}

namespace {
template <class T>
bool ValueFromVector(const std::vector<T>& list, T& value, uint64_t index) {
    if (list.empty()) {
        return false;
    }
    if (index < list.size()) {
        value = list[index];
        return true;
    }
    value = list.back();
    return false;
}
}  // namespace

bool Quendel::GetValueFromVector(const std::vector<int>& list, int& value, uint64_t index) {
    return ValueFromVector(list, value, index);
}
bool Quendel::GetValueFromVector(const std::vector<long>& list, long& value, uint64_t index) {
    return ValueFromVector(list, value, index);
}
bool Quendel::GetValueFromVector(const std::vector<float>& list, float& value, uint64_t index) {
    return ValueFromVector(list, value, index);
}
bool Quendel::GetValueFromVector(const std::vector<double>& list, double& value, uint64_t index) {
    return ValueFromVector(list, value, index);
}
bool Quendel::GetValueFromVector(const std::vector<std::string>& list, std::string& value,
                                 uint64_t index) {
    return ValueFromVector(list, value, index);
}
bool Quendel::GetValueFromVector(const std::vector<bool>& list, bool& value, uint64_t index) {
    return ValueFromVector(list, value, index);
}

bool Quendel::StrSection2StrVector(const std::string& section, std::vector<std::string>& parts) {
    if (section.empty()) {
        return false;
    }
    std::string text(section);
    ReplaceAll("\t", " ", text);
    EraseAll(" ", text);
    if (text.empty()) {
        return false;
    }
    // A leading ":" stands for the top-level section; empty names between colons are none.
    parts.clear();
    if (text.front() == ':') {
        parts.emplace_back(kGlobalSection);
    }
    ForEachSectionPart(text, EmptyParts::kSkip, [&parts](std::string_view part) {
        parts.emplace_back(part);
        return true;
    });
    return true;
}

bool Quendel::ToIntVector(const std::string& text, std::vector<int>& list) {
    return ::ToIntVector(text, list);
}
