// Frame memory where the driver protocol can name it: the MapMemory reply
// carries the mapping's address in 32 bits. A 32-bit process has nothing
// else; a 64-bit one (the test builds) asks the system for memory below 4 GB.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace sim {

// size bytes of zeroed memory whose every address fits 32 bits; null when
// there is none to be had.
uint8_t* allocateLow(size_t size);
void freeLow(uint8_t* memory, size_t size);
// Makes memory from allocateLow read as zeros again. Where the system can
// drop the pages instead of writing them, only the pages in use cost.
void clearLow(uint8_t* memory, size_t size);

struct LowMemory {
    uint8_t* memory = nullptr;
    size_t size = 0;
    LowMemory() = default;
    explicit LowMemory(size_t bytes) : memory(allocateLow(bytes)), size(memory ? bytes : 0) {}
    LowMemory(const LowMemory&) = delete;
    LowMemory& operator=(const LowMemory&) = delete;
    LowMemory& operator=(LowMemory&& other) noexcept
    {
        std::swap(memory, other.memory);
        std::swap(size, other.size);
        return *this;
    }
    ~LowMemory() { freeLow(memory, size); }
    uint8_t* get() const { return memory; }
    void clear() { clearLow(memory, size); }
};

#ifndef _WIN32
// A shared mapping of a file below 4 GB where the process is 64-bit; null
// on failure.
uint8_t* mapSharedLow(int file, size_t size);
#endif

} // namespace sim
