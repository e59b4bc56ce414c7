// Exhausted memory in the middle of a conversion or a query: each allocation fails in turn. The
// failure must come out as std::bad_alloc (never as a silent "does not convert"), nothing may
// leak, and the next call must work.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "FailingAllocator.h"
#include "quendel/Quendel.h"
#include "resource/IResourceMsg.h"
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

std::string Text(const std::string& value) {
    return value;
}
template <class T>
std::string Text(T value) {
    return std::to_string(value);
}
template <class T>
std::string Join(const std::vector<T>& list, bool ok);
template <class T>
std::string Text(const std::vector<T>& row) {
    return Join(row, true);
}
template <class T>
std::string Join(const std::vector<T>& list, bool ok) {
    std::string text = ok ? "ok:" : "failed:";
    for (const T& value : list) {
        text += Text(value) + "|";
    }
    return text;
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

// A store with a table, answering by names like the text store.
class TableStore : public IResourceMsg {
  public:
    bool SetGroup(const std::string&) override { return true; }
    bool SetProbe(const std::string&) override { return true; }
    bool SetClinical(const std::string&) override { return true; }
    bool SetUserDefined(const std::string&, const std::string&, const std::string&) override {
        return true;
    }
    void Refresh() override {}
    void Reload(const std::string&, const std::string&, const std::string&) override {}
    using IResourceMsg::GetRawValue;
    bool GetRawValue(const std::string& section, const std::string& key,
                     std::string& value) override {
        const auto it = m_table.find({section, key});
        if (it == m_table.end()) {
            return false;
        }
        value = it->second;
        return true;
    }

    std::map<std::pair<std::string, std::string>, std::string> m_table;
};

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
    TableStore store;
    store.m_table[{"Section", "Numbers"}] = kNumbers;
    store.m_table[{"Section", "Ints"}] = "10, 20, 30, 40, 50, 60, 70, 80";
    store.m_table[{"Section", "Words"}] = kWords;
    const auto table = store.m_table;

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
    };
    for (const auto& [name, action] : cases) {
        ExpectEveryFailurePassesOn(name, action);
    }
    EXPECT_EQ(store.m_table, table);
}

// When the out-parameter is the default itself, a failure part-way must leave it whole.
TEST(AllocationFailureTest, DefaultThatIsTheValueSurvivesAFailure) {
    TableStore store;
    store.m_table[{"Section", "Ints"}] = "10, 20, 30, 40, 50, 60, 70, 80";
    const std::vector<int> original(12, 7);
    std::vector<int> value = original;
    const size_t allocations =
        fa::CountAllocations([&] { store.GetParameter("Section", "Ints", value, value); });
    for (size_t i = 0; i < allocations; ++i) {
        value = original;
        const fa::FailedRun run =
            fa::RunFailingAt(i, [&] { store.GetParameter("Section", "Ints", value, value); });
        EXPECT_TRUE(run.threwBadAlloc) << "allocation " << i;
        EXPECT_EQ(value, original) << "allocation " << i;
    }
}

}  // namespace
