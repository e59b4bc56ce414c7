// The host services the library uses: log, host settings, exception reports.
// The host application supplies them (libcorvel); these declarations are the whole contract.
#ifndef QUENDEL_HOST_CORVEL_H
#define QUENDEL_HOST_CORVEL_H

#include <string>

#if defined(__GNUC__)
#define CORVEL_PRINTF(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define CORVEL_PRINTF(fmt, args)
#endif

#define CORVEL_API __attribute__((visibility("default")))

CORVEL_API void LogInfo(const char* category, const char* format, ...) CORVEL_PRINTF(2, 3);
// Logs only when flag is non-zero.
CORVEL_API void LogInfoIf(int flag, const char* category, const char* format, ...)
    CORVEL_PRINTF(3, 4);
CORVEL_API void LogError(const char* category, const char* format, ...) CORVEL_PRINTF(2, 3);

class CORVEL_API ResourceMgr {
  public:
    // The host setting's text, or defaultValue when the host has none.
    static std::string GetValue(const char* section, const char* key, const char* defaultValue);
    static bool GetValue(const char* section, const char* key, bool defaultValue);
};

// Hands an exception's message to the host; the result carries no meaning for the library.
CORVEL_API int ReportException(const std::string& message);

// The host's exception type for machine faults turned into exceptions.
class CORVEL_API CTavrin_SEH_Exception {};

#endif
