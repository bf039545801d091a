// DCardSaveDigBMP of a 768 x 576 RGB24 frame against writing the same
// 1,327,158 bytes (file header, bitmap header, pixels) with plain file I/O
// into the same directory.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include <saa7146/dcard.h>

#include "platform/posix/control.h"

namespace {

constexpr size_t kFileBytes = 54 + 1327104;

std::string benchFile(const char* name)
{
    return standin::windowsDirectory() + "/" + name;
}

void writeFileFloor(benchmark::State& state)
{
    std::vector<uint8_t> bytes(kFileBytes, 0x5A);
    std::string path = benchFile("floor.bmp");
    for (auto _ : state) {
        int file = open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
        if (file < 0 || write(file, bytes.data(), 14) != 14 ||
            write(file, bytes.data() + 14, kFileBytes - 14) != ssize_t(kFileBytes - 14))
            state.SkipWithError("write failed");
        close(file);
    }
    unlink(path.c_str());
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kFileBytes));
}
BENCHMARK(writeFileFloor)->Name("floor/write_1327158");

void saveBitmap(benchmark::State& state)
{
    standin::setGlobalMemoryMoves(false);
    int handle = DCardInit(0);
    if (!handle) {
        state.SkipWithError("virtual card 0 does not open");
        return;
    }
    std::string path = benchFile("frame.bmp");
    for (auto _ : state) {
        if (!DCardSaveDigBMP(handle, 0, 768, 576, 24, path.c_str()))
            state.SkipWithError("DCardSaveDigBMP failed");
    }
    DCardExit(handle);
    unlink(path.c_str());
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kFileBytes));
}
BENCHMARK(saveBitmap)->Name("DCardSaveDigBMP_768x576x24");

} // namespace
