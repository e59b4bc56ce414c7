// The Quendel object over an in-memory store: lifecycle, selection order, copies, and the
// query families by names, hashed keys and IdEnum.
#include <corvel/CorvelControl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "FakeStore.h"
#include "TestSupport.h"
#include "api/IdKeyTable.h"
#include "quendel/Quendel.h"
#include "quendel/QuendelResReference.h"

namespace {

using testing::ElementsAre;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;
using Texts = std::vector<std::string>;

const char kWarning[] = "Warning! Number is casted to int\n";
const Quendel::HashedKey kId0 = IdHashedKey(0);
const Quendel::HashedKey kId1 = IdHashedKey(1);

class FacadeTest : public ::testing::Test {
  protected:
    void SetUp() override { corvel::ClearSettings(); }
    void TearDown() override { corvel::ClearSettings(); }

    FakeStoreState& State() { return m_factory.State(); }

    FakeStoreFactory m_factory;
    LogCapture m_log;
};

// The first Initial builds the store; later ones re-select it, calling only the levels the
// selectors allow, in order, and end with Refresh and one log line.
TEST_F(FacadeTest, FirstInitialCreatesTheStoreAndLaterOnesReselectInOrder) {
    Quendel q;
    EXPECT_TRUE(q.Initial("", "", ""));
    EXPECT_THAT(m_factory.Made(), ElementsAre("bin(,,)"));
    EXPECT_THAT(State().calls, ElementsAre("Refresh"));
    const std::vector<std::pair<Texts, Texts>> cases = {
        {{"G1", "X1", "C1"},
         {"Reload(G1,X1,C1)", "SetGroup(G1)", "SetProbe(X1)", "SetClinical(C1)",
          "SetUserDefined(G1,X1,C1)", "Refresh"}},
        {{"", "X2", "C2"}, {"Reload(,X2,C2)", "SetClinical(C2)", "Refresh"}},
        {{"G2", "", "C3"}, {"Reload(G2,,C3)", "SetGroup(G2)", "SetClinical(C3)", "Refresh"}}};
    for (const auto& [fpa, calls] : cases) {
        State().calls.clear();
        EXPECT_TRUE(q.Initial(fpa[0], fpa[1], fpa[2]));
        EXPECT_EQ(State().calls, calls);
        EXPECT_EQ(m_log.Count("INFO [Cat_09] End to Initialize Quendel. F:" + fpa[0] +
                              ", P:" + fpa[1] + ", A:" + fpa[2]),
                  1);
    }
    EXPECT_EQ(m_factory.Made().size(), 1u);
}

TEST_F(FacadeTest, StoreKindIsKeptUntilDeleteAndDeleteIsIdempotent) {
    Quendel q;
    EXPECT_TRUE(q.Delete());
    corvel::SetSetting("PostProcessing", "UseTxtQuendel", "true");
    q.Initial("G", "P", "A");
    corvel::SetSetting("PostProcessing", "UseTxtQuendel", "false");
    q.Initial("G", "P", "A");
    EXPECT_THAT(m_factory.Made(), ElementsAre("text(G,P,A)"));
    m_factory.Set("S", "K", "7");
    int value = 0;
    EXPECT_TRUE(q.GetParameter("S", "K", value, -1));
    EXPECT_TRUE(q.Delete());
    EXPECT_EQ(State().destroyed, 1);
    EXPECT_TRUE(q.Delete());
    EXPECT_FALSE(q.GetParameter("S", "K", value, -1));
    EXPECT_EQ(value, -1);
    q.Initial("G", "P", "A");
    EXPECT_THAT(m_factory.Made(), ElementsAre("text(G,P,A)", "bin(G,P,A)"));
}

// Without a store every query gives its default, also when it is the same object, and asks
// nothing (with a store, the shared getters' test owns the padding from oneself).
TEST_F(FacadeTest, DefaultsWithoutStoreAlsoAsTheSameObject) {
    Quendel q;
    std::vector<float> floats = {0.5f, 0.25f, 0.125f};
    EXPECT_FALSE(q.GetParameter("S", "Two", floats, floats));
    EXPECT_THAT(floats, ElementsAre(0.5f, 0.25f, 0.125f));
    std::string text = "old";
    EXPECT_FALSE(q.GetParameter("S", "K", text, std::string("def")));
    EXPECT_EQ(text, "def");
    EXPECT_EQ(q.GetValue("S", "K", nullptr), "");
    EXPECT_EQ(q.GetParamInArray(kId0, kId1, 0, 2.5), 2.5);
    long l = 0;
    EXPECT_FALSE(q.GetParameter(static_cast<IdEnum>(0), "K", l, 9L));
    EXPECT_EQ(l, 9L);
    EXPECT_EQ(State().rawLookups, 0);
}

TEST_F(FacadeTest, ElementQueriesReadOneTokenWhileGetParameterReadsTheWholeText) {
    Quendel q;
    q.Initial("", "", "");
    m_factory.Set("S", "List", "a b, 3.9, true");
    std::string whole;
    EXPECT_TRUE(q.GetParameter("S", "List", whole, std::string()));
    EXPECT_EQ(whole, "a b, 3.9, true");
    EXPECT_EQ(q.GetValue("S", "List", std::string("d")), "a");
    EXPECT_EQ(q.GetParamInArray("S", "List", 1, std::string("d")), "b");
    CaptureStdout();
    EXPECT_EQ(q.GetParamInArray("S", "List", 2, 0), 3);
    EXPECT_EQ(q.GetParamInArray("S", "List", 2, 0L), 3L);  // long shares the int rule
    EXPECT_EQ(GetCapturedStdout(), std::string(kWarning) + kWarning);
    EXPECT_TRUE(q.GetParamInArray("S", "List", 3, false));
    EXPECT_EQ(q.GetParamInArray("S", "List", 4, 7), 7);  // index == length
    EXPECT_EQ(q.GetParamInArray("S", "List", 0, 7), 7);  // not a number
    EXPECT_EQ(q.GetParamInArray("S", "List", ~0ULL, 7), 7);
    EXPECT_DOUBLE_EQ(q.GetValue("S", "Missing", 1.25), 1.25);
}

// IdEnum queries read numbers as a stream does (no warning, a number prefix is enough), queries
// by hashed keys by the strict rule; ids outside 0 to 115 ask the store nothing.
TEST_F(FacadeTest, IdEnumQueriesReadNumbersByStreamHashedKeysStrictly) {
    Quendel q;
    q.Initial("", "", "");
    m_factory.Set(HashedName(IdHashedKey(115)), "Gain", "2.9");
    m_factory.Set("Sec", HashedName(kId1), "1.5mm");
    m_factory.Set(HashedName(kId0), HashedName(kId1), "2.9");
    m_factory.Set(HashedName(kId0), "Curve", "1, 2");

    CaptureStdout();
    int i = 0;
    EXPECT_TRUE(q.GetParameter(static_cast<IdEnum>(115), "Gain", i, -1));
    EXPECT_EQ(i, 2);
    EXPECT_EQ(GetCapturedStdout(), "");
    CaptureStdout();
    EXPECT_TRUE(q.GetParameter(kId0, kId1, i, -1));
    EXPECT_EQ(i, 2);
    EXPECT_EQ(GetCapturedStdout(), kWarning);

    double d = 0;
    EXPECT_TRUE(q.GetParameter("Sec", static_cast<IdEnum>(1), d, -1.0));
    EXPECT_DOUBLE_EQ(d, 1.5);
    m_factory.Set(HashedName(kId0), HashedName(kId1), "1.5mm");
    EXPECT_FALSE(q.GetParameter(kId0, kId1, d, -1.0));
    EXPECT_DOUBLE_EQ(d, -1.0);
    std::vector<int> curve;
    EXPECT_TRUE(q.GetParameter(static_cast<IdEnum>(0), "Curve", curve, {7, 8, 9, 10}));
    EXPECT_THAT(curve, ElementsAre(1, 2, 9, 10));

    const int before = State().rawLookups;
    for (int id : {-1, 116, 1 << 30}) {
        EXPECT_FALSE(q.GetParameter(static_cast<IdEnum>(id), "Gain", i, 42));
        EXPECT_EQ(i, 42);
    }
    EXPECT_EQ(State().rawLookups, before);
}

TEST_F(FacadeTest, CopiesShareOneStoreDestroyedOnceWhenTheLastLetsGo) {
    auto original = std::make_unique<Quendel>();
    original->Initial("", "", "");
    m_factory.Set("S", "K", "ok");
    Quendel copy(*original);
    original.reset();
    EXPECT_EQ(State().destroyed, 0);
    EXPECT_EQ(copy.GetValue("S", "K", "none"), "ok");
    Quendel other;
    other.Initial("", "", "");  // a second store
    other = copy;               // its own store goes, the shared one stays
    EXPECT_EQ(State().destroyed, 1);
    EXPECT_TRUE(copy.Delete());
    EXPECT_EQ(State().destroyed, 1);
    EXPECT_EQ(copy.GetValue("S", "K", "none"), "none");
    other = other;  // self-assignment keeps the store
    EXPECT_EQ(other.GetValue("S", "K", "none"), "ok");
}

// The reference owns nothing: without a target it answers defaults; copies and SetQuendel only
// repoint it.
TEST_F(FacadeTest, ReferenceForwardsOrAnswersWithDefaults) {
    QuendelResReference ref(nullptr);
    Texts parts = {"keep"};
    EXPECT_FALSE(ref.StrSection2StrVector("A:B", parts));
    EXPECT_THAT(parts, ElementsAre("keep"));
    EXPECT_EQ(ref.GetParamInArray(kId0, kId1, 2, 5L), 5L);

    Quendel q;
    q.Initial("", "", "");
    m_factory.Set("S", "K", "11, 12");
    QuendelResReference second(&q);
    ref = second;
    second.SetQuendel(nullptr);
    { QuendelResReference temporary(&q); }
    EXPECT_EQ(static_cast<Quendel*>(ref), &q);
    EXPECT_EQ(ref.GetParamInArray("S", "K", 1, 0), 12);
    EXPECT_EQ(second.GetValue("S", "K", 0), 0);
}

// An index past the end gives the last element but reports false (the section-path split is
// compared with a plain model by the value_text fuzzer on every run).
TEST(StaticHelpersTest, ListElements) {
    int value = -1;
    EXPECT_FALSE(Quendel::GetValueFromVector(std::vector<int>{}, value, 0));
    EXPECT_EQ(value, -1);
    EXPECT_TRUE(Quendel::GetValueFromVector(std::vector<int>{4, 5}, value, 1));
    EXPECT_EQ(value, 5);
    bool flag = false;
    EXPECT_FALSE(Quendel::GetValueFromVector(std::vector<bool>{false, true}, flag, 9));
    EXPECT_TRUE(flag);
}

}  // namespace
