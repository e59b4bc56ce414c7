// The 24 typed getters every store inherits: each type's strict rule, defaults, list padding
// and a value that is its own default, by names and by hashed keys alike.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resource/IResourceMsg.h"

namespace {

const HashedKey kSection{1, 2, 3, 4};
const HashedKey kKey{5, 6, 7, 8};

// Holds one entry ("Sec", "Key") and answers by names only, like the text store. On a miss it
// scribbles on the out-parameter, which the contract allows, so a getter relying on it shows.
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
    using IResourceMsg::GetRawValue;
    bool GetRawValue(const std::string& s, const std::string& k, std::string& value) override {
        ++m_nameLookups;
        return Answer(s == "Sec" && k == "Key", value);
    }

    std::string m_text;
    int m_nameLookups = 0;

  protected:
    bool Answer(bool present, std::string& value) const {
        value = present ? m_text : "scribble";
        return present;
    }
};

// Also answers by two hashed keys, like the binary store.
class HashedStore : public NameStore {
  public:
    using NameStore::GetRawValue;
    bool GetRawValue(const HashedKey& s, const HashedKey& k, std::string& value) override {
        return Answer(s == kSection && k == kKey, value);
    }
};

class SharedGettersTest : public ::testing::TestWithParam<bool> {
  protected:
    template <class T>
    bool Get(T& value, const T& defaultValue, bool present = true) {
        IResourceMsg& store = m_store;
        if (GetParam()) {
            return store.GetParameter(present ? kSection : HashedKey{0}, kKey, value, defaultValue);
        }
        return store.GetParameter("Sec", present ? "Key" : "Missing", value, defaultValue);
    }

    // Converts text, checking the answer and the number of int-cast warning lines.
    template <class T>
    void Expect(const std::string& text, const T& defaultValue, bool ok, const T& expected,
                int warnings = 0) {
        SCOPED_TRACE("'" + text + "'");
        m_store.m_text = text;
        T value = defaultValue;
        testing::internal::CaptureStdout();
        EXPECT_EQ(Get(value, defaultValue), ok);
        std::string expectedOut;
        for (int i = 0; i < warnings; ++i) {
            expectedOut += "Warning! Number is casted to int\n";
        }
        EXPECT_EQ(testing::internal::GetCapturedStdout(), expectedOut);
        EXPECT_EQ(value, expected);
    }

    HashedStore m_store;
};

// One case per getter: texts the strict rule reads differently from the stream rule, failures
// that give the default, and lists completed from the default's tail.
TEST_P(SharedGettersTest, EachTypeConvertsByItsStrictRule) {
    using Ints = std::vector<int>;
    Expect<int>("12.5", -1, true, 12, 1);
    Expect<int>("1x", -1, false, -1);
    Expect<long>("12.5", -1, true, 12, 0);
    Expect<double>("1e3", -1.0, false, -1.0);
    Expect<float>("0.1", -1.0f, true, 0.1f);
    Expect<float>(" 1", -1.0f, false, -1.0f);
    Expect<bool>("0.5", true, true, false, 1);
    Expect<bool>("nope", true, false, true);
    Expect<std::string>("  a, b  ", "d", true, std::string("  a, b  "));
    Expect<Ints>("1, 2", {9, 8, 7}, true, {1, 2, 7});
    Expect<Ints>("1.5 2.5 3", {9}, true, {1, 2, 3}, 2);
    Expect<Ints>("1, x", {4, 5, 6}, false, {4, 5, 6});
    Expect<std::vector<long>>("3.5", {0, 1}, true, {3, 1}, 1);
    Expect<std::vector<double>>("0.5 1e2", {1.0}, false, {1.0});
    Expect<std::vector<float>>("0.1 2", {1.0f, 2.0f, 3.0f}, true, {0.1f, 2.0f, 3.0f});
    Expect<std::vector<bool>>("true 1.0", {false, false, true}, true, {true, true, true}, 1);
    Expect<std::vector<std::string>>("a \"b c\"", {"x", "y", "z"}, true, {"a", "b c", "z"});
}

// A miss gives the default; value and defaultValue may be one object, and the default then
// survives until the result is known (the store scribbles on a miss, ToBool on a failure).
TEST_P(SharedGettersTest, DefaultsSurviveMissesAndSelfReference) {
    std::vector<int> ints{1};
    EXPECT_FALSE(Get(ints, std::vector<int>{4, 5}, false));
    EXPECT_EQ(ints, (std::vector<int>{4, 5}));
    std::string text = "keep";
    EXPECT_FALSE(Get(text, text, false));
    EXPECT_EQ(text, "keep");

    ints = {9, 8, 7};
    EXPECT_FALSE(Get(ints, ints, false));
    m_store.m_text = "1, 2";
    EXPECT_TRUE(Get(ints, ints));
    EXPECT_EQ(ints, (std::vector<int>{1, 2, 7}));
    m_store.m_text = "1, z";
    EXPECT_FALSE(Get(ints, ints));
    EXPECT_EQ(ints, (std::vector<int>{1, 2, 7}));
    std::vector<std::string> strings{"a", "b"};
    m_store.m_text = "\"x y\"";
    EXPECT_TRUE(Get(strings, strings));
    EXPECT_EQ(strings, (std::vector<std::string>{"x y", "b"}));
    bool flag = true;
    m_store.m_text = "q";
    EXPECT_FALSE(Get(flag, flag));
    EXPECT_TRUE(flag);
}

INSTANTIATE_TEST_SUITE_P(ByNamesAndByHashedKeys, SharedGettersTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Hashed" : "Names"; });

// A store that answers only by names reports every hashed lookup missing, without being asked.
TEST(SharedGettersNameOnlyTest, HashedKeysGiveTheDefault) {
    NameStore store;
    store.m_text = "3";
    IResourceMsg& base = store;
    std::string text = "x";
    EXPECT_FALSE(base.GetRawValue(kSection, "Key", text));
    EXPECT_FALSE(base.GetRawValue("Sec", kKey, text));
    EXPECT_EQ(text, "x");
    int number = 0;
    EXPECT_FALSE(base.GetParameter(kSection, kKey, number, 42));
    EXPECT_EQ(number, 42);
    EXPECT_EQ(store.m_nameLookups, 0);
    EXPECT_TRUE(base.GetParameter("Sec", "Key", number, 42));
    EXPECT_EQ(number, 3);
}

}  // namespace
