// The parameter store interface. Each store supplies the selection operations and the raw
// lookups; the 24 typed getters are implemented once here, on top of GetRawValue, and no
// store overrides them. The order of the virtual operations is fixed.
#ifndef QUENDEL_RESOURCE_IRESOURCEMSG_H
#define QUENDEL_RESOURCE_IRESOURCEMSG_H

#include <cstdint>
#include <string>
#include <vector>

using HashedKey = std::vector<uint64_t>;

class IResourceMsg {
  public:
    virtual bool SetGroup(const std::string& f) = 0;
    virtual bool SetProbe(const std::string& p) = 0;
    virtual bool SetClinical(const std::string& a) = 0;
    virtual bool SetUserDefined(const std::string& f, const std::string& p,
                                const std::string& a) = 0;

    // Shared getters by hashed keys.
    virtual bool GetParameter(const HashedKey& section, const HashedKey& key,
                              std::vector<long>& value, const std::vector<long>& defaultValue);
    virtual bool GetParameter(const HashedKey& section, const HashedKey& key,
                              std::vector<bool>& value, const std::vector<bool>& defaultValue);
    virtual bool GetParameter(const HashedKey& section, const HashedKey& key,
                              std::vector<std::string>& value,
                              const std::vector<std::string>& defaultValue);
    virtual bool GetParameter(const HashedKey& section, const HashedKey& key,
                              std::vector<float>& value, const std::vector<float>& defaultValue);
    virtual bool GetParameter(const HashedKey& section, const HashedKey& key,
                              std::vector<double>& value, const std::vector<double>& defaultValue);
    virtual bool GetParameter(const HashedKey& section, const HashedKey& key,
                              std::vector<int>& value, const std::vector<int>& defaultValue);
    virtual bool GetParameter(const HashedKey& section, const HashedKey& key, long& value,
                              const long& defaultValue);
    virtual bool GetParameter(const HashedKey& section, const HashedKey& key, float& value,
                              const float& defaultValue);
    virtual bool GetParameter(const HashedKey& section, const HashedKey& key, double& value,
                              const double& defaultValue);
    virtual bool GetParameter(const HashedKey& section, const HashedKey& key, int& value,
                              const int& defaultValue);
    virtual bool GetParameter(const HashedKey& section, const HashedKey& key, bool& value,
                              const bool& defaultValue);
    virtual bool GetParameter(const HashedKey& section, const HashedKey& key, std::string& value,
                              const std::string& defaultValue);

    // Shared getters by names.
    virtual bool GetParameter(const std::string& section, const std::string& key,
                              std::vector<long>& value, const std::vector<long>& defaultValue);
    virtual bool GetParameter(const std::string& section, const std::string& key,
                              std::vector<bool>& value, const std::vector<bool>& defaultValue);
    virtual bool GetParameter(const std::string& section, const std::string& key,
                              std::vector<std::string>& value,
                              const std::vector<std::string>& defaultValue);
    virtual bool GetParameter(const std::string& section, const std::string& key,
                              std::vector<float>& value, const std::vector<float>& defaultValue);
    virtual bool GetParameter(const std::string& section, const std::string& key,
                              std::vector<double>& value, const std::vector<double>& defaultValue);
    virtual bool GetParameter(const std::string& section, const std::string& key,
                              std::vector<int>& value, const std::vector<int>& defaultValue);
    virtual bool GetParameter(const std::string& section, const std::string& key, long& value,
                              const long& defaultValue);
    virtual bool GetParameter(const std::string& section, const std::string& key, float& value,
                              const float& defaultValue);
    virtual bool GetParameter(const std::string& section, const std::string& key, double& value,
                              const double& defaultValue);
    virtual bool GetParameter(const std::string& section, const std::string& key, int& value,
                              const int& defaultValue);
    virtual bool GetParameter(const std::string& section, const std::string& key, bool& value,
                              const bool& defaultValue);
    virtual bool GetParameter(const std::string& section, const std::string& key,
                              std::string& value, const std::string& defaultValue);

    // Brings the lookup view up to date after a selection.
    virtual void Refresh() = 0;
    virtual ~IResourceMsg() = default;
    // Prepares a re-selection.
    virtual void Reload(const std::string& f, const std::string& p, const std::string& a) = 0;

    // Raw lookups: true and value = the stored text when the entry exists. A store that
    // cannot answer by hashed keys keeps these three, which report a miss.
    virtual bool GetRawValue(const HashedKey& section, const std::string& key, std::string& value);
    virtual bool GetRawValue(const std::string& section, const HashedKey& key, std::string& value);
    virtual bool GetRawValue(const HashedKey& section, const HashedKey& key, std::string& value);
    virtual bool GetRawValue(const std::string& section, const std::string& key,
                             std::string& value) = 0;

  protected:
    IResourceMsg() = default;
    IResourceMsg(const IResourceMsg&) = default;
    IResourceMsg& operator=(const IResourceMsg&) = default;
};

#endif
