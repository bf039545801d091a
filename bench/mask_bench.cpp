// A clipping mask of the largest size, 769 x 576 pixels, under 200 covering
// windows, computed and sent through virtual card 0, against its floor: a
// memset of the same 57,600 mask bytes. The covers do not change between
// calls, so nothing is repainted, as in the preview loop's steady state.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#include <saa7146/dcard.h>

#include "display/cover_list.h"
#include "platform/posix/control.h"

namespace {

constexpr RECT kTarget = {100, 100, 100 + 769, 100 + 576};

void memsetFloor(benchmark::State& state)
{
    std::vector<uint8_t> mask(kMaskAreaBytes);
    for (auto _ : state) {
        memset(mask.data(), 0xFF, mask.size());
        benchmark::DoNotOptimize(mask.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(memsetFloor)->Name("floor/memset_57600");

void windowsMask(benchmark::State& state)
{
    int handle = DCardInit(0);
    if (!handle) {
        state.SkipWithError("virtual card 0 does not open");
        return;
    }
    standin::destroyAllWindows();
    standin::WindowSpec wanted;
    wanted.rect = {0, 0, 1200, 900};
    HWND video = standin::createWindow(wanted);
    // Small windows (icons, tool tips, palettes) scattered over the picture.
    std::mt19937 random(7);
    std::uniform_int_distribution<int> x(kTarget.left - 20, kTarget.right), y(kTarget.top - 20, kTarget.bottom);
    std::uniform_int_distribution<int> side(8, 48);
    for (int i = 0; i < 200; ++i) {
        wanted.rect.left = x(random);
        wanted.rect.top = y(random);
        wanted.rect.right = wanted.rect.left + side(random);
        wanted.rect.bottom = wanted.rect.top + side(random);
        standin::createWindow(wanted);
    }
    for (auto _ : state) {
        if (!DCardWindowsMask(handle, video, &kTarget))
            state.SkipWithError("DCardWindowsMask failed");
    }
    DCardExit(handle);
    standin::destroyAllWindows();
}
BENCHMARK(windowsMask)->Name("DCardWindowsMask_769x576_200_windows");

} // namespace
