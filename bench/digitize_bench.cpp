// Digitizing against its floor: a mode 2 frame (768 x 576 RGB 24) through the
// virtual card against memcpy of the same 1,327,104 bytes; the second camera's
// conversion against memcpy of its output (the same size).
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include <saa7146/dcard.h>

#include "card/second_camera.h"

namespace {

constexpr size_t kFrameBytes = 1327104;

void memcpyFrame(benchmark::State& state)
{
    std::vector<uint8_t> source(0x480000, 1), target(kFrameBytes);
    for (auto _ : state) {
        memcpy(target.data(), source.data(), kFrameBytes);
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kFrameBytes));
}
BENCHMARK(memcpyFrame)->Name("floor/memcpy_1327104");

void digitModeTwo(benchmark::State& state)
{
    int handle = DCardInit(0);
    if (!handle) {
        state.SkipWithError("virtual card 0 does not open");
        return;
    }
    std::vector<uint8_t> buffer(kFrameBytes);
    uint32_t bytesOut = 0;
    for (auto _ : state) {
        if (!DCardDigit(handle, 0, 2, buffer.data(), kFrameBytes, &bytesOut, 0))
            state.SkipWithError("DCardDigit failed");
        benchmark::DoNotOptimize(buffer.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kFrameBytes));
    DCardExit(handle);
}
BENCHMARK(digitModeTwo)->Name("DCardDigit_mode2");

void secondCamera(benchmark::State& state)
{
    std::vector<uint8_t> planes(0x480000);
    for (size_t i = 0; i < planes.size(); ++i)
        planes[i] = static_cast<uint8_t>(i * 13);
    std::vector<uint8_t> out(kFrameBytes);
    for (auto _ : state) {
        convertSecondCamera(planes.data(), out.data(), 768, 576, false);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kFrameBytes));
}
BENCHMARK(secondCamera)->Name("second_camera_conversion");

} // namespace
