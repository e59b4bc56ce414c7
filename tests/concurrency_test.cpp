// Many threads query one initialised Quendel (text store and binary store) while others
// create, initialise and delete objects of their own. Run under ThreadSanitizer too.
#include <corvel/CorvelControl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <thread>
#include <vector>

#include "TestSupport.h"
#include "fendrel/ResourceWriter.h"
#include "inspect/pack/ResourcePack.h"
#include "quendel/Quendel.h"

namespace {

constexpr int kSections = 20;
constexpr int kKeys = 10;

std::string Key(int k) {
    return "K" + std::to_string(k);
}
std::string Section(int s) {
    return "Sec" + std::to_string(s) + ":Sub";
}
Quendel::HashedKey Hashed(const std::string& name) {
    const fendrel::KeyWords words = fendrel::TextKey(name);
    return Quendel::HashedKey(words.begin(), words.end());
}
// The base file sets every key to s*100+k; the group file overrides the even keys with -1.
int Expected(int s, int k) {
    return k % 2 == 0 ? -1 : s * 100 + k;
}

class ConcurrencyTest : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("CORVEL_LOG", "/dev/null", 1);
        corvel::ClearSettings();
        corvel::SetSetting("Path", "ShippedRoot", m_dir.Path());
        std::string base;
        std::string group;
        for (int s = 0; s < kSections; ++s) {
            base += "<" + Section(s) + ">\n";
            group += "<" + Section(s) + ">\n";
            for (int k = 0; k < kKeys; ++k) {
                base += Key(k) + "<" + std::to_string(s * 100 + k) + ">\n";
                group += k % 2 == 0 ? Key(k) + "<-1>\n" : "";
            }
        }
        m_dir.Write("dev/Quendel/ImgResBase.pp", base);
        m_dir.Write("dev/Quendel/G/ImgResGrp.pp", group);
        PackOptions options;
        options.m_dir = m_dir.Path() + "/dev/Quendel";
        options.m_output = m_dir.Path() + "/dev/Quendel.bin";
        PackResult result;
        std::string error;
        ASSERT_TRUE(PackTree(options, result, error)) << error;
    }
    void TearDown() override {
        corvel::ClearSettings();
        unsetenv("CORVEL_LOG");
    }

    TempDir m_dir;
};

TEST_F(ConcurrencyTest, QueriesOnSharedObjectsWhileOthersComeAndGo) {
    corvel::SetSetting("PostProcessing", "UseTxtQuendel", "true");
    Quendel text;
    ASSERT_TRUE(text.Initial("G", "", ""));
    corvel::SetSetting("PostProcessing", "UseTxtQuendel", "false");
    Quendel binary;
    ASSERT_TRUE(binary.Initial("G", "", ""));
    ASSERT_EQ(text.GetValue(Section(1), Key(1), 0), 101);
    ASSERT_EQ(binary.GetValue(Section(1), Key(1), 0), 101);

    std::atomic<int> wrong{0};
    std::atomic<bool> stop{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            Quendel& q = t % 2 == 0 ? text : binary;
            for (int i = 0; i < 3000; ++i) {
                const int s = (i * 7 + t) % kSections;
                const int k = i % kKeys;
                int value = 0;
                std::vector<int> list;
                if (!q.GetParameter(Section(s), Key(k), value, 0) || value != Expected(s, k) ||
                    q.GetParamInArray(Section(s), Key(k), 0, 0L) != Expected(s, k) ||
                    !q.GetParameter(Section(s), Key(k), list, std::vector<int>{0, 9}) ||
                    list != std::vector<int>{Expected(s, k), 9}) {
                    ++wrong;
                }
            }
        });
    }
    for (int t = 0; t < 2; ++t) {
        threads.emplace_back([&] {
            while (!stop) {
                Quendel own;
                own.Initial("G", "", "");
                if (own.GetValue(Section(2), Key(3), 0) != Expected(2, 3)) {
                    ++wrong;
                }
                Quendel copy(own);
                own.Delete();
                copy.Initial("", "", "");
            }
        });
    }
    for (int t = 0; t < 4; ++t) {
        threads[t].join();
    }
    stop = true;
    for (size_t t = 4; t < threads.size(); ++t) {
        threads[t].join();
    }
    EXPECT_EQ(wrong.load(), 0);
}

// The first queries of each value race to convert it (and to add it to the store's forms while
// others look theirs up); every query gets the whole answer.
TEST_F(ConcurrencyTest, FirstQueriesOfValuesRaceToConvertThem) {
    for (const char* text : {"true", "false"}) {
        corvel::SetSetting("PostProcessing", "UseTxtQuendel", text);
        Quendel q;
        ASSERT_TRUE(q.Initial("G", "", ""));
        std::atomic<int> ready{0};
        std::atomic<int> wrong{0};
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t) {
            threads.emplace_back([&, t] {
                ++ready;
                while (ready < 4) {
                }
                for (int i = 0; i < kSections * kKeys; ++i) {
                    const int s = (i + t * 37) % kSections;
                    const int k = (i / kSections + t) % kKeys;
                    std::vector<float> floats;
                    std::vector<std::string> words;
                    const bool ok = q.GetParameter(Section(s), Key(k), floats, {}) &&
                                    q.GetParameter(Section(s), Key(k), words, {});
                    // By hashed keys the binary store answers through pair slots that the
                    // first such lookup makes; the text store answers nothing.
                    int hashed = 0;
                    q.GetParameter(Hashed(Section(s)), Hashed(Key(k)), hashed, 0);
                    if (!ok || floats != std::vector<float>{float(Expected(s, k))} ||
                        words != std::vector<std::string>{std::to_string(Expected(s, k))} ||
                        q.GetParamInArray(Section(s), Key(k), 0, 0.0) != Expected(s, k) ||
                        hashed != (*text == 't' ? 0 : Expected(s, k))) {
                        ++wrong;
                    }
                }
            });
        }
        for (std::thread& thread : threads) {
            thread.join();
        }
        EXPECT_EQ(wrong.load(), 0) << text;
    }
}

}  // namespace
