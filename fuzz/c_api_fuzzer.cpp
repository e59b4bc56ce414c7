// The flat C interface driven by the input over a small text tree: every function with names
// from the tree, arbitrary texts or null, buffer sizes from negative to past the value, element
// indices of any sign. Nothing may crash or leak (every block handed out is freed here), a
// buffer is written within its size only and holds what the class interface answers.
#include <corvel/CorvelControl.h>
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "FuzzCheck.h"
#include "quendel/Quendel.h"
#include "quendel/quendel_c.h"

namespace {

namespace fs = std::filesystem;
using fuzzcheck::Require;

const char* const kNames[] = {"DynamicControl",
                              "AutoContrastControl",
                              "DycFELogCompressType",
                              "DycFEPivotOutValue",
                              "DycCompressType",
                              "ContrastDycPivotPt",
                              "Gain",
                              "Gain:Sub",
                              "Ints",
                              "Reals",
                              "Words",
                              "Empty",
                              "Flag",
                              "Convex",
                              "CX5",
                              "Abdomen",
                              ""};

void WriteFile(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path) << text;
}

// The tree the whole run reads, removed when the process ends.
struct Tree {
    fs::path root = "/dev/shm/quendel_c_api_fuzz_" + std::to_string(getpid());
    Tree() {
        const fs::path q = root / "dev/Quendel";
        WriteFile(q / "ImgResBase.pp",
                  "<DynamicControl>\nDycFELogCompressType<3>\nDycFEPivotOutValue<1.5, 2, 3>\n"
                  "DycCompressType<true>\n<AutoContrastControl>\nContrastDycPivotPt<a, b c>\n"
                  "<Gain>\nInts<1, -2, 3>\nReals<0.5, 1e3, -7>\nWords<x, yy, zzz>\nEmpty<>\n"
                  "Flag<false>\n<Gain:Sub>\nInts<9>\n");
        WriteFile(q / "Convex/ImgResGrp.pp", "<Gain>\nInts<4, 5>\nFlag<1>\n");
        WriteFile(q / "Convex/CX5/ImgResXdr.pp", "<DynamicControl>\nDycFELogCompressType<7>\n");
        WriteFile(q / "Clns/Abdomen/ImgResCln.pp", "<Gain>\nWords<clinical>\n");
        corvel::SetSetting("PostProcessing", "UseTxtQuendel", "true");
        corvel::SetSetting("Path", "ShippedRoot", root.string());
        corvel::SetSetting("Path", "SystemHQUserDefinedRoot", (root / "none").string());
        corvel::SetLogSink([](const std::string&) {});
    }
    ~Tree() {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
};

class Driver {
  public:
    explicit Driver(FuzzedDataProvider& in) : m_in(in) {}

    // A name of the tree, an arbitrary text or null.
    const char* Text() {
        switch (m_in.ConsumeIntegralInRange(0, 7)) {
            case 0:
                return nullptr;
            case 1:
                m_texts.push_back(m_in.ConsumeRandomLengthString(24));
                return m_texts.back().c_str();
            default:
                return kNames[m_in.ConsumeIntegralInRange<size_t>(0, std::size(kNames) - 1)];
        }
    }
    int Index() {
        return m_in.ConsumeBool() ? m_in.ConsumeIntegralInRange(-2, 12)
                                  : m_in.ConsumeIntegral<int>();
    }

    // The buffer functions: bytes past the size stay untouched and the bytes within it are the
    // class interface's answer, cut to the size.
    void Buffered(void* handle, bool element) {
        const int selector = m_in.ConsumeIntegralInRange(-1, 2);
        const int key = Index();
        const uint64_t at = m_in.ConsumeIntegral<uint64_t>() % 5;
        const char* def = Text();
        const int size = m_in.ConsumeIntegralInRange(-3, 40);
        std::vector<char> buffer(static_cast<size_t>(std::max(size, 0)) + 8, '\x7f');
        char* target = m_in.ConsumeBool() ? buffer.data() : nullptr;
        const int result =
            element ? QUENDEL_GetParamInArray(handle, selector, key, at, def, size, target)
                    : QUENDEL_GetParameter(handle, selector, key, def, size, target);
        const size_t written = static_cast<size_t>(std::max(size, 0));
        for (size_t i = target != nullptr ? written : 0; i < buffer.size(); ++i) {
            Require(buffer[i] == '\x7f', "a byte outside the buffer size was written");
        }
        if (handle == nullptr || def == nullptr || key < 0 || key > 9) {
            Require(result == 0, "success without a handle, default or key");
            return;
        }
        if (target == nullptr || written == 0) {
            return;
        }
        Quendel& q = *static_cast<Quendel*>(handle);
        const char* const sections[] = {"DynamicControl", "AutoContrastControl"};
        const char* const keys[] = {"DycFELogCompressType", "DycFELogExpValue1D",
                                    "DycFELogExpValue2D",   "DycFEPivotOutValue",
                                    "DycFEDRSetting",       "DycDesiredPivotValue",
                                    "DycPivotOutValue",     "DycCompressType",
                                    "ContrastDycPivotPt",   "ContrastDycPivotPtOut"};
        std::string expected;
        if (element) {
            expected =
                q.GetParamInArray(sections[selector == 0 ? 0 : 1], keys[key], at, std::string(def));
        } else {
            q.GetParameter(sections[selector == 0 ? 0 : 1], keys[key], expected, std::string(def));
        }
        const size_t compared = std::min(written, expected.size() + 1);
        if (std::memcmp(buffer.data(), expected.c_str(), compared) != 0) {
            fuzzcheck::Fail("the buffer holds \"" + std::string(buffer.data(), compared) +
                            "\", the answer is \"" + expected + "\"");
        }
    }

    void Step(void* handle) {
        const char* section = Text();
        const char* key = Text();
        switch (m_in.ConsumeIntegralInRange(0, 12)) {
            case 0:
                QUENDEL_Initial(handle, Text(), Text(), Text());
                break;
            case 1:
            case 2:
                Buffered(handle, m_in.ConsumeBool());
                break;
            case 3: {
                double value = std::nan("");
                const double def = m_in.ConsumeFloatingPoint<double>();
                if (QUENDEL_GetDoubleParam(handle, section, key, def, Out(&value)) == 0 &&
                    Complete(handle, section, key)) {
                    Require(std::memcmp(&value, &def, sizeof def) == 0,
                            "a failure without default");
                }
                break;
            }
            case 4: {
                int value = -1;
                const int def = m_in.ConsumeIntegral<int>();
                if (QUENDEL_GetIntParam(handle, section, key, def, Out(&value)) == 0 &&
                    Complete(handle, section, key)) {
                    Require(value == def, "a failure without the default");
                }
                break;
            }
            case 5: {
                int value = -1;
                QUENDEL_GetBoolParam(handle, section, key, m_in.ConsumeIntegral<int>(),
                                     Out(&value));
                break;
            }
            case 6: {
                char* text = nullptr;
                if (QUENDEL_GetStrParam(handle, section, key, Text(), Out(&text)) != 0) {
                    Require(text != nullptr, "success without a text");
                    Require(std::strlen(text) < 1u << 20, "an unterminated text");
                }
                QUENDEL_Free(text);
                break;
            }
            case 7:
                QUENDEL_GetIntParamInArray(handle, section, key, Index(), 5);
                break;
            case 8:
                QUENDEL_GetDoubleParamInArray(handle, section, key, Index(), 0.5);
                break;
            case 9:
                QUENDEL_GetBoolParamInArray(handle, section, key, Index(),
                                            m_in.ConsumeIntegral<int>());
                break;
            case 10:
                Collection<int>(handle, section, key, QUENDEL_GetIntColl);
                break;
            case 11:
                Collection<double>(handle, section, key, QUENDEL_GetDoubleColl);
                break;
            default: {
                char* text = nullptr;
                int count = -1;
                if (QUENDEL_GetStrColl(handle, section, key, Out(&text), &count) != 0) {
                    Require(text != nullptr && count >= 0, "success without a text");
                    Require(count > 0 || text[0] == '\0', "no strings but a text");
                }
                QUENDEL_Free(text);
            }
        }
    }

  private:
    // Whether a typed call had all it needs, so that a failure must leave the default.
    bool Complete(const void* handle, const char* section, const char* key) const {
        return m_outs && handle != nullptr && section != nullptr && key != nullptr;
    }

    // The out-pointer, or null when the input says so.
    template <class T>
    T* Out(T* p) {
        m_outs = m_in.ConsumeBool();
        return m_outs ? p : nullptr;
    }

    template <class T, class Get>
    void Collection(void* handle, const char* section, const char* key, Get get) {
        T* values = nullptr;
        int count = -1;
        if (get(handle, section, key, Out(&values), &count) != 0) {
            Require(values != nullptr && count >= 0, "success without values");
            volatile T sum = 0;
            for (int i = 0; i < count; ++i) {
                sum = sum + values[i];  // every counted value is readable
            }
        }
        QUENDEL_Free(values);
    }

    FuzzedDataProvider& m_in;
    std::deque<std::string> m_texts;  // stable addresses
    bool m_outs = true;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const Tree tree;
    FuzzedDataProvider in(data, size);
    Driver driver(in);
    void* handle = QUENDEL_Create();
    Require(handle != nullptr, "no handle");
    QUENDEL_Initial(handle, "Convex", "CX5", "Abdomen");
    for (int steps = 0; steps < 64 && in.remaining_bytes() > 0; ++steps) {
        driver.Step(in.ConsumeBool() ? handle : nullptr);
    }
    QUENDEL_Delete(handle);
    QUENDEL_Delete(nullptr);
    return 0;
}
