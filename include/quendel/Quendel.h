// Read-only access to the image post-processing parameters of the scanner.
//
// A Quendel object owns (shares) one parameter store, created by its first Initial: the layered
// ".pp" text files or the compiled binary resource file, chosen by the host setting
// "UseTxtQuendel". Every query takes a default, returned when there is no store, no entry, or
// text that does not convert. `long` values are computed as 32-bit ints, like `int` ones.
#ifndef QUENDEL_QUENDEL_H
#define QUENDEL_QUENDEL_H

#ifndef QUENDEL_API
#define QUENDEL_API __attribute__((visibility("default")))
#endif

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

class IResourceMsg;

// A fixed parameter group, 0 to 115; the library maps each to a four-word hashed key.
enum IdEnum : int {};

class QUENDEL_API Quendel {
  public:
    using HashedKey = std::vector<uint64_t>;

    Quendel();
    // Copies share the store of other; it is destroyed when its last user lets it go.
    Quendel(const Quendel& other);
    Quendel& operator=(const Quendel& other);
    virtual ~Quendel();

    // Creates the store on the first call, re-selects F (group), P (transducer) and
    // A (clinical setting) on later ones. True when a store exists afterwards.
    bool Initial(const std::string& F, const std::string& P, const std::string& A);
    // Lets go of the store; always true.
    bool Delete();

    // Queries by section and key name.
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

    // Element index (from 0) of a list-valued entry, or the default.
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

    // The first element of a list-valued entry, or the default.
    std::string GetValue(const std::string& section, const std::string& key,
                         const std::string& defaultValue);
    std::string GetValue(const std::string& section, const std::string& key,
                         const char* defaultValue);
    bool GetValue(const std::string& section, const std::string& key, const bool& defaultValue);
    int GetValue(const std::string& section, const std::string& key, const int& defaultValue);
    long GetValue(const std::string& section, const std::string& key, const long& defaultValue);
    double GetValue(const std::string& section, const std::string& key, const double& defaultValue);

    // Queries by hashed section and hashed key.
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

    std::string GetValue(const HashedKey& section, const HashedKey& key,
                         const std::string& defaultValue);
    std::string GetValue(const HashedKey& section, const HashedKey& key, const char* defaultValue);
    bool GetValue(const HashedKey& section, const HashedKey& key, const bool& defaultValue);
    int GetValue(const HashedKey& section, const HashedKey& key, const int& defaultValue);
    long GetValue(const HashedKey& section, const HashedKey& key, const long& defaultValue);
    double GetValue(const HashedKey& section, const HashedKey& key, const double& defaultValue);

    // Queries by IdEnum as the section, with a key name. Numbers are read by a string stream.
    bool GetParameter(IdEnum id, const std::string& key, std::string& value,
                      const std::string& defaultValue);
    bool GetParameter(IdEnum id, const std::string& key, bool& value, const bool& defaultValue);
    bool GetParameter(IdEnum id, const std::string& key, int& value, const int& defaultValue);
    bool GetParameter(IdEnum id, const std::string& key, long& value, const long& defaultValue);
    bool GetParameter(IdEnum id, const std::string& key, double& value, const double& defaultValue);
    bool GetParameter(IdEnum id, const std::string& key, float& value, const float& defaultValue);
    bool GetParameter(IdEnum id, const std::string& key, std::vector<int>& value,
                      const std::vector<int>& defaultValue);
    bool GetParameter(IdEnum id, const std::string& key, std::vector<double>& value,
                      const std::vector<double>& defaultValue);
    bool GetParameter(IdEnum id, const std::string& key, std::vector<float>& value,
                      const std::vector<float>& defaultValue);
    bool GetParameter(IdEnum id, const std::string& key, std::vector<std::string>& value,
                      const std::vector<std::string>& defaultValue);
    bool GetParameter(IdEnum id, const std::string& key, std::vector<bool>& value,
                      const std::vector<bool>& defaultValue);

    // Queries by section name, with an IdEnum as the key.
    bool GetParameter(const std::string& section, IdEnum id, std::string& value,
                      const std::string& defaultValue);
    bool GetParameter(const std::string& section, IdEnum id, bool& value, const bool& defaultValue);
    bool GetParameter(const std::string& section, IdEnum id, int& value, const int& defaultValue);
    bool GetParameter(const std::string& section, IdEnum id, long& value, const long& defaultValue);
    bool GetParameter(const std::string& section, IdEnum id, double& value,
                      const double& defaultValue);
    bool GetParameter(const std::string& section, IdEnum id, float& value,
                      const float& defaultValue);
    bool GetParameter(const std::string& section, IdEnum id, std::vector<int>& value,
                      const std::vector<int>& defaultValue);
    bool GetParameter(const std::string& section, IdEnum id, std::vector<double>& value,
                      const std::vector<double>& defaultValue);
    bool GetParameter(const std::string& section, IdEnum id, std::vector<float>& value,
                      const std::vector<float>& defaultValue);
    bool GetParameter(const std::string& section, IdEnum id, std::vector<std::string>& value,
                      const std::vector<std::string>& defaultValue);
    bool GetParameter(const std::string& section, IdEnum id, std::vector<bool>& value,
                      const std::vector<bool>& defaultValue);

    // Element index of list, or its last element (and false) when index is past the end;
    // false with value untouched for an empty list.
    static bool GetValueFromVector(const std::vector<int>& list, int& value, uint64_t index);
    static bool GetValueFromVector(const std::vector<long>& list, long& value, uint64_t index);
    static bool GetValueFromVector(const std::vector<float>& list, float& value, uint64_t index);
    static bool GetValueFromVector(const std::vector<double>& list, double& value, uint64_t index);
    static bool GetValueFromVector(const std::vector<std::string>& list, std::string& value,
                                   uint64_t index);
    static bool GetValueFromVector(const std::vector<bool>& list, bool& value, uint64_t index);

    // Splits a section path at ":"; a leading ":" stands for "GlobalParameters".
    bool StrSection2StrVector(const std::string& section, std::vector<std::string>& parts);

    // The list conversion of the typed getters: numbers separated by commas and blanks.
    static bool ToIntVector(const std::string& text, std::vector<int>& list);

  private:
    // Lets the library's own tools look into the store; no part of the API.
    friend class QuendelStoreAccess;

    template <class S, class K, class T>
    bool Param(const S& section, const K& key, T& value, const T& defaultValue);
    template <class S, class K, class T>
    T Element(const S& section, const K& key, uint64_t index, const T& defaultValue);
    template <class T, class Lookup>
    bool ById(IdEnum id, const Lookup& lookup, T& value, const T& defaultValue);

    std::shared_ptr<IResourceMsg> m_pResource;
    std::map<IdEnum, std::vector<uint64_t>> m_idKeyMap;
};

// A table of numbers: rows separated by ";", numbers by commas and spaces. A text without
// ";" gives one single-number row per number. Rows that give no number are left out.
QUENDEL_API std::vector<std::vector<float>> StringToNestedFLoatVec(const std::string& text);
QUENDEL_API std::vector<std::vector<int>> StringToNestedIntVec(const std::string& text);

#endif
