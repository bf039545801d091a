// Device files of the kernel driver, through the system calls.
#include "platform/platform.h"

namespace platform {

HANDLE openDeviceFile(const char* name, DWORD access, DWORD shareMode, DWORD disposition,
                      DWORD flags)
{
    return CreateFileA(name, access, shareMode, nullptr, disposition, flags, nullptr);
}

BOOL controlDevice(HANDLE device, DWORD code, void* in, DWORD inSize, void* out, DWORD outSize,
                   DWORD* bytesReturned)
{
    return DeviceIoControl(device, code, in, inSize, out, outSize, bytesReturned, nullptr);
}

BOOL closeDeviceFile(HANDLE device)
{
    return CloseHandle(device);
}

} // namespace platform
