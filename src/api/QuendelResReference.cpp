#include "quendel/QuendelResReference.h"

#include "resource/QueryTypes.h"

namespace {

// Without a referenced object every query answers with the caller's default.
template <class S, class K, class T>
bool Param(Quendel* target, const S& section, const K& key, T& value, const T& defaultValue) {
    if (target != nullptr) {
        return target->GetParameter(section, key, value, defaultValue);
    }
    if (&value != &defaultValue) {
        value = defaultValue;
    }
    return false;
}

template <class S, class K, class T>
T Element(Quendel* target, const S& section, const K& key, uint64_t index, const T& defaultValue) {
    return target != nullptr ? target->GetParamInArray(section, key, index, defaultValue)
                             : defaultValue;
}

template <class S, class K, class T>
T First(Quendel* target, const S& section, const K& key, const T& defaultValue) {
    return target != nullptr ? target->GetValue(section, key, defaultValue) : defaultValue;
}

template <class S, class K>
std::string FirstText(Quendel* target, const S& section, const K& key, const char* defaultValue) {
    if (target != nullptr) {
        return target->GetValue(section, key, defaultValue);
    }
    return defaultValue != nullptr ? std::string(defaultValue) : std::string();
}

}  // namespace

QuendelResReference::QuendelResReference(Quendel* target) : m_pQuendel(target) {}

QuendelResReference::QuendelResReference(const QuendelResReference& other) = default;

QuendelResReference& QuendelResReference::operator=(const QuendelResReference& other) = default;

QuendelResReference::~QuendelResReference() {
    m_pQuendel = nullptr;
}

QuendelResReference::operator Quendel*() const {
    return m_pQuendel;
}

void QuendelResReference::SetQuendel(Quendel* target) {
    m_pQuendel = target;
}

bool QuendelResReference::StrSection2StrVector(const std::string& section,
                                               std::vector<std::string>& parts) {
    return m_pQuendel != nullptr && m_pQuendel->StrSection2StrVector(section, parts);
}

// The query forms, by names and by hashed keys; each is one forwarding call.
#define QUENDEL_REF_PARAM(T)                                                                   \
    bool QuendelResReference::GetParameter(const std::string& section, const std::string& key, \
                                           QueryOut<T> value, const T& defaultValue) {         \
        return Param(m_pQuendel, section, key, value, defaultValue);                           \
    }                                                                                          \
    bool QuendelResReference::GetParameter(const HashedKey& section, const HashedKey& key,     \
                                           QueryOut<T> value, const T& defaultValue) {         \
        return Param(m_pQuendel, section, key, value, defaultValue);                           \
    }
#define QUENDEL_REF_ELEMENT(T)                                                                 \
    T QuendelResReference::GetParamInArray(const std::string& section, const std::string& key, \
                                           uint64_t index, const T& defaultValue) {            \
        return Element(m_pQuendel, section, key, index, defaultValue);                         \
    }                                                                                          \
    T QuendelResReference::GetParamInArray(const HashedKey& section, const HashedKey& key,     \
                                           uint64_t index, const T& defaultValue) {            \
        return Element(m_pQuendel, section, key, index, defaultValue);                         \
    }                                                                                          \
    T QuendelResReference::GetValue(const std::string& section, const std::string& key,        \
                                    const T& defaultValue) {                                   \
        return First(m_pQuendel, section, key, defaultValue);                                  \
    }                                                                                          \
    T QuendelResReference::GetValue(const HashedKey& section, const HashedKey& key,            \
                                    const T& defaultValue) {                                   \
        return First(m_pQuendel, section, key, defaultValue);                                  \
    }

QUENDEL_VALUE_TYPES(QUENDEL_REF_PARAM)
QUENDEL_ELEMENT_TYPES(QUENDEL_REF_ELEMENT)
#undef QUENDEL_REF_ELEMENT
#undef QUENDEL_REF_PARAM

bool QuendelResReference::GetParameter(const HashedKey& section, const HashedKey& key, long& value,
                                       const long& defaultValue) {
    return Param(m_pQuendel, section, key, value, defaultValue);
}

std::string QuendelResReference::GetValue(const std::string& section, const std::string& key,
                                          const char* defaultValue) {
    return FirstText(m_pQuendel, section, key, defaultValue);
}

std::string QuendelResReference::GetValue(const HashedKey& section, const HashedKey& key,
                                          const char* defaultValue) {
    return FirstText(m_pQuendel, section, key, defaultValue);
}
