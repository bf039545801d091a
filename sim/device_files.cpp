#include "device_files.h"

#include <cctype>
#include <cstring>
#include <map>
#include <mutex>

#include "virtual_card.h"

namespace sim {

namespace {

constexpr uint32_t kErrorFileNotFound = 2;
constexpr uint32_t kErrorInvalidHandle = 6;
constexpr size_t kOpensKept = 4096;

struct OpenDevice {
    int card;
    bool legacyFamily;
};

struct Devices {
    std::mutex mutex;
    std::map<uintptr_t, OpenDevice> open;
    uintptr_t next = 0x1000;
    DeviceCalls calls;
    std::vector<DeviceOpen> opens;
};

Devices& devices()
{
    static Devices& all = *new Devices;
    return all;
}

bool sameName(const char* a, const char* b)
{
    for (; *a && *b; ++a, ++b)
        if (tolower(static_cast<unsigned char>(*a)) != tolower(static_cast<unsigned char>(*b)))
            return false;
    return *a == *b;
}

// The card a device name stands for, or -1.
int cardOfName(const char* name, bool& legacyFamily)
{
    static const char kNewer[] = "\\\\.\\TavSAA7146";
    if (sameName(name, "\\\\.\\TAV7146")) {
        legacyFamily = true;
        return 0;
    }
    size_t prefix = strlen(kNewer);
    if (strlen(name) != prefix + 1)
        return -1;
    std::string head(name, prefix);
    if (!sameName(head.c_str(), kNewer) || !isdigit(static_cast<unsigned char>(name[prefix])))
        return -1;
    legacyFamily = false;
    return name[prefix] - '0';
}

} // namespace

uintptr_t openDevice(const char* name, uint32_t access, uint32_t shareMode, uint32_t disposition,
                     uint32_t flags, uint32_t* error)
{
    int count = cardCount();
    Devices& all = devices();
    std::lock_guard<std::mutex> hold(all.mutex);
    ++all.calls.opens;
    // The most recent opens only, as the request log keeps its requests.
    if (all.opens.size() >= kOpensKept)
        all.opens.erase(all.opens.begin(), all.opens.begin() + kOpensKept / 2);
    all.opens.push_back({name ? name : "", access, shareMode, disposition, flags});
    bool legacyFamily = false;
    int number = name ? cardOfName(name, legacyFamily) : -1;
    if (number < 0 || number >= count) {
        *error = kErrorFileNotFound;
        return kNoDevice;
    }
    uintptr_t handle = all.next;
    all.next += 4;
    all.open[handle] = {number, legacyFamily};
    return handle;
}

bool controlDevice(uintptr_t handle, uint32_t code, void* in, uint32_t inSize, void* out,
                   uint32_t outSize, uint32_t* bytesReturned, uint32_t* error)
{
    OpenDevice device;
    {
        Devices& all = devices();
        std::lock_guard<std::mutex> hold(all.mutex);
        ++all.calls.controls;
        auto found = all.open.find(handle);
        if (found == all.open.end()) {
            *error = kErrorInvalidHandle;
            return false;
        }
        device = found->second;
    }
    uint32_t ignored = 0;
    return card(device.card).control(code, device.legacyFamily, in, inSize, out, outSize,
                                     bytesReturned ? bytesReturned : &ignored, error);
}

bool closeDevice(uintptr_t handle, uint32_t* error)
{
    Devices& all = devices();
    std::lock_guard<std::mutex> hold(all.mutex);
    ++all.calls.closes;
    if (all.open.erase(handle) == 0) {
        *error = kErrorInvalidHandle;
        return false;
    }
    return true;
}

DeviceCalls deviceCalls()
{
    Devices& all = devices();
    std::lock_guard<std::mutex> hold(all.mutex);
    return all.calls;
}

std::vector<DeviceOpen> deviceOpens()
{
    Devices& all = devices();
    std::lock_guard<std::mutex> hold(all.mutex);
    return all.opens;
}

int openDeviceCount()
{
    Devices& all = devices();
    std::lock_guard<std::mutex> hold(all.mutex);
    return static_cast<int>(all.open.size());
}

void closeAllDevices()
{
    Devices& all = devices();
    std::lock_guard<std::mutex> hold(all.mutex);
    all.open.clear();
    all.calls = DeviceCalls();
    all.opens.clear();
}

} // namespace sim
