// The Quendel object over an in-memory store: lifecycle, selection order, copies, and the
// query families by names, hashed keys and IdEnum.
#include <corvel/CorvelControl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "FakeStore.h"
#include "TestSupport.h"
#include "quendel/Quendel.h"
#include "quendel/QuendelResReference.h"

namespace {

using testing::ElementsAre;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

const char kWarning[] = "Warning! Number is casted to int\n";
const Quendel::HashedKey kId0 = {0x4afa80e77a07f748ULL, 0x8ce4d1bdd8c4977aULL, 0, 0};
const Quendel::HashedKey kId1 = {0x69af8a53f927c371ULL, 0xd42bb0bb5a045174ULL, 0, 0};
const Quendel::HashedKey kId115 = {0x8e683187a00e5d46ULL, 0x2a4aeee69e9d3d9cULL, 0, 0};

class FacadeTest : public ::testing::Test {
  protected:
    void SetUp() override { corvel::ClearSettings(); }
    void TearDown() override { corvel::ClearSettings(); }

    FakeStoreState& State() { return m_factory.State(); }
    void Set(const std::string& section, const std::string& key, const std::string& text) {
        State().byNames[{section, key}] = text;
    }

    FakeStoreFactory m_factory;
    LogCapture m_log;
};

TEST_F(FacadeTest, FirstInitialCreatesTheStoreAndLaterOnesReselectInOrder) {
    Quendel q;
    EXPECT_TRUE(q.Initial("", "", ""));
    EXPECT_THAT(m_factory.Made(), ElementsAre("bin(,,)"));
    EXPECT_THAT(State().calls, ElementsAre("Refresh"));
    EXPECT_EQ(m_log.Count("INFO [Cat_09] End to Initialize Quendel. F:, P:, A:"), 1);

    State().calls.clear();
    EXPECT_TRUE(q.Initial("G1", "X1", "C1"));
    EXPECT_THAT(State().calls,
                ElementsAre("Reload(G1,X1,C1)", "SetGroup(G1)", "SetProbe(X1)", "SetClinical(C1)",
                            "SetUserDefined(G1,X1,C1)", "Refresh"));
    EXPECT_EQ(m_log.Count("INFO [Cat_09] End to Initialize Quendel. F:G1, P:X1, A:C1"), 1);

    State().calls.clear();
    EXPECT_TRUE(q.Initial("", "X2", "C2"));
    EXPECT_THAT(State().calls, ElementsAre("Reload(,X2,C2)", "SetClinical(C2)", "Refresh"));

    State().calls.clear();
    EXPECT_TRUE(q.Initial("G2", "", "C3"));
    EXPECT_THAT(State().calls,
                ElementsAre("Reload(G2,,C3)", "SetGroup(G2)", "SetClinical(C3)", "Refresh"));
    EXPECT_EQ(m_factory.Made().size(), 1u);
}

TEST_F(FacadeTest, StoreKindIsKeptUntilDeleteAndDeleteIsIdempotent) {
    Quendel q;
    EXPECT_TRUE(q.Delete());
    EXPECT_TRUE(q.Delete());
    corvel::SetSetting("PostProcessing", "UseTxtQuendel", "true");
    q.Initial("G", "P", "A");
    corvel::SetSetting("PostProcessing", "UseTxtQuendel", "false");
    q.Initial("G", "P", "A");
    EXPECT_THAT(m_factory.Made(), ElementsAre("text(G,P,A)"));

    Set("S", "K", "7");
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

TEST_F(FacadeTest, QueriesWithoutStoreGiveTheirDefaults) {
    Quendel q;
    std::vector<int> list = {1, 2};
    EXPECT_FALSE(q.GetParameter("S", "K", list, list));  // same object keeps its contents
    EXPECT_THAT(list, ElementsAre(1, 2));
    std::vector<int> other = {5};
    EXPECT_FALSE(q.GetParameter("S", "K", other, list));
    EXPECT_EQ(other, list);
    std::string text = "old";
    EXPECT_FALSE(q.GetParameter("S", "K", text, std::string("def")));
    EXPECT_EQ(text, "def");
    EXPECT_EQ(q.GetValue("S", "K", 4), 4);
    EXPECT_EQ(q.GetValue("S", "K", "dflt"), "dflt");
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
    Set("S", "List", "a b, 3.9, true");
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

TEST_F(FacadeTest, TypedGettersByNamesFollowTheSharedRules) {
    Quendel q;
    q.Initial("", "", "");
    Set("S", "Two", "1, 2");
    Set("S", "Bad", "1, x");
    std::vector<int> list;
    EXPECT_TRUE(q.GetParameter("S", "Two", list, std::vector<int>{9, 8, 7}));
    EXPECT_THAT(list, ElementsAre(1, 2, 7));
    EXPECT_FALSE(q.GetParameter("S", "Bad", list, std::vector<int>{4, 5}));
    EXPECT_THAT(list, ElementsAre(4, 5));
    std::vector<float> floats = {0.5f, 0.25f, 0.125f};
    EXPECT_TRUE(q.GetParameter("S", "Two", floats, floats));  // same object as default
    EXPECT_THAT(floats, ElementsAre(1.0f, 2.0f, 0.125f));
}

TEST_F(FacadeTest, IdEnumQueriesReadNumbersByStreamHashedKeysStrictly) {
    Quendel q;
    q.Initial("", "", "");
    State().byHashedSection[{kId115, "Gain"}] = "2.9";
    State().byHashedKey[{"Sec", kId1}] = "1.5mm";
    State().byHashes[{kId0, kId1}] = "2.9";
    State().byHashedSection[{kId0, "Curve"}] = "1, 2";

    CaptureStdout();
    int i = 0;
    EXPECT_TRUE(q.GetParameter(static_cast<IdEnum>(115), "Gain", i, -1));
    EXPECT_EQ(i, 2);
    EXPECT_EQ(GetCapturedStdout(), "");

    CaptureStdout();
    EXPECT_TRUE(q.GetParameter(kId0, kId1, i, -1));
    EXPECT_EQ(i, 2);
    long l = 0;
    EXPECT_TRUE(q.GetParameter(kId0, kId1, l, -1L));
    EXPECT_EQ(l, 2L);
    EXPECT_EQ(GetCapturedStdout(), kWarning);

    double d = 0;
    EXPECT_TRUE(q.GetParameter("Sec", static_cast<IdEnum>(1), d, -1.0));
    EXPECT_DOUBLE_EQ(d, 1.5);
    State().byHashes[{kId0, kId1}] = "1.5mm";
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
    Set("S", "K", "ok");
    Quendel copy(*original);
    original.reset();
    EXPECT_EQ(State().destroyed, 0);
    EXPECT_EQ(copy.GetValue("S", "K", "none"), "ok");

    Quendel other;
    other.Initial("", "", "");  // a second store
    other = copy;               // its own store goes, the shared one stays
    EXPECT_EQ(State().destroyed, 1);
    EXPECT_EQ(other.GetValue("S", "K", "none"), "ok");
    EXPECT_TRUE(copy.Delete());
    EXPECT_EQ(State().destroyed, 1);
    EXPECT_EQ(copy.GetValue("S", "K", "none"), "none");
    EXPECT_EQ(other.GetValue("S", "K", "none"), "ok");
    other = other;  // self-assignment keeps the store
    EXPECT_EQ(other.GetValue("S", "K", "none"), "ok");
}

TEST_F(FacadeTest, ReferenceForwardsOrAnswersWithDefaults) {
    QuendelResReference empty(nullptr);
    std::vector<std::string> parts = {"keep"};
    EXPECT_FALSE(empty.StrSection2StrVector("A:B", parts));
    EXPECT_THAT(parts, ElementsAre("keep"));
    int i = 3;
    EXPECT_FALSE(empty.GetParameter("S", "K", i, 9));
    EXPECT_EQ(i, 9);
    EXPECT_EQ(empty.GetValue("S", "K", "d"), "d");
    EXPECT_EQ(empty.GetParamInArray(kId0, kId1, 2, 5L), 5L);

    Quendel q;
    q.Initial("", "", "");
    Set("S", "K", "11, 12");
    QuendelResReference ref(&q);
    QuendelResReference second(nullptr);
    second = ref;
    ref.SetQuendel(nullptr);
    EXPECT_EQ(static_cast<Quendel*>(second), &q);
    EXPECT_EQ(second.GetParamInArray("S", "K", 1, 0), 12);
    EXPECT_EQ(second.GetValue("S", "K", 0L), 11L);
    EXPECT_TRUE(second.StrSection2StrVector("A:B", parts));
    EXPECT_THAT(parts, ElementsAre("A", "B"));
    { QuendelResReference temporary(&q); }
    EXPECT_EQ(q.GetValue("S", "K", 0), 11);
}

TEST(StaticHelpersTest, SectionPathsAndListElements) {
    Quendel q;
    std::vector<std::string> parts = {"x"};
    EXPECT_FALSE(q.StrSection2StrVector(" \t ", parts));
    EXPECT_FALSE(q.StrSection2StrVector("", parts));
    EXPECT_THAT(parts, ElementsAre("x"));
    EXPECT_TRUE(q.StrSection2StrVector(":Display:Zoom", parts));
    EXPECT_THAT(parts, ElementsAre("GlobalParameters", "Display", "Zoom"));
    EXPECT_TRUE(q.StrSection2StrVector("A::B:", parts));
    EXPECT_THAT(parts, ElementsAre("A", "B"));
    EXPECT_TRUE(q.StrSection2StrVector(":::", parts));
    EXPECT_THAT(parts, ElementsAre("GlobalParameters"));
    EXPECT_TRUE(q.StrSection2StrVector("Color Map\t: Gain", parts));
    EXPECT_THAT(parts, ElementsAre("ColorMap", "Gain"));

    int value = -1;
    EXPECT_FALSE(Quendel::GetValueFromVector(std::vector<int>{}, value, 0));
    EXPECT_EQ(value, -1);
    EXPECT_TRUE(Quendel::GetValueFromVector(std::vector<int>{4, 5}, value, 1));
    EXPECT_EQ(value, 5);
    EXPECT_FALSE(Quendel::GetValueFromVector(std::vector<int>{4, 6}, value, 2));
    EXPECT_EQ(value, 6);
    bool flag = false;
    EXPECT_FALSE(Quendel::GetValueFromVector(std::vector<bool>{false, true}, flag, 9));
    EXPECT_TRUE(flag);

    std::vector<int> list;
    EXPECT_FALSE(Quendel::ToIntVector("1, x, 3", list));
    EXPECT_THAT(list, ElementsAre(1));
}

}  // namespace
