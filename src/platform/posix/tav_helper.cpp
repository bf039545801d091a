// The stand-in's TavHelpr.dll: the maker's physical-memory helper, answering
// as the control API says and recording every call.
#include <cstring>

#include "platform/posix/display.h"
#include "platform/posix/recent_records.h"

namespace {

using standin::displayLock;
using standin::displayState;

void record(const char* function, uint32_t first, uint32_t second)
{
    standin::keepRecord(displayState().helperCalls, {function, {first, second}});
}

uint32_t WINAPI TavHelperInit(uint32_t index)
{
    std::lock_guard<std::mutex> hold(displayLock());
    record("TavHelperInit", index, 0);
    return index < 10 ? displayState().helper.initResults[index] : 0;
}

uint32_t WINAPI TavHelperVirt2Phys(uint32_t number, uint32_t address, uint32_t* physical)
{
    std::lock_guard<std::mutex> hold(displayLock());
    record("TavHelperVirt2Phys", number, address);
    const standin::TavHelperSettings& helper = displayState().helper;
    if (!physical || helper.translateFrom <= 0 || number < uint32_t(helper.translateFrom))
        return 0;
    *physical = helper.physical ? helper.physical : address | 0x80000000u;
    return 1;
}

uint32_t WINAPI TavHelperExit(uint32_t value)
{
    std::lock_guard<std::mutex> hold(displayLock());
    record("TavHelperExit", value, 0);
    return 1;
}

} // namespace

namespace standin {

FARPROC tavHelperExport(const char* name)
{
    if (strcmp(name, "TavHelperInit") == 0)
        return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(TavHelperInit));
    if (strcmp(name, "TavHelperVirt2Phys") == 0)
        return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(TavHelperVirt2Phys));
    if (strcmp(name, "TavHelperExit") == 0)
        return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(TavHelperExit));
    return nullptr;
}

} // namespace standin
