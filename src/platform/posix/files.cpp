// Files: the card driver's device names, through the device-file seam, which
// on Linux is bound to the virtual cards.
#include <cstring>

#include "platform/platform.h"

extern "C" {

HANDLE WINAPI CreateFileA(LPCSTR name, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES,
                          DWORD disposition, DWORD flags, HANDLE)
{
    if (!name || strncmp(name, "\\\\.\\", 4) != 0) {
        SetLastError(name ? ERROR_PATH_NOT_FOUND : ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    return platform::openDeviceFile(name, access, shareMode, disposition, flags);
}

BOOL WINAPI DeviceIoControl(HANDLE device, DWORD code, LPVOID in, DWORD inSize, LPVOID out,
                            DWORD outSize, LPDWORD bytesReturned, LPOVERLAPPED)
{
    return platform::controlDevice(device, code, in, inSize, out, outSize, bytesReturned);
}

BOOL WINAPI CloseHandle(HANDLE handle)
{
    return platform::closeDeviceFile(handle);
}

} // extern "C"
