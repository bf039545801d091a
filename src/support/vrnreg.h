// Registry access of the support library: 32-bit values under a key path
// below a root key, optionally in a named subkey of that path.
#pragma once

#include <cstdint>

#include "platform/platform.h"

class VRNREG {
public:
    VRNREG();
    ~VRNREG();

    // Leaves the stored value in *result and returns 1, or leaves the default
    // there and returns 0 when no 32-bit value is stored under the name.
    int get(const char* name, int32_t defaultValue, int32_t* result, const char* subkey);
    // The key path (or its subkey) opened for reading, or null when it does
    // not exist; the caller closes it with RegCloseKey.
    HKEY open(const char* subkey) const;
    // get() of a key opened with open(): for many values of one key.
    static int read(HKEY key, const char* name, int32_t defaultValue, int32_t* result);
    // Stores the value as a 32-bit registry value; 1 when it was written.
    int put(const char* name, int32_t value, const char* subkey);

    char KeyPath[128];
    HKEY RootKey;

private:
    // Builds "KeyPath\subkey" into path; false when it does not fit.
    bool fullPath(const char* subkey, char (&path)[300]) const;
};
