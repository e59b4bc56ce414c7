/* Flat C interface to Quendel: opaque handles, caller buffers and caller-freed blocks.
 * No function lets an exception out: an error is reported to the host and the function
 * returns its fallback (0, 0.0 or NULL). Blocks handed out are freed with QUENDEL_Free. */
#ifndef QUENDEL_QUENDEL_C_H
#define QUENDEL_QUENDEL_C_H

#include <stdint.h>

#ifndef QUENDEL_API
#define QUENDEL_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

QUENDEL_API void* QUENDEL_Create(void);
QUENDEL_API void QUENDEL_Delete(void* handle);
QUENDEL_API int QUENDEL_Initial(void* handle, const char* group, const char* probe,
                                const char* clinical);

/* Section selector: 0 "DynamicControl", any other "AutoContrastControl"; key index 0 to 9. */
QUENDEL_API int QUENDEL_GetParameter(void* handle, int sectionSelector, int keyIndex,
                                     const char* defaultValue, int bufferSize, char* buffer);
QUENDEL_API int QUENDEL_GetParamInArray(void* handle, int sectionSelector, int keyIndex,
                                        uint64_t elementIndex, const char* defaultValue,
                                        int bufferSize, char* buffer);

QUENDEL_API int QUENDEL_GetDoubleParam(void* handle, const char* section, const char* key,
                                       double defaultValue, double* value);
QUENDEL_API int QUENDEL_GetIntParam(void* handle, const char* section, const char* key,
                                    int defaultValue, int* value);
QUENDEL_API int QUENDEL_GetBoolParam(void* handle, const char* section, const char* key,
                                     int defaultValue, int* value);
QUENDEL_API int QUENDEL_GetStrParam(void* handle, const char* section, const char* key,
                                    const char* defaultValue, char** value);

QUENDEL_API int QUENDEL_GetIntParamInArray(void* handle, const char* section, const char* key,
                                           int elementIndex, int defaultValue);
QUENDEL_API double QUENDEL_GetDoubleParamInArray(void* handle, const char* section, const char* key,
                                                 int elementIndex, double defaultValue);
QUENDEL_API int QUENDEL_GetBoolParamInArray(void* handle, const char* section, const char* key,
                                            int elementIndex, int defaultValue);

QUENDEL_API int QUENDEL_GetIntColl(void* handle, const char* section, const char* key, int** values,
                                   int* count);
QUENDEL_API int QUENDEL_GetDoubleColl(void* handle, const char* section, const char* key,
                                      double** values, int* count);
/* The strings joined by "#" into one text; count receives their number. */
QUENDEL_API int QUENDEL_GetStrColl(void* handle, const char* section, const char* key, char** text,
                                   int* count);

QUENDEL_API void QUENDEL_Free(void* block);

#ifdef __cplusplus
}
#endif

#endif
