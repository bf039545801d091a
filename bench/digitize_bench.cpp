// Digitizing against its floor: a mode 2 frame (768 x 576 RGB 24) through the
// virtual card against memcpy of the same 1,327,104 bytes; the second camera's
// conversion of 768 x 576 and of 384 x 288 against memcpy of its output
// (1,327,104 and 331,776 bytes).
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include <saa7146/dcard.h>

#include "card/second_camera.h"

namespace {

constexpr size_t kFrameBytes = 1327104;

template <size_t bytes>
void memcpyBytes(benchmark::State& state)
{
    std::vector<uint8_t> source(bytes, 1), target(bytes);
    for (auto _ : state) {
        memcpy(target.data(), source.data(), bytes);
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes));
}
BENCHMARK(memcpyBytes<kFrameBytes>)->Name("floor/memcpy_1327104");
BENCHMARK(memcpyBytes<kFrameBytes / 4>)->Name("floor/memcpy_331776");

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

const char* pathName(SecondCameraPath path)
{
    switch (path) {
    case SecondCameraPath::Avx2:
        return "AVX2";
    case SecondCameraPath::Ssse3:
        return "SSSE3";
    case SecondCameraPath::Plain:
        break;
    }
    return "plain";
}

// A frame of width x height (the arguments), top-down, from planes of bytes
// that repeat only every 256; labelled with the path taken.
void secondCamera(benchmark::State& state)
{
    const uint32_t width = uint32_t(state.range(0)), height = uint32_t(state.range(1));
    const size_t outBytes = size_t(width) * height * 3;
    std::vector<uint8_t> planes(secondCameraSourceBytes(uint64_t(width) * height));
    for (size_t i = 0; i < planes.size(); ++i)
        planes[i] = static_cast<uint8_t>(i * 13);
    std::vector<uint8_t> out(outBytes);
    for (auto _ : state) {
        convertSecondCamera(planes.data(), out.data(), width, height, false);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(outBytes));
    state.SetLabel(pathName(secondCameraPath()));
}
BENCHMARK(secondCamera)->Name("second_camera_conversion")->Args({768, 576})->Args({384, 288});

} // namespace
