// An in-memory store for the facade tests: entries by names and by hashed keys, a record of
// the selection calls, and an optional error thrown from every raw lookup.
#ifndef QUENDEL_TESTS_FAKESTORE_H
#define QUENDEL_TESTS_FAKESTORE_H

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "api/StoreFactory.h"
#include "resource/IResourceMsg.h"

// A hashed key as the name under which FakeStoreState holds it.
inline std::string HashedName(const HashedKey& key) {
    std::string name = "#";
    for (const uint64_t word : key) {
        name += std::to_string(word) + ".";
    }
    return name;
}

struct FakeStoreState {
    std::map<std::pair<std::string, std::string>, std::string> entries;  // names or HashedName
    std::vector<std::string> calls;  // "Reload(F,P,A)", "SetGroup(F)", ... "Refresh"
    int rawLookups = 0;
    int destroyed = 0;
    std::function<void()> onLookup;  // may throw, to test error reporting
};

class FakeStore : public IResourceMsg {
  public:
    explicit FakeStore(std::shared_ptr<FakeStoreState> state) : m_state(std::move(state)) {}
    ~FakeStore() override { ++m_state->destroyed; }

    bool SetGroup(const std::string& f) override { return Record("SetGroup(" + f + ")"); }
    bool SetProbe(const std::string& p) override { return Record("SetProbe(" + p + ")"); }
    bool SetClinical(const std::string& a) override { return Record("SetClinical(" + a + ")"); }
    bool SetUserDefined(const std::string& f, const std::string& p, const std::string& a) override {
        return Record("SetUserDefined(" + f + "," + p + "," + a + ")");
    }
    void Refresh() override { Record("Refresh"); }
    void Reload(const std::string& f, const std::string& p, const std::string& a) override {
        Record("Reload(" + f + "," + p + "," + a + ")");
    }

    bool GetRawValue(const HashedKey& s, const std::string& k, std::string& v) override {
        return Find(HashedName(s), k, v);
    }
    bool GetRawValue(const std::string& s, const HashedKey& k, std::string& v) override {
        return Find(s, HashedName(k), v);
    }
    bool GetRawValue(const HashedKey& s, const HashedKey& k, std::string& v) override {
        return Find(HashedName(s), HashedName(k), v);
    }
    bool GetRawValue(const std::string& s, const std::string& k, std::string& v) override {
        return Find(s, k, v);
    }

  private:
    bool Record(const std::string& call) {
        m_state->calls.push_back(call);
        return true;
    }
    bool Find(const std::string& section, const std::string& key, std::string& value) {
        ++m_state->rawLookups;
        if (m_state->onLookup) {
            m_state->onLookup();
        }
        const auto it = m_state->entries.find({section, key});
        if (it == m_state->entries.end()) {
            return false;
        }
        value = it->second;
        return true;
    }

    std::shared_ptr<FakeStoreState> m_state;
};

// Installs a factory that makes FakeStores over one shared state while it lives, and records
// which kind of store the host setting asked for.
class FakeStoreFactory {
  public:
    FakeStoreFactory() : m_state(std::make_shared<FakeStoreState>()) {
        SetStoreFactory([this](bool useText, const std::string& f, const std::string& p,
                               const std::string& a) -> std::unique_ptr<IResourceMsg> {
            m_made.push_back((useText ? "text(" : "bin(") + f + "," + p + "," + a + ")");
            return std::make_unique<FakeStore>(m_state);
        });
    }
    ~FakeStoreFactory() { SetStoreFactory(nullptr); }
    FakeStoreFactory(const FakeStoreFactory&) = delete;
    FakeStoreFactory& operator=(const FakeStoreFactory&) = delete;

    FakeStoreState& State() { return *m_state; }
    const std::vector<std::string>& Made() const { return m_made; }
    void Set(const std::string& section, const std::string& key, const std::string& text) {
        m_state->entries[{section, key}] = text;
    }

  private:
    std::shared_ptr<FakeStoreState> m_state;
    std::vector<std::string> m_made;
};

#endif
