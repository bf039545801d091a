// A clipping mask of the largest size, 769 x 576 pixels, under 200 covering
// windows, computed and sent through virtual card 0, against its two floors,
// measured over the same windows: the walk of the window stack that any mask
// must make (the same window-manager calls the library makes, nothing else),
// and a memset of the same 57,600 mask bytes. The covers do not change
// between calls, so nothing is repainted, as in the preview loop's steady
// state.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#include <saa7146/dcard.h>

#include "display/cover_list.h"
#include "platform/posix/control.h"

namespace {

constexpr RECT kTarget = {100, 100, 100 + 769, 100 + 576};
constexpr int kCovers = 200;

// The video window at the bottom of the stack and, above it, small windows
// (icons, tool tips, palettes) scattered over the picture and its edges; the
// same windows for every benchmark here.
HWND makeWindowStack()
{
    standin::destroyAllWindows();
    standin::WindowSpec wanted;
    wanted.rect = {0, 0, 1200, 900};
    HWND video = standin::createWindow(wanted);
    std::mt19937 random(7);
    std::uniform_int_distribution<int> x(kTarget.left - 20, kTarget.right), y(kTarget.top - 20, kTarget.bottom);
    std::uniform_int_distribution<int> side(8, 48);
    for (int i = 0; i < kCovers; ++i) {
        wanted.rect.left = x(random);
        wanted.rect.top = y(random);
        wanted.rect.right = wanted.rect.left + side(random);
        wanted.rect.bottom = wanted.rect.top + side(random);
        standin::createWindow(wanted);
    }
    return video;
}

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

// The calls DCardWindowsMask makes of the window manager for a top-level
// video window: its style, then for each window above it whether it shows
// and, if so, its rectangle. Where a rectangle meets the target is the
// library's own work, not the walk's.
void windowWalk(benchmark::State& state)
{
    HWND video = makeWindowStack();
    for (auto _ : state) {
        benchmark::DoNotOptimize(GetWindowLongA(video, GWL_STYLE));
        for (HWND current = GetWindow(video, GW_HWNDPREV); current;
             current = GetWindow(current, GW_HWNDPREV)) {
            if (!IsWindowVisible(current))
                continue;
            RECT rect = {0, 0, 0, 0};
            GetWindowRect(current, &rect);
            benchmark::DoNotOptimize(rect);
        }
    }
    standin::destroyAllWindows();
}
BENCHMARK(windowWalk)->Name("floor/window_walk_200");

void windowsMask(benchmark::State& state)
{
    int handle = DCardInit(0);
    if (!handle) {
        state.SkipWithError("virtual card 0 does not open");
        return;
    }
    HWND video = makeWindowStack();
    for (auto _ : state) {
        if (!DCardWindowsMask(handle, video, &kTarget))
            state.SkipWithError("DCardWindowsMask failed");
    }
    DCardExit(handle);
    standin::destroyAllWindows();
}
BENCHMARK(windowsMask)->Name("DCardWindowsMask_769x576_200_windows");

} // namespace
