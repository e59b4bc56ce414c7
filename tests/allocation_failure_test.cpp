// Exhausted memory: each allocation of a conversion, a shared getter, and of a facade query,
// Initial and Delete over both stores fails in turn. The failure must come out as
// std::bad_alloc (never as a silent "does not convert" or default), nothing may leak, and the
// next call must work; the flat functions report it once and return their fallback.
#include <corvel/CorvelControl.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "FailingAllocator.h"
#include "FakeStore.h"
#include "TestSupport.h"
#include "host/Corvel.h"
#include "inspect/pack/ResourcePack.h"
#include "quendel/Quendel.h"
#include "quendel/quendel_c.h"
#include "resource/StringOps.h"
#include "resource/ValueText.h"

namespace {

namespace fa = failing_allocator;

// Fails each allocation of action in turn; action returns its result as text, which must be
// the same after every failure as before the first.
void ExpectEveryFailurePassesOn(const std::string& name,
                                const std::function<std::string()>& action) {
    SCOPED_TRACE(name);
    action();  // first-use set-up (per-thread readers) is not counted
    std::string expected;
    const size_t allocations = fa::CountAllocations([&] { expected = action(); });
    ASSERT_GT(allocations, 0u) << "nothing to fail";
    for (size_t i = 0; i < allocations; ++i) {
        const fa::FailedRun run = fa::RunFailingAt(i, [&] { action(); });
        EXPECT_TRUE(run.threwBadAlloc) << "allocation " << i << " of " << allocations;
        EXPECT_EQ(run.leaked, 0) << "allocation " << i;
        EXPECT_EQ(action(), expected) << "after a failure at allocation " << i;
    }
}

// A result as text, the values and whether the call succeeded, joined without a stream (a
// stream would swallow the failure).
std::string Text(const std::string& value) {
    return value;
}
template <class T>
std::string Text(T value) {
    return std::to_string(value);
}
template <class T>
std::string Text(const std::vector<T>& list) {
    std::string text;
    for (const T& value : list) {
        text += Text(value) + "|";
    }
    return text;
}
template <class T>
std::string Join(const std::vector<T>& list, bool ok) {
    return Text(list) + (ok ? "ok" : "failed");
}

template <class T, class Convert>
std::function<std::string()> ListOf(const std::string& text, Convert convert) {
    return [text, convert] {
        std::vector<T> list;
        const bool ok = convert(text, list);
        return Join(list, ok);
    };
}

const std::string kNumbers = "1, 2.25, -3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 4e1";
const std::string kWords =
    "true, \"a long quoted piece of text\"\tFALSE, 0, another_long_token_here";

TEST(AllocationFailureTest, ConversionsPassTheFailureOn) {
    const std::pair<std::string, std::function<std::string()>> cases[] = {
        {"ToIntVector", ListOf<int>("1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13", ToIntVector)},
        {"ToLongVector", ListOf<long>("1\t2\t3\t4\t5\t6\t7\t8\t9\t10", ToLongVector)},
        {"ToFloatVector", ListOf<float>(kNumbers, ToFloatVector)},
        {"ToDoubleVector", ListOf<double>(kNumbers, ToDoubleVector)},
        {"ToStringVector", ListOf<std::string>(kWords, ToStringVector)},
        {"StreamToIntVector", ListOf<int>(kNumbers, StreamToIntVector)},
        {"StreamToFloatVector", ListOf<float>(kNumbers, StreamToFloatVector)},
        {"StreamToDoubleVector", ListOf<double>(kNumbers, StreamToDoubleVector)},
        {"StreamToDouble",
         [] {
             double value = 0.0;
             const bool ok = StreamToDouble("2.5e1", value);
             return Join(std::vector<double>{value}, ok);
         }},
        {"ToBoolVector",
         [] {
             std::vector<bool> list;
             const bool ok = ToBoolVector("true, FALSE, 1, 0, yes", list);
             return Join(std::vector<int>(list.begin(), list.end()), ok);
         }},
        {"Tokenize", [] { return Join(Tokenize(kWords, ", "), true); }},
        {"StringToNestedIntVec",
         [] { return Join(StringToNestedIntVec("1, 2; 3, 4, 5; ; 6\t7"), true); }},
        {"StringToNestedFLoatVec",
         [] { return Join(StringToNestedFLoatVec("0.5 1 2 3 4 5 6 7 8 9 10 11"), true); }},
    };
    for (const auto& [name, action] : cases) {
        ExpectEveryFailurePassesOn(name, action);
    }
}

// One shared getter on a store entry, the default padding the list; the out-parameter is also
// the default in the second form, which must then keep the default whole on a failure.
template <class T>
std::function<std::string()> Query(IResourceMsg& store, const std::string& key,
                                   const std::vector<T>& defaultValue) {
    return [&store, key, defaultValue] {
        std::vector<T> value;
        const bool ok = store.GetParameter("Section", key, value, defaultValue);
        return Join(value, ok);
    };
}

TEST(AllocationFailureTest, SharedGettersPassTheFailureOn) {
    const auto state = std::make_shared<FakeStoreState>();
    FakeStore store(state);
    state->entries[{"Section", "Numbers"}] = kNumbers;
    state->entries[{"Section", "Ints"}] = "10, 20, 30, 40, 50, 60, 70, 80";
    state->entries[{"Section", "Words"}] = kWords;
    const auto table = state->entries;

    const std::vector<double> doubles(20, 0.5);
    const std::pair<std::string, std::function<std::string()>> cases[] = {
        {"int list", Query<int>(store, "Ints", std::vector<int>(12, 7))},
        {"long list", Query<long>(store, "Ints", std::vector<long>(12, 7))},
        {"float list", Query<float>(store, "Numbers", std::vector<float>(20, 0.5f))},
        {"double list", Query<double>(store, "Numbers", doubles)},
        {"string list", Query<std::string>(store, "Words", {"a", "b", "c", "d", "e", "f"})},
        {"string",
         [&store] {
             std::string value;
             const bool ok = store.GetParameter("Section", "Words", value, std::string(40, 'd'));
             return value + (ok ? "ok" : "failed");
         }},
        {"missing entry",
         [&store] {
             std::string value;
             const bool ok = store.GetParameter("Section", "None", value, std::string(40, 'd'));
             return value + (ok ? "ok" : "failed");
         }},
        // The out-parameter is the default itself: a failure part-way must leave it whole.
        {"default that is the value",
         [&store] {
             const std::vector<int> original(12, 7);
             std::vector<int> value = original;
             try {
                 store.GetParameter("Section", "Ints", value, value);
             } catch (const std::bad_alloc&) {
                 EXPECT_EQ(value, original);
                 throw;
             }
             return Join(value, true);
         }},
    };
    for (const auto& [name, action] : cases) {
        ExpectEveryFailurePassesOn(name, action);
    }
    EXPECT_EQ(state->entries, table);
}

class AllocationFailure : public ::testing::TestWithParam<bool> {
  protected:
    void SetUp() override {
        const std::string q = "text/dev/Quendel/";
        m_dir.Write(q + "ImgResBase.pp",
                    "<S>\nK<1>\nL<1, 2, 3>\nT<a longer text than fits inline>\n");
        m_dir.Write(q + "G/ImgResGrp.pp", "<S>\nW<one, two, three four five six seven>\n");
        m_dir.Write(q + "Clns/A/ImgResCln.pp", "<S:Sub>\nK<2>\n");
        std::filesystem::create_directories(m_dir.Path() + "/packed/dev");
        PackOptions options;
        options.m_dir = m_dir.Path() + "/" + q;
        options.m_output = m_dir.Path() + "/packed/dev/Quendel.bin";
        PackResult result;
        std::string error;
        ASSERT_TRUE(PackTree(options, result, error)) << error;
        const bool text = GetParam();
        corvel::ClearSettings();
        corvel::SetSetting("PostProcessing", "UseTxtQuendel", text ? "true" : "false");
        corvel::SetSetting("Path", "ShippedRoot", m_dir.Path() + (text ? "/text" : "/packed"));
        corvel::SetSetting("Path", "SystemHQUserDefinedRoot", m_dir.Path() + "/none");
        // Room for the log lines of a run, so that the capture itself holds no new block after
        // it is cleared.
        for (int i = 0; i < 256; ++i) {
            ReportException("warm-up");
        }
        m_log.Clear();
    }
    void TearDown() override { corvel::ClearSettings(); }

    // Everything the tree holds, read through one object.
    static std::string Answers(Quendel& q) {
        std::vector<int> list;
        std::vector<std::string> words;
        q.GetParameter("S", "L", list, {});
        q.GetParameter("S", "W", words, {});
        return std::to_string(q.GetValue("S", "K", -1)) + q.GetValue("S", "T", "-") +
               std::to_string(q.GetValue("S:Sub", "K", -1)) + std::to_string(list.size()) +
               std::to_string(words.size()) + q.GetParamInArray("S", "W", 2, std::string("-"));
    }

    // Fails each allocation of action on q in turn: it must throw std::bad_alloc, and afterwards
    // recover (run after each failure) must make q answer as before. Leaks are counted over a
    // whole object's life, so that a store kept or dropped by the failed call does not count.
    using Action = std::function<void(Quendel&)>;
    void ExpectPassedOn(const std::string& name, Quendel& q, const Action& action,
                        const Action& recover) {
        SCOPED_TRACE(name);
        const std::string expected = Answers(q);
        const size_t allocations = fa::CountAllocations([&] { action(q); });
        recover(q);
        ASSERT_GT(allocations, 0u);
        int unopened = 0;
        for (size_t i = 0; i < allocations; ++i) {
            const fa::FailedRun run = fa::RunFailingAt(i, [&] { action(q); });
            const bool fired = fa::Fired();
            recover(q);
            if (!fired) {
                continue;  // this run allocated less (a file read again into a kept buffer)
            }
            unopened += run.threwBadAlloc ? 0 : 1;
            EXPECT_EQ(Answers(q), expected) << "allocation " << i;

            m_log.Clear();
            const long live = fa::Live();
            {
                Quendel other;
                other.Initial("G", "", "A");
                fa::RunFailingAt(i, [&] { action(other); });
            }
            m_log.Clear();
            EXPECT_EQ(fa::Live() - live, 0) << "leaked after a failure at allocation " << i;
        }
        EXPECT_EQ(unopened, 0) << "failures that did not come out";
    }

    TempDir m_dir;
    LogCapture m_log;
};

TEST_P(AllocationFailure, ClassInterfacePassesTheFailureOn) {
    Quendel q;
    ASSERT_TRUE(q.Initial("G", "", "A"));
    ASSERT_EQ(Answers(q), "1a237three");  // a text value is its first token
    const auto initial = [](Quendel& o) { o.Initial("G", "", "A"); };
    ExpectPassedOn(
        "query", q, [](Quendel& o) { Answers(o); }, [](Quendel&) {});
    ExpectPassedOn("re-selecting Initial", q, initial, initial);
    ExpectPassedOn(
        "first Initial and Delete", q,
        [](Quendel& o) {
            o.Delete();
            o.Initial("G", "", "A");
            o.Delete();
        },
        initial);
}

// A flat collection call on entry key of section "S" that frees what it gets.
template <class T>
std::function<int()> Collection(int (*get)(void*, const char*, const char*, T**, int*),
                                void* handle, const char* key) {
    return [=] {
        T* values = nullptr;
        int count = 0;
        const int ok = get(handle, "S", key, &values, &count);
        QUENDEL_Free(values);
        return ok;
    };
}

// Each allocation of a flat call fails in turn: one report, the fallback, nothing leaked.
TEST_P(AllocationFailure, FlatFunctionsReportOnceAndFallBack) {
    void* handle = QUENDEL_Create();
    ASSERT_EQ(QUENDEL_Initial(handle, "G", "", "A"), 1);
    struct Call {
        const char* name;
        std::function<int()> run;  // the result, 0 being the fallback; frees what it gets
    };
    const std::vector<Call> calls = {
        {"Create, first Initial and Delete",
         [] {
             void* other = QUENDEL_Create();
             const int ok = other != nullptr && QUENDEL_Initial(other, "G", "", "A");
             QUENDEL_Delete(other);
             return ok;
         }},
        {"Initial", [&] { return QUENDEL_Initial(handle, "G", "", "A"); }},
        {"GetStrParam",
         [&] {
             char* text = nullptr;
             const int ok = QUENDEL_GetStrParam(handle, "S", "T", "", &text);
             QUENDEL_Free(text);
             return ok;
         }},
        {"GetIntColl", Collection<int>(QUENDEL_GetIntColl, handle, "L")},
        {"GetStrColl", Collection<char>(QUENDEL_GetStrColl, handle, "W")},
        {"GetDoubleColl", Collection<double>(QUENDEL_GetDoubleColl, handle, "L")},
    };
    for (const Call& call : calls) {
        SCOPED_TRACE(call.name);
        ASSERT_NE(call.run(), 0);
        m_log.Clear();
        const size_t allocations = fa::CountAllocations(call.run);
        m_log.Clear();
        ASSERT_GT(allocations, 0u);
        int unopened = 0;
        for (size_t i = 0; i < allocations; ++i) {
            const long live = fa::Live();
            fa::FailAt(i);
            const int result = call.run();
            fa::Disarm();
            if (!fa::Fired()) {
                continue;
            }
            const int reports = m_log.Count("EXCEPTION std::bad_alloc");
            m_log.Clear();
            if (reports == 0 && result != 0) {
                ++unopened;
                continue;
            }
            EXPECT_EQ(result, 0) << "allocation " << i;
            EXPECT_EQ(reports, 1) << "allocation " << i;
            if (std::string(call.name) != "Initial") {  // a re-selection may keep other blocks
                EXPECT_EQ(fa::Live() - live, 0) << "allocation " << i;
            }
            EXPECT_NE(call.run(), 0) << "after a failure at allocation " << i;
            m_log.Clear();
        }
        EXPECT_EQ(unopened, 0) << "failures that did not come out";
    }
    QUENDEL_Delete(handle);
}

INSTANTIATE_TEST_SUITE_P(Stores, AllocationFailure, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Text" : "Binary"; });

}  // namespace
