// The flat C interface: every body runs inside one guard, so no exception leaves; a null
// handle, text or out-pointer gives the function's fallback without touching anything.
#include "quendel/quendel_c.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/Corvel.h"
#include "quendel/Quendel.h"

namespace {

const char* const kSections[2] = {"DynamicControl", "AutoContrastControl"};
const char* const kKeys[10] = {
    "DycFELogCompressType", "DycFELogExpValue1D",    "DycFELogExpValue2D", "DycFEPivotOutValue",
    "DycFEDRSetting",       "DycDesiredPivotValue",  "DycPivotOutValue",   "DycCompressType",
    "ContrastDycPivotPt",   "ContrastDycPivotPtOut",
};

// Reporting must not throw out of a handler itself (building the message may fail).
void Report(const char* what) noexcept {
    try {
        ReportException(std::string(what != nullptr ? what : ""));
    } catch (...) {
    }
}

template <class R, class Body>
R Guarded(R fallback, Body&& body) noexcept {
    try {
        return body();
    } catch (CTavrin_SEH_Exception&) {
        return fallback;
    } catch (std::exception& e) {
        Report(e.what());
        return fallback;
    } catch (std::exception* e) {
        Report(e != nullptr ? e->what() : nullptr);
        delete e;
        return fallback;
    } catch (...) {
        Report("Unknown");
        return fallback;
    }
}

Quendel* AsQuendel(void* handle) {
    return static_cast<Quendel*>(handle);
}

template <class... P>
bool AnyNull(const P*... pointers) {
    return ((pointers == nullptr) || ...);
}

// The text with its NUL when it fits, else exactly the first size bytes; nothing for size <= 0.
void CopyToBuffer(const std::string& text, int size, char* buffer) {
    if (buffer == nullptr || size <= 0) {
        return;
    }
    const size_t capacity = static_cast<size_t>(size);
    if (text.size() + 1 <= capacity) {
        std::memcpy(buffer, text.c_str(), text.size() + 1);
    } else {
        std::memcpy(buffer, text.data(), capacity);
    }
}

void* Allocate(size_t bytes) {
    // A block is handed out even for no values, so that success always yields a block.
    void* block = std::malloc(bytes == 0 ? 1 : bytes);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    return block;
}

int CountOf(size_t n) {
    if (n > static_cast<size_t>(INT_MAX)) {
        throw std::length_error("collection too large for an int count");
    }
    return static_cast<int>(n);
}

uint64_t ElementIndex(int index) {
    return static_cast<uint64_t>(static_cast<int64_t>(index));
}

template <class T>
int GetTyped(void* handle, const char* section, const char* key, T defaultValue, T* value) {
    return Guarded(0, [&] {
        if (AnyNull(handle, section, key, value)) {
            return 0;
        }
        T found{};
        const bool ok = AsQuendel(handle)->GetParameter(section, key, found, defaultValue);
        *value = ok ? found : defaultValue;
        return ok ? 1 : 0;
    });
}

template <class T>
int GetColl(void* handle, const char* section, const char* key, T** values, int* count) {
    return Guarded(0, [&] {
        if (AnyNull(handle, section, key, values, count)) {
            return 0;
        }
        std::vector<T> list;
        if (!AsQuendel(handle)->GetParameter(section, key, list, std::vector<T>())) {
            return 0;
        }
        const int n = CountOf(list.size());
        T* block = static_cast<T*>(Allocate(list.size() * sizeof(T)));
        if (!list.empty()) {
            std::memcpy(block, list.data(), list.size() * sizeof(T));
        }
        *values = block;
        *count = n;
        return 1;
    });
}

template <class T>
T GetElement(void* handle, const char* section, const char* key, int index, T defaultValue) {
    return Guarded(T(), [&] {
        if (AnyNull(handle, section, key)) {
            return T();
        }
        return AsQuendel(handle)->GetParamInArray(section, key, ElementIndex(index), defaultValue);
    });
}

}  // namespace

void* QUENDEL_Create(void) {
    return Guarded<void*>(nullptr, [] { return static_cast<void*>(new Quendel()); });
}

void QUENDEL_Delete(void* handle) {
    Guarded(0, [&] {
        delete AsQuendel(handle);
        return 0;
    });
}

int QUENDEL_Initial(void* handle, const char* group, const char* probe, const char* clinical) {
    return Guarded(0, [&] {
        if (AnyNull(handle, group, probe, clinical)) {
            return 0;
        }
        return AsQuendel(handle)->Initial(group, probe, clinical) ? 1 : 0;
    });
}

int QUENDEL_GetParameter(void* handle, int sectionSelector, int keyIndex, const char* defaultValue,
                         int bufferSize, char* buffer) {
    return Guarded(0, [&] {
        if (keyIndex < 0 || keyIndex > 9 || AnyNull(handle, defaultValue)) {
            return 0;
        }
        std::string value;
        const bool found =
            AsQuendel(handle)->GetParameter(kSections[sectionSelector == 0 ? 0 : 1],
                                            kKeys[keyIndex], value, std::string(defaultValue));
        CopyToBuffer(value, bufferSize, buffer);
        return found ? 1 : 0;
    });
}

int QUENDEL_GetParamInArray(void* handle, int sectionSelector, int keyIndex, uint64_t elementIndex,
                            const char* defaultValue, int bufferSize, char* buffer) {
    return Guarded(0, [&] {
        if (keyIndex < 0 || keyIndex > 9 || AnyNull(handle, defaultValue)) {
            return 0;
        }
        const std::string value = AsQuendel(handle)->GetParamInArray(
            kSections[sectionSelector == 0 ? 0 : 1], kKeys[keyIndex], elementIndex,
            std::string(defaultValue));
        CopyToBuffer(value, bufferSize, buffer);
        return 1;
    });
}

int QUENDEL_GetDoubleParam(void* handle, const char* section, const char* key, double defaultValue,
                           double* value) {
    return GetTyped(handle, section, key, defaultValue, value);
}

int QUENDEL_GetIntParam(void* handle, const char* section, const char* key, int defaultValue,
                        int* value) {
    return GetTyped(handle, section, key, defaultValue, value);
}

int QUENDEL_GetBoolParam(void* handle, const char* section, const char* key, int defaultValue,
                         int* value) {
    return Guarded(0, [&] {
        if (AnyNull(handle, section, key, value)) {
            return 0;
        }
        bool found = false;
        if (!AsQuendel(handle)->GetParameter(section, key, found, defaultValue != 0)) {
            *value = defaultValue;  // the caller's int as given, not reduced to 0 or 1
            return 0;
        }
        *value = found ? 1 : 0;
        return 1;
    });
}

int QUENDEL_GetStrParam(void* handle, const char* section, const char* key,
                        const char* defaultValue, char** value) {
    return Guarded(0, [&] {
        if (AnyNull(handle, section, key, defaultValue, value)) {
            return 0;
        }
        std::string text;
        if (!AsQuendel(handle)->GetParameter(section, key, text, std::string(defaultValue))) {
            return 0;
        }
        char* block = static_cast<char*>(Allocate(text.size() + 1));
        std::memcpy(block, text.c_str(), text.size() + 1);
        *value = block;
        return 1;
    });
}

int QUENDEL_GetIntParamInArray(void* handle, const char* section, const char* key, int elementIndex,
                               int defaultValue) {
    return GetElement(handle, section, key, elementIndex, defaultValue);
}

double QUENDEL_GetDoubleParamInArray(void* handle, const char* section, const char* key,
                                     int elementIndex, double defaultValue) {
    return GetElement(handle, section, key, elementIndex, defaultValue);
}

int QUENDEL_GetBoolParamInArray(void* handle, const char* section, const char* key,
                                int elementIndex, int defaultValue) {
    return GetElement(handle, section, key, elementIndex, defaultValue != 0) ? 1 : 0;
}

int QUENDEL_GetIntColl(void* handle, const char* section, const char* key, int** values,
                       int* count) {
    return GetColl(handle, section, key, values, count);
}

int QUENDEL_GetDoubleColl(void* handle, const char* section, const char* key, double** values,
                          int* count) {
    return GetColl(handle, section, key, values, count);
}

int QUENDEL_GetStrColl(void* handle, const char* section, const char* key, char** text,
                       int* count) {
    return Guarded(0, [&] {
        if (AnyNull(handle, section, key, text, count)) {
            return 0;
        }
        std::vector<std::string> list;
        if (!AsQuendel(handle)->GetParameter(section, key, list, std::vector<std::string>())) {
            return 0;
        }
        const int n = CountOf(list.size());
        size_t size = 0;
        for (const auto& s : list) {
            size += s.size() + 1;
        }
        // Each string followed by "#", the last "#" replaced by the NUL; no strings give "".
        char* block = static_cast<char*>(Allocate(size));
        char* out = block;
        for (const auto& s : list) {
            std::memcpy(out, s.data(), s.size());
            out += s.size();
            *out++ = '#';
        }
        if (size == 0) {
            block[0] = '\0';
        } else {
            block[size - 1] = '\0';
        }
        *text = block;
        *count = n;
        return 1;
    });
}

void QUENDEL_Free(void* block) {
    std::free(block);
}
