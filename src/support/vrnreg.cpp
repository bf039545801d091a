#include "support/vrnreg.h"

#include <cstdio>
#include <cstring>

VRNREG::VRNREG() : KeyPath{}, RootKey(HKEY_CURRENT_USER) {}

VRNREG::~VRNREG() = default;

bool VRNREG::fullPath(const char* subkey, char (&path)[300]) const
{
    size_t keyLength = strnlen(KeyPath, sizeof(KeyPath));
    if (keyLength == sizeof(KeyPath))
        return false;
    int written;
    if (subkey && *subkey)
        written = snprintf(path, sizeof(path), "%s\\%s", KeyPath, subkey);
    else
        written = snprintf(path, sizeof(path), "%s", KeyPath);
    return written >= 0 && static_cast<size_t>(written) < sizeof(path);
}

HKEY VRNREG::open(const char* subkey) const
{
    char path[300];
    HKEY key = nullptr;
    if (!fullPath(subkey, path) || RegOpenKeyExA(RootKey, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

int VRNREG::read(HKEY key, const char* name, int32_t defaultValue, int32_t* result)
{
    if (result)
        *result = defaultValue;
    if (!key || !name || !result)
        return 0;
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof(value);
    LONG status = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    if (status != ERROR_SUCCESS || type != REG_DWORD || size != sizeof(value))
        return 0;
    *result = static_cast<int32_t>(value);
    return 1;
}

int VRNREG::get(const char* name, int32_t defaultValue, int32_t* result, const char* subkey)
{
    if (result)
        *result = defaultValue;
    if (!name || !result)
        return 0;
    HKEY key = open(subkey);
    int found = read(key, name, defaultValue, result);
    if (key)
        RegCloseKey(key);
    return found;
}

int VRNREG::put(const char* name, int32_t value, const char* subkey)
{
    char path[300];
    if (!name || !fullPath(subkey, path))
        return 0;
    HKEY key = nullptr;
    if (RegCreateKeyExA(RootKey, path, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return 0;
    DWORD stored = static_cast<DWORD>(value);
    LONG status = RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&stored),
                                 sizeof(stored));
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? 1 : 0;
}
