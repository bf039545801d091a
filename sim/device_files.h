// The virtual cards' device files: the names the card driver creates, the
// handles that open them, and a count of every call for tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sim {

// No device: the value an open that failed returns.
constexpr uintptr_t kNoDevice = ~uintptr_t(0);

struct DeviceOpen {
    std::string name;
    uint32_t access;
    uint32_t shareMode;
    uint32_t disposition;
    uint32_t flags;
};

struct DeviceCalls {
    int opens = 0;
    int controls = 0;
    int closes = 0;
};

// "\\.\TavSAA7146<n>" opens card n through the newer driver family,
// "\\.\TAV7146" card 0 through the older one (names compare case-blind).
uintptr_t openDevice(const char* name, uint32_t access, uint32_t shareMode, uint32_t disposition,
                     uint32_t flags, uint32_t* error);
// A device-control call; false with error set when the call fails.
bool controlDevice(uintptr_t handle, uint32_t code, void* in, uint32_t inSize, void* out,
                   uint32_t outSize, uint32_t* bytesReturned, uint32_t* error);
// False with error set for a handle that names no open device.
bool closeDevice(uintptr_t handle, uint32_t* error);

DeviceCalls deviceCalls();
// The most recent opens, oldest first (at least the last 2,048).
std::vector<DeviceOpen> deviceOpens();
int openDeviceCount();
// Forgets every open device and clears the counts and the record of opens.
void closeAllDevices();

} // namespace sim
