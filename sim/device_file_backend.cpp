// The device-file seam bound to the virtual cards: on Linux, and in the
// Windows test programs, where no kernel driver exists under Wine.
#include "device_files.h"
#include "platform/platform.h"

namespace platform {

HANDLE openDeviceFile(const char* name, DWORD access, DWORD shareMode, DWORD disposition,
                      DWORD flags)
{
    uint32_t error = 0;
    uintptr_t handle = sim::openDevice(name, access, shareMode, disposition, flags, &error);
    if (handle == sim::kNoDevice) {
        SetLastError(error);
        return INVALID_HANDLE_VALUE;
    }
    return reinterpret_cast<HANDLE>(handle);
}

BOOL controlDevice(HANDLE device, DWORD code, void* in, DWORD inSize, void* out, DWORD outSize,
                   DWORD* bytesReturned)
{
    uint32_t error = 0;
    uint32_t returned = 0;
    bool ok = sim::controlDevice(reinterpret_cast<uintptr_t>(device), code, in, inSize, out,
                                 outSize, &returned, &error);
    if (bytesReturned)
        *bytesReturned = returned;
    if (!ok)
        SetLastError(error);
    return ok ? TRUE : FALSE;
}

BOOL closeDeviceFile(HANDLE device)
{
    uint32_t error = 0;
    if (!sim::closeDevice(reinterpret_cast<uintptr_t>(device), &error)) {
        SetLastError(error);
        return FALSE;
    }
    return TRUE;
}

} // namespace platform
