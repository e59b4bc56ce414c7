// A copyable, non-owning handle on a Quendel object owned elsewhere. Every query forwards to
// the referenced object; with none referenced it answers with the caller's default.
#ifndef QUENDEL_QUENDELRESREFERENCE_H
#define QUENDEL_QUENDELRESREFERENCE_H

#include "quendel/Quendel.h"

class QUENDEL_API QuendelResReference {
  public:
    using HashedKey = Quendel::HashedKey;

    QuendelResReference(Quendel* target);  // NOLINT(google-explicit-constructor)
    QuendelResReference(const QuendelResReference& other);
    QuendelResReference& operator=(const QuendelResReference& other);
    virtual ~QuendelResReference();

    operator Quendel*() const;  // NOLINT(google-explicit-constructor)
    // Replaces the referenced object; the old one is not touched.
    void SetQuendel(Quendel* target);

    bool GetParameter(const std::string& section, const std::string& key, std::string& value,
                      const std::string& defaultValue);
    bool GetParameter(const std::string& section, const std::string& key, bool& value,
                      const bool& defaultValue);
    bool GetParameter(const std::string& section, const std::string& key, int& value,
                      const int& defaultValue);
    bool GetParameter(const std::string& section, const std::string& key, double& value,
                      const double& defaultValue);
    bool GetParameter(const std::string& section, const std::string& key, float& value,
                      const float& defaultValue);
    bool GetParameter(const std::string& section, const std::string& key, std::vector<int>& value,
                      const std::vector<int>& defaultValue);
    bool GetParameter(const std::string& section, const std::string& key,
                      std::vector<double>& value, const std::vector<double>& defaultValue);
    bool GetParameter(const std::string& section, const std::string& key, std::vector<float>& value,
                      const std::vector<float>& defaultValue);
    bool GetParameter(const std::string& section, const std::string& key,
                      std::vector<std::string>& value,
                      const std::vector<std::string>& defaultValue);
    bool GetParameter(const std::string& section, const std::string& key, std::vector<bool>& value,
                      const std::vector<bool>& defaultValue);

    std::string GetValue(const std::string& section, const std::string& key,
                         const std::string& defaultValue);
    std::string GetValue(const std::string& section, const std::string& key,
                         const char* defaultValue);
    bool GetValue(const std::string& section, const std::string& key, const bool& defaultValue);
    int GetValue(const std::string& section, const std::string& key, const int& defaultValue);
    long GetValue(const std::string& section, const std::string& key, const long& defaultValue);
    double GetValue(const std::string& section, const std::string& key, const double& defaultValue);

    std::string GetParamInArray(const std::string& section, const std::string& key, uint64_t index,
                                const std::string& defaultValue);
    bool GetParamInArray(const std::string& section, const std::string& key, uint64_t index,
                         const bool& defaultValue);
    int GetParamInArray(const std::string& section, const std::string& key, uint64_t index,
                        const int& defaultValue);
    long GetParamInArray(const std::string& section, const std::string& key, uint64_t index,
                         const long& defaultValue);
    double GetParamInArray(const std::string& section, const std::string& key, uint64_t index,
                           const double& defaultValue);

    bool GetParameter(const HashedKey& section, const HashedKey& key, std::string& value,
                      const std::string& defaultValue);
    bool GetParameter(const HashedKey& section, const HashedKey& key, bool& value,
                      const bool& defaultValue);
    bool GetParameter(const HashedKey& section, const HashedKey& key, int& value,
                      const int& defaultValue);
    bool GetParameter(const HashedKey& section, const HashedKey& key, double& value,
                      const double& defaultValue);
    bool GetParameter(const HashedKey& section, const HashedKey& key, float& value,
                      const float& defaultValue);
    bool GetParameter(const HashedKey& section, const HashedKey& key, long& value,
                      const long& defaultValue);
    bool GetParameter(const HashedKey& section, const HashedKey& key, std::vector<int>& value,
                      const std::vector<int>& defaultValue);
    bool GetParameter(const HashedKey& section, const HashedKey& key, std::vector<double>& value,
                      const std::vector<double>& defaultValue);
    bool GetParameter(const HashedKey& section, const HashedKey& key, std::vector<float>& value,
                      const std::vector<float>& defaultValue);
    bool GetParameter(const HashedKey& section, const HashedKey& key,
                      std::vector<std::string>& value,
                      const std::vector<std::string>& defaultValue);
    bool GetParameter(const HashedKey& section, const HashedKey& key, std::vector<bool>& value,
                      const std::vector<bool>& defaultValue);

    std::string GetValue(const HashedKey& section, const HashedKey& key,
                         const std::string& defaultValue);
    std::string GetValue(const HashedKey& section, const HashedKey& key, const char* defaultValue);
    bool GetValue(const HashedKey& section, const HashedKey& key, const bool& defaultValue);
    int GetValue(const HashedKey& section, const HashedKey& key, const int& defaultValue);
    long GetValue(const HashedKey& section, const HashedKey& key, const long& defaultValue);
    double GetValue(const HashedKey& section, const HashedKey& key, const double& defaultValue);

    std::string GetParamInArray(const HashedKey& section, const HashedKey& key, uint64_t index,
                                const std::string& defaultValue);
    bool GetParamInArray(const HashedKey& section, const HashedKey& key, uint64_t index,
                         const bool& defaultValue);
    int GetParamInArray(const HashedKey& section, const HashedKey& key, uint64_t index,
                        const int& defaultValue);
    long GetParamInArray(const HashedKey& section, const HashedKey& key, uint64_t index,
                         const long& defaultValue);
    double GetParamInArray(const HashedKey& section, const HashedKey& key, uint64_t index,
                           const double& defaultValue);

    bool StrSection2StrVector(const std::string& section, std::vector<std::string>& parts);

  private:
    Quendel* m_pQuendel;
};

#endif
