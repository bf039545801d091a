// Last-error code, sleeping and the process environment.
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "platform/posix/winapi.h"

extern char** environ;

namespace {

thread_local DWORD lastError = 0;

// Environment names compare case-blind, as on Windows.
const char* findVariable(const char* name)
{
    if (const char* exact = getenv(name))
        return exact;
    size_t length = strlen(name);
    for (char** entry = environ; entry && *entry; ++entry) {
        if (strncasecmp(*entry, name, length) == 0 && (*entry)[length] == '=')
            return *entry + length + 1;
    }
    return nullptr;
}

} // namespace

extern "C" {

void WINAPI SetLastError(DWORD error)
{
    lastError = error;
}

DWORD WINAPI GetLastError(void)
{
    return lastError;
}

DWORD WINAPI SleepEx(DWORD milliseconds, BOOL)
{
    timespec wait{static_cast<time_t>(milliseconds / 1000),
                  static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
    }
    return 0;
}

void WINAPI Sleep(DWORD milliseconds)
{
    SleepEx(milliseconds, FALSE);
}

DWORD WINAPI GetEnvironmentVariableA(LPCSTR name, LPSTR buffer, DWORD size)
{
    if (!name || !*name) {
        SetLastError(ERROR_ENVVAR_NOT_FOUND);
        return 0;
    }
    const char* value = findVariable(name);
    // An NT-family system always says so; the process may override it.
    if (!value && strcasecmp(name, "OS") == 0)
        value = "Windows_NT";
    if (!value) {
        SetLastError(ERROR_ENVVAR_NOT_FOUND);
        return 0;
    }
    DWORD length = static_cast<DWORD>(strlen(value));
    if (!buffer || size <= length)
        return length + 1;
    memcpy(buffer, value, length + 1);
    return length;
}

BOOL WINAPI SetEnvironmentVariableA(LPCSTR name, LPCSTR value)
{
    if (!name || !*name || strchr(name, '=')) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    int result = value ? setenv(name, value, 1) : unsetenv(name);
    return result == 0 ? TRUE : FALSE;
}

} // extern "C"
