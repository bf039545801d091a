// The card driver's device files. The library opens, addresses and closes the
// driver only through these three calls; which backend answers them is chosen
// when a program is linked: the kernel driver (the Windows library), or the
// virtual card (Linux, and the Windows test programs).
#pragma once

namespace platform {

HANDLE openDeviceFile(const char* name, DWORD access, DWORD shareMode, DWORD disposition,
                      DWORD flags);
BOOL controlDevice(HANDLE device, DWORD code, void* in, DWORD inSize, void* out, DWORD outSize,
                   DWORD* bytesReturned);
BOOL closeDeviceFile(HANDLE device);

} // namespace platform
