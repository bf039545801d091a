// An uncontended DCardGetReg of a raw register (0x70 of camera 0) through
// virtual card 0, against its floor: the same GetReg record sent straight
// through the device-file seam to the same card (platform::controlDevice on a
// device of its own). The virtual card's answer stands in for the driver's
// round trip, which no library can avoid, so the floor is that call and
// nothing else; the ratio is what the library adds: the handle lookup, the
// card's lock, building the record and checking the answer.
#include <benchmark/benchmark.h>

#include <saa7146/dcard.h>

#include "card/driver_request.h"
#include "platform/platform.h"
#include "platform/device_file.h"

namespace {

constexpr int kRegister = 0x70;

void controlFloor(benchmark::State& state)
{
    HANDLE device = platform::openDeviceFile("\\\\.\\TavSAA71460", GENERIC_READ | GENERIC_WRITE,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, 0);
    if (device == INVALID_HANDLE_VALUE) {
        state.SkipWithError("virtual card 0 does not open");
        return;
    }
    auto request = driver::makeRequest<driver::GetRegRequest>();
    request.camera = 1;
    request.regNum = kRegister;
    const DWORD size = request.header.size;
    for (auto _ : state) {
        DWORD returned = 0;
        if (!platform::controlDevice(device, driver::kRequestCode, &request, size, &request, size,
                                     &returned) ||
            request.header.status != driver::kStatusOk)
            state.SkipWithError("GetReg failed");
        benchmark::DoNotOptimize(request.value);
    }
    platform::closeDeviceFile(device);
}
BENCHMARK(controlFloor)->Name("floor/controlDevice_GetReg");

void getRegister(benchmark::State& state)
{
    int handle = DCardInit(0);
    if (!handle) {
        state.SkipWithError("virtual card 0 does not open");
        return;
    }
    for (auto _ : state) {
        int value = 0;
        if (!DCardGetReg(handle, 0, kRegister, &value))
            state.SkipWithError("DCardGetReg failed");
        benchmark::DoNotOptimize(value);
    }
    DCardExit(handle);
}
BENCHMARK(getRegister)->Name("DCardGetReg");

} // namespace
