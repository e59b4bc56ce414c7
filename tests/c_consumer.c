/* A C program using the flat interface: it must compile as C and link against libquendel.so.
 * Without host settings the binary store finds no resource file, so every query gives its
 * default; with CORVEL_SETTINGS pointing at the example tree it reads real values. */
#include <quendel/quendel_c.h>

#include <stdio.h>
#include <string.h>

#define CHECK(cond)                                                                  \
    do {                                                                             \
        if (!(cond)) {                                                               \
            fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
            return 1;                                                                \
        }                                                                            \
    } while (0)

/* On the example tree: the clinical file's pivot value beats the group's and the base's, and
 * the user-defined file's contrast output point beats every shipped one. */
static int ExampleTree(void) {
    void* handle = QUENDEL_Create();
    char buffer[32];
    double pivotOut = 0.0;
    CHECK(QUENDEL_Initial(handle, "Convex", "CX5", "Abdomen") == 1);
    CHECK(QUENDEL_GetParameter(handle, 0, 5, "none", (int)sizeof buffer, buffer) == 1);
    CHECK(strcmp(buffer, "104") == 0);
    CHECK(QUENDEL_GetDoubleParam(handle, "AutoContrastControl", "ContrastDycPivotPtOut", 0.0,
                                 &pivotOut) == 1);
    CHECK(pivotOut == 0.60);
    QUENDEL_Delete(handle);
    puts("c consumer on the example tree: ok");
    return 0;
}

int main(int argc, char** argv) {
    if (argc > 1 && strcmp(argv[1], "example") == 0) {
        return ExampleTree();
    }
    void* handle = QUENDEL_Create();
    int value = 0;
    int count = -1;
    int* ints = NULL;
    char buffer[8];
    CHECK(handle != NULL);
    CHECK(QUENDEL_GetIntParam(handle, "S", "K", 17, &value) == 0 && value == 17);
    CHECK(QUENDEL_Initial(handle, "", "", "") == 1);
    CHECK(QUENDEL_GetIntParam(handle, "NoSuchSection", "NoSuchKey", 23, &value) == 0);
    CHECK(value == 23);
    CHECK(QUENDEL_GetParameter(handle, 0, 3, "dflt", (int)sizeof buffer, buffer) == 0);
    CHECK(strcmp(buffer, "dflt") == 0);
    CHECK(QUENDEL_GetIntColl(handle, "NoSuchSection", "NoSuchKey", &ints, &count) == 0);
    CHECK(ints == NULL && count == -1);
    QUENDEL_Free(ints);
    QUENDEL_Delete(handle);
    puts("c consumer: ok");
    return 0;
}
