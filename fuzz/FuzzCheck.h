// How a fuzz target reports a disagreement: the reason and the input, then abort, which
// libFuzzer records as a crash with the input saved beside it.
#ifndef QUENDEL_FUZZ_FUZZCHECK_H
#define QUENDEL_FUZZ_FUZZCHECK_H

#include <cstdio>
#include <cstdlib>
#include <string>

namespace fuzzcheck {

// The input being run, shown with a failure.
inline const std::string*& CurrentInput() {
    static const std::string* input = nullptr;
    return input;
}

[[noreturn]] inline void Fail(const std::string& what) {
    std::string shown;
    if (const std::string* input = CurrentInput()) {
        for (const unsigned char c : *input) {
            if (c >= 0x20 && c < 0x7f && c != '\\') {
                shown += static_cast<char>(c);
            } else {
                char hex[5];
                std::snprintf(hex, sizeof hex, "\\x%02x", c);
                shown += hex;
            }
        }
    }
    std::fprintf(stderr, "disagreement: %s\ninput: \"%s\"\n", what.c_str(), shown.c_str());
    std::abort();
}

inline void Require(bool condition, const char* what) {
    if (!condition) {
        Fail(what);
    }
}

}  // namespace fuzzcheck

#endif
