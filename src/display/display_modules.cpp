#include "display/display_modules.h"

#include <cstdio>
#include <cstring>

namespace {

// The folder part of path, up to and with its last separator.
size_t folderLength(const char* path)
{
    const char* slash = strrchr(path, '\\');
    const char* other = strrchr(path, '/');
    if (!slash || (other && other > slash))
        slash = other;
    return slash ? size_t(slash - path + 1) : 0;
}

HMODULE loadFrom(const char* folder, size_t length, const char* name)
{
    char path[MAX_PATH];
    int made = snprintf(path, sizeof(path), "%.*s%s%s", int(length), folder,
                        length && folder[length - 1] != '\\' && folder[length - 1] != '/' ? "\\" : "",
                        name);
    if (made <= 0 || size_t(made) >= sizeof(path))
        return nullptr;
    return LoadLibraryA(path);
}

} // namespace

HMODULE loadDirectDraw()
{
    char folder[MAX_PATH];
    UINT length = GetSystemDirectoryA(folder, sizeof(folder));
    if (length == 0 || length >= sizeof(folder))
        return nullptr;
    return loadFrom(folder, length, "ddraw.dll");
}

HMODULE loadTavHelper()
{
    // This library's own file: found by an address inside it, so the DLL
    // and a program that links the library's objects alike.
    HMODULE own = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCSTR>(&loadTavHelper), &own))
        return nullptr;
    char file[MAX_PATH];
    DWORD length = GetModuleFileNameA(own, file, sizeof(file));
    if (length == 0 || length >= sizeof(file))
        return nullptr;
    file[length] = '\0';
    return loadFrom(file, folderLength(file), "TavHelpr.dll");
}
