// Buffers with guard bytes on both sides, for calls that must never write
// past what their caller provided, and a reader that turns fuzz input into
// arguments.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace harness {

class GuardedBuffer {
public:
    static constexpr size_t kGuard = 64;
    static constexpr uint8_t kGuardByte = 0xA5;

    // size bytes filled with fill; null when absent (a caller that passes none).
    explicit GuardedBuffer(size_t size, uint8_t fill = 0x5A, bool absent = false)
        : size_(size), absent_(absent), bytes_(absent ? 0 : size + 2 * kGuard, kGuardByte)
    {
        if (!absent_ && size_)
            memset(bytes_.data() + kGuard, fill, size_);
    }

    uint8_t* data() { return absent_ ? nullptr : bytes_.data() + kGuard; }
    template <class T> T* as() { return reinterpret_cast<T*>(data()); }
    size_t size() const { return size_; }

    // Whether both guards are as they were made.
    bool intact() const
    {
        if (absent_)
            return true;
        for (size_t i = 0; i < kGuard; ++i)
            if (bytes_[i] != kGuardByte || bytes_[kGuard + size_ + i] != kGuardByte)
                return false;
        return true;
    }

private:
    size_t size_;
    bool absent_;
    std::vector<uint8_t> bytes_;
};

// Reads arguments from fuzz input, giving zeros once it runs out.
class InputReader {
public:
    InputReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool empty() const { return at_ >= size_; }
    uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
    uint16_t half() { return uint16_t(byte() | byte() << 8); }
    uint32_t word() { return uint32_t(half()) | uint32_t(half()) << 16; }
    // A number in [low, high].
    int32_t between(int32_t low, int32_t high)
    {
        uint64_t span = uint64_t(int64_t(high) - low) + 1;
        return int32_t(int64_t(low) + int64_t(word() % span));
    }
    // Up to count bytes of the input.
    std::vector<uint8_t> bytes(size_t count)
    {
        std::vector<uint8_t> out;
        while (count-- && !empty())
            out.push_back(byte());
        return out;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

} // namespace harness
