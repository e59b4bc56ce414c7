// Exhausted memory in the facade, over both stores: each allocation of a query, an Initial and
// a Delete fails in turn. The class interface passes std::bad_alloc on, leaks nothing and stays
// usable; the flat functions report the failure once and return their fallback.
#include <corvel/CorvelControl.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "FailingAllocator.h"
#include "ResourcePack.h"
#include "TestSupport.h"
#include "host/Corvel.h"
#include "quendel/Quendel.h"
#include "quendel/quendel_c.h"

namespace fa = failing_allocator;

namespace {

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
