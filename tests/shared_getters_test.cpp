// The 24 typed getters every store inherits: lookup, conversion, defaults and list padding.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "resource/IResourceMsg.h"

namespace {

const std::string kWarningLine = "Warning! Number is casted to int\n";

// Answers lookups by names from a table, like the text store. On a miss it scribbles on the
// out-parameter, which the contract allows, so a getter relying on it would show.
class NameStore : public IResourceMsg {
  public:
    bool SetGroup(const std::string&) override { return true; }
    bool SetProbe(const std::string&) override { return true; }
    bool SetClinical(const std::string&) override { return true; }
    bool SetUserDefined(const std::string&, const std::string&, const std::string&) override {
        return false;
    }
    void Refresh() override {}
    void Reload(const std::string&, const std::string&, const std::string&) override {}

    bool GetRawValue(const std::string& section, const std::string& key,
                     std::string& value) override {
        ++m_nameLookups;
        const auto it = m_byName.find({section, key});
        if (it == m_byName.end()) {
            value = "scribble";
            return false;
        }
        value = it->second;
        return true;
    }
    using IResourceMsg::GetRawValue;

    void Put(const std::string& section, const std::string& key, const std::string& text) {
        m_byName[{section, key}] = text;
    }

    int m_nameLookups = 0;

  private:
    std::map<std::pair<std::string, std::string>, std::string> m_byName;
};

// Also answers by two hashed keys, like the binary store.
class HashedStore : public NameStore {
  public:
    bool GetRawValue(const HashedKey& section, const HashedKey& key, std::string& value) override {
        const auto it = m_byHash.find({section, key});
        if (it == m_byHash.end()) {
            value = "scribble";
            return false;
        }
        value = it->second;
        return true;
    }
    using NameStore::GetRawValue;

    void PutHashed(const HashedKey& section, const HashedKey& key, const std::string& text) {
        m_byHash[{section, key}] = text;
    }

  private:
    std::map<std::pair<HashedKey, HashedKey>, std::string> m_byHash;
};

const HashedKey kSection{1, 2, 3, 4};
const HashedKey kKey{5, 6, 7, 8};

// Both kinds of getter must give the same answer for the same stored text.
class SharedGettersTest : public ::testing::TestWithParam<bool> {
  protected:
    bool ByHash() const { return GetParam(); }

    void Store(const std::string& text) {
        m_store.Put("Sec", "Key", text);
        m_store.PutHashed(kSection, kKey, text);
    }

    template <class T>
    bool Get(T& value, const T& defaultValue, bool present = true) {
        IResourceMsg& store = m_store;
        if (ByHash()) {
            return store.GetParameter(present ? kSection : HashedKey{0}, kKey, value, defaultValue);
        }
        return store.GetParameter("Sec", present ? "Key" : "Missing", value, defaultValue);
    }

    // Converts text, checking the answer and the number of warning lines.
    template <class T>
    void Expect(const std::string& text, const T& defaultValue, bool ok, const T& expected,
                int warnings = 0) {
        SCOPED_TRACE("'" + text + "'");
        Store(text);
        T value = defaultValue;
        testing::internal::CaptureStdout();
        const bool result = Get(value, defaultValue);
        std::string out = testing::internal::GetCapturedStdout();
        EXPECT_EQ(result, ok);
        EXPECT_EQ(value, expected);
        std::string expectedOut;
        for (int i = 0; i < warnings; ++i) {
            expectedOut += kWarningLine;
        }
        EXPECT_EQ(out, expectedOut);
    }

    HashedStore m_store;
};

TEST_P(SharedGettersTest, Scalars) {
    Expect<int>("12.5", -1, true, 12, 1);
    Expect<long>("12.5", -1, true, 12, 0);
    Expect<int>("1x", -1, false, -1);
    Expect<int>("+7", -1, true, 7);
    Expect<double>("2.75", -1.0, true, 2.75);
    Expect<double>("1e3", -1.0, false, -1.0);
    Expect<float>("0.1", -1.0f, true, 0.1f);
    Expect<float>(" 1", -1.0f, false, -1.0f);
    Expect<bool>("\"TRUE\"", false, true, true);
    Expect<bool>("0.5", true, true, false, 1);
    Expect<bool>("nope", true, false, true);
    Expect<std::string>("  a, b  ", "d", true, std::string("  a, b  "));
}

// The empty text passes IsNumber: the number getters give 0, not the default.
TEST_P(SharedGettersTest, EmptyTextIsZero) {
    Expect<int>("", 5, true, 0);
    Expect<long>("", 5, true, 0);
    Expect<double>("", 5.0, true, 0.0);
    Expect<float>("", 5.0f, true, 0.0f);
    Expect<std::string>("", "d", true, std::string());
}

TEST_P(SharedGettersTest, ListsArePaddedFromTheDefaultsTail) {
    using Ints = std::vector<int>;
    Expect<Ints>("1, 2", {9, 8, 7}, true, {1, 2, 7});
    Expect<Ints>("1, 2", {9}, true, {1, 2});
    Expect<Ints>("", {9, 8}, true, {9, 8});
    Expect<Ints>("1.5 2.5 3", {}, true, {1, 2, 3}, 2);
    Expect<Ints>("1, x", {4, 5, 6}, false, {4, 5, 6});
    Expect<std::vector<long>>("3.5", {0, 1}, true, {3, 1}, 1);
    Expect<std::vector<long>>("3 y", {0, 1}, false, {0, 1});
    Expect<std::vector<double>>("0.5", {1.0, 2.0}, true, {0.5, 2.0});
    Expect<std::vector<double>>("0.5 1e2", {1.0}, false, {1.0});
    Expect<std::vector<float>>("0.1 2", {1.0f, 2.0f, 3.0f}, true, {0.1f, 2.0f, 3.0f});
    Expect<std::vector<float>>("0.1 x", {1.0f}, false, {1.0f});
    Expect<std::vector<bool>>("true 1.0", {false, false, true}, true, {true, true, true}, 1);
    Expect<std::vector<bool>>("true bad", {false, true, false, true}, false,
                              {false, true, false, true});
    Expect<std::vector<std::string>>("a \"b c\"", {"x", "y", "z"}, true, {"a", "b c", "z"});
}

TEST_P(SharedGettersTest, MissingEntryGivesTheDefault) {
    std::vector<int> ints{1};
    EXPECT_FALSE(Get(ints, std::vector<int>{4, 5}, false));
    EXPECT_EQ(ints, (std::vector<int>{4, 5}));
    std::vector<bool> bools{true, true, true};
    EXPECT_FALSE(Get(bools, std::vector<bool>{false}, false));
    EXPECT_EQ(bools, std::vector<bool>{false});
    std::string text = "old";
    EXPECT_FALSE(Get(text, std::string("def"), false));
    EXPECT_EQ(text, "def");
    double d = 1.0;
    EXPECT_FALSE(Get(d, 2.5, false));
    EXPECT_EQ(d, 2.5);
}

// value and defaultValue may be one object: the default survives until the result is known.
TEST_P(SharedGettersTest, ValueMayBeTheDefault) {
    std::string text = "keep";
    EXPECT_FALSE(Get(text, text, false));  // the store scribbles on a miss
    EXPECT_EQ(text, "keep");
    Store("new text");
    EXPECT_TRUE(Get(text, text));
    EXPECT_EQ(text, "new text");

    std::vector<int> ints{9, 8, 7};
    EXPECT_FALSE(Get(ints, ints, false));
    EXPECT_EQ(ints, (std::vector<int>{9, 8, 7}));
    Store("1, 2");
    EXPECT_TRUE(Get(ints, ints));
    EXPECT_EQ(ints, (std::vector<int>{1, 2, 7}));
    Store("1, z");
    EXPECT_FALSE(Get(ints, ints));
    EXPECT_EQ(ints, (std::vector<int>{1, 2, 7}));

    std::vector<bool> bools{false, true, false};
    Store("true");
    EXPECT_TRUE(Get(bools, bools));
    EXPECT_EQ(bools, (std::vector<bool>{true, true, false}));

    std::vector<std::string> strings{"a", "b"};
    Store("\"x y\"");
    EXPECT_TRUE(Get(strings, strings));
    EXPECT_EQ(strings, (std::vector<std::string>{"x y", "b"}));

    int number = 5;
    Store("q");
    EXPECT_FALSE(Get(number, number));
    EXPECT_EQ(number, 5);
    bool flag = true;
    EXPECT_FALSE(Get(flag, flag));  // a failed ToBool writes false to its own out-parameter
    EXPECT_TRUE(flag);
}

INSTANTIATE_TEST_SUITE_P(ByNamesAndByHashedKeys, SharedGettersTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Hashed" : "Names"; });

// A store that answers only by names reports every hashed lookup missing, without being asked.
TEST(SharedGettersNameOnlyTest, HashedKeysGiveTheDefault) {
    NameStore store;
    store.Put("Sec", "Key", "3");
    IResourceMsg& base = store;

    std::string text = "x";
    EXPECT_FALSE(base.GetRawValue(kSection, "Key", text));
    EXPECT_FALSE(base.GetRawValue("Sec", kKey, text));
    EXPECT_FALSE(base.GetRawValue(kSection, kKey, text));
    EXPECT_EQ(text, "x");

    int number = 0;
    EXPECT_FALSE(base.GetParameter(kSection, kKey, number, 42));
    EXPECT_EQ(number, 42);
    std::vector<float> floats;
    EXPECT_FALSE(base.GetParameter(kSection, kKey, floats, std::vector<float>{1.5f}));
    EXPECT_EQ(floats, std::vector<float>{1.5f});
    EXPECT_EQ(store.m_nameLookups, 0);

    EXPECT_TRUE(base.GetParameter("Sec", "Key", number, 42));
    EXPECT_EQ(number, 3);
    EXPECT_EQ(store.m_nameLookups, 1);
}

}  // namespace
