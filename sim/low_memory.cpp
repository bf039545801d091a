#include "low_memory.h"

#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/mman.h>
#endif

namespace sim {

namespace {

constexpr bool kWide = sizeof(void*) > 4;

} // namespace

#ifdef _WIN32

uint8_t* allocateLow(size_t size)
{
    if (size == 0)
        return nullptr;
    if (!kWide)
        return static_cast<uint8_t*>(VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    // The system places a block where asked when that range is free: try
    // 16 MB steps through the low 4 GB, above what the loader uses.
    const uintptr_t step = 0x1000000;
    for (uintptr_t at = 0x20000000; at + size <= 0xFFFF0000u; at += step) {
        void* memory = VirtualAlloc(reinterpret_cast<void*>(at), size, MEM_RESERVE | MEM_COMMIT,
                                    PAGE_READWRITE);
        if (memory)
            return static_cast<uint8_t*>(memory);
    }
    return nullptr;
}

void freeLow(uint8_t* memory, size_t)
{
    if (memory)
        VirtualFree(memory, 0, MEM_RELEASE);
}

void clearLow(uint8_t* memory, size_t size)
{
    if (memory)
        memset(memory, 0, size);
}

#else

namespace {

#if defined(MAP_32BIT)
constexpr int kLowFlag = kWide ? MAP_32BIT : 0;
#else
constexpr int kLowFlag = 0;
#endif

} // namespace

uint8_t* allocateLow(size_t size)
{
    if (size == 0)
        return nullptr;
    void* memory = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | kLowFlag, -1, 0);
    return memory == MAP_FAILED ? nullptr : static_cast<uint8_t*>(memory);
}

void freeLow(uint8_t* memory, size_t size)
{
    if (memory)
        munmap(memory, size);
}

// A private anonymous mapping reads as zeros where its pages were dropped:
// a card powered on for every fuzz input costs the pages it wrote, not a
// write of its whole frame memory.
void clearLow(uint8_t* memory, size_t size)
{
    if (memory && madvise(memory, size, MADV_DONTNEED) != 0)
        memset(memory, 0, size);
}

uint8_t* mapSharedLow(int file, size_t size)
{
    void* memory = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED | kLowFlag, file, 0);
    return memory == MAP_FAILED ? nullptr : static_cast<uint8_t*>(memory);
}

#endif

} // namespace sim
