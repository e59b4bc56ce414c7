#include "resource/IResourceMsg.h"

#include "resource/SharedGetter.h"

namespace {
// Every shared getter: the store's own raw lookup (a virtual call), then the strict rule of T.
template <class Section, class Key, class T>
bool GetShared(IResourceMsg& store, const Section& section, const Key& key, T& value,
               const T& defaultValue) {
    return FetchConverted([&](std::string& text) { return store.GetRawValue(section, key, text); },
                          ValueRule<T>::Strict, value, defaultValue);
}
}  // namespace

bool IResourceMsg::GetParameter(const HashedKey& section, const HashedKey& key,
                                std::vector<long>& value, const std::vector<long>& defaultValue) {
    return GetShared(*this, section, key, value, defaultValue);
}

bool IResourceMsg::GetParameter(const HashedKey& section, const HashedKey& key,
                                std::vector<bool>& value, const std::vector<bool>& defaultValue) {
    return GetShared(*this, section, key, value, defaultValue);
}

bool IResourceMsg::GetParameter(const HashedKey& section, const HashedKey& key,
                                std::vector<std::string>& value,
                                const std::vector<std::string>& defaultValue) {
    return GetShared(*this, section, key, value, defaultValue);
}

bool IResourceMsg::GetParameter(const HashedKey& section, const HashedKey& key,
                                std::vector<float>& value, const std::vector<float>& defaultValue) {
    return GetShared(*this, section, key, value, defaultValue);
}

bool IResourceMsg::GetParameter(const HashedKey& section, const HashedKey& key,
                                std::vector<double>& value,
                                const std::vector<double>& defaultValue) {
    return GetShared(*this, section, key, value, defaultValue);
}

bool IResourceMsg::GetParameter(const HashedKey& section, const HashedKey& key,
                                std::vector<int>& value, const std::vector<int>& defaultValue) {
    return GetShared(*this, section, key, value, defaultValue);
}

bool IResourceMsg::GetParameter(const HashedKey& section, const HashedKey& key, long& value,
                                const long& defaultValue) {
    return GetShared(*this, section, key, value, defaultValue);
}

bool IResourceMsg::GetParameter(const HashedKey& section, const HashedKey& key, float& value,
                                const float& defaultValue) {
    return GetShared(*this, section, key, value, defaultValue);
}

bool IResourceMsg::GetParameter(const HashedKey& section, const HashedKey& key, double& value,
                                const double& defaultValue) {
    return GetShared(*this, section, key, value, defaultValue);
}

bool IResourceMsg::GetParameter(const HashedKey& section, const HashedKey& key, int& value,
                                const int& defaultValue) {
    return GetShared(*this, section, key, value, defaultValue);
}

bool IResourceMsg::GetParameter(const HashedKey& section, const HashedKey& key, bool& value,
                                const bool& defaultValue) {
    return GetShared(*this, section, key, value, defaultValue);
}

bool IResourceMsg::GetParameter(const HashedKey& section, const HashedKey& key, std::string& value,
                                const std::string& defaultValue) {
    return GetShared(*this, section, key, value, defaultValue);
}

bool IResourceMsg::GetParameter(const std::string& section, const std::string& key,
                                std::vector<long>& value, const std::vector<long>& defaultValue) {
    return GetShared(*this, section, key, value, defaultValue);
}

bool IResourceMsg::GetParameter(const std::string& section, const std::string& key,
                                std::vector<bool>& value, const std::vector<bool>& defaultValue) {
    return GetShared(*this, section, key, value, defaultValue);
}

bool IResourceMsg::GetParameter(const std::string& section, const std::string& key,
                                std::vector<std::string>& value,
                                const std::vector<std::string>& defaultValue) {
    return GetShared(*this, section, key, value, defaultValue);
}

bool IResourceMsg::GetParameter(const std::string& section, const std::string& key,
                                std::vector<float>& value, const std::vector<float>& defaultValue) {
    return GetShared(*this, section, key, value, defaultValue);
}

bool IResourceMsg::GetParameter(const std::string& section, const std::string& key,
                                std::vector<double>& value,
                                const std::vector<double>& defaultValue) {
    return GetShared(*this, section, key, value, defaultValue);
}

bool IResourceMsg::GetParameter(const std::string& section, const std::string& key,
                                std::vector<int>& value, const std::vector<int>& defaultValue) {
    return GetShared(*this, section, key, value, defaultValue);
}

bool IResourceMsg::GetParameter(const std::string& section, const std::string& key, long& value,
                                const long& defaultValue) {
    return GetShared(*this, section, key, value, defaultValue);
}

bool IResourceMsg::GetParameter(const std::string& section, const std::string& key, float& value,
                                const float& defaultValue) {
    return GetShared(*this, section, key, value, defaultValue);
}

bool IResourceMsg::GetParameter(const std::string& section, const std::string& key, double& value,
                                const double& defaultValue) {
    return GetShared(*this, section, key, value, defaultValue);
}

bool IResourceMsg::GetParameter(const std::string& section, const std::string& key, int& value,
                                const int& defaultValue) {
    return GetShared(*this, section, key, value, defaultValue);
}

bool IResourceMsg::GetParameter(const std::string& section, const std::string& key, bool& value,
                                const bool& defaultValue) {
    return GetShared(*this, section, key, value, defaultValue);
}

bool IResourceMsg::GetParameter(const std::string& section, const std::string& key,
                                std::string& value, const std::string& defaultValue) {
    return GetShared(*this, section, key, value, defaultValue);
}

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
