// Uses the installed headers and library: the class, the reference handle and the C functions.
#include <quendel/Quendel.h>
#include <quendel/QuendelResReference.h>
#include <quendel/quendel_c.h>

#include <cstdio>

int main() {
    Quendel q;
    QuendelResReference ref(&q);
    int value = 0;
    const bool found = ref.GetParameter("Section", "Key", value, 41);
    const auto rows = StringToNestedIntVec("1, 2; 3");
    void* handle = QUENDEL_Create();
    QUENDEL_Delete(handle);
    if (found || value != 41 || rows.size() != 2 || rows[1].size() != 1 || rows[1][0] != 3) {
        std::puts("consumer: unexpected answer");
        return 1;
    }
    std::puts("consumer: ok");
    return 0;
}
