// Buffers with guard bytes on both sides, for calls that must never write
// past what their caller provided, and a reader that turns fuzz input into
// arguments.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

namespace harness {

class GuardedBuffer {
public:
    static constexpr size_t kGuard = 64;
    static constexpr uint8_t kGuardByte = 0xA5;

    // size bytes filled with fill; null when absent (a caller that passes none).
    explicit GuardedBuffer(size_t size, uint8_t fill = 0x5A, bool absent = false)
        : size_(size), absent_(absent)
    {
        if (absent_)
            return;
        const size_t total = size + 2 * kGuard;
        // Frame-sized buffers reuse one block per thread: under the i386
        // emulator a sanitizer that maps and unmaps a block for every frame
        // runs out of address space.
        Pool& pool = threadPool();
        if (size >= kPooledFrom && !pool.inUse) {
            pool.inUse = true;
            pooled_ = true;
            if (pool.bytes.size() < total)
                pool.bytes.resize(total);
            base_ = pool.bytes.data();
        } else {
            own_.resize(total);
            base_ = own_.data();
        }
        memset(base_, kGuardByte, kGuard);
        memset(base_ + kGuard, fill, size_);
        memset(base_ + kGuard + size_, kGuardByte, kGuard);
    }
    GuardedBuffer(GuardedBuffer&& other) noexcept { *this = std::move(other); }
    GuardedBuffer& operator=(GuardedBuffer&& other) noexcept
    {
        if (this != &other) {
            release();
            size_ = other.size_;
            absent_ = other.absent_;
            pooled_ = other.pooled_;
            own_ = std::move(other.own_);
            base_ = pooled_ ? other.base_ : own_.data();
            other.pooled_ = false;
            other.absent_ = true;
            other.base_ = nullptr;
        }
        return *this;
    }
    GuardedBuffer(const GuardedBuffer&) = delete;
    GuardedBuffer& operator=(const GuardedBuffer&) = delete;
    ~GuardedBuffer() { release(); }

    uint8_t* data() { return absent_ ? nullptr : base_ + kGuard; }
    template <class T> T* as() { return reinterpret_cast<T*>(data()); }
    size_t size() const { return size_; }

    // Whether both guards are as they were made.
    bool intact() const
    {
        if (absent_)
            return true;
        for (size_t i = 0; i < kGuard; ++i)
            if (base_[i] != kGuardByte || base_[kGuard + size_ + i] != kGuardByte)
                return false;
        return true;
    }

private:
    static constexpr size_t kPooledFrom = 64 * 1024;
    struct Pool {
        std::vector<uint8_t> bytes;
        bool inUse = false;
    };
    static Pool& threadPool()
    {
        static thread_local Pool pool;
        return pool;
    }
    void release()
    {
        if (pooled_)
            threadPool().inUse = false;
        pooled_ = false;
    }

    size_t size_ = 0;
    bool absent_ = true;
    bool pooled_ = false;
    uint8_t* base_ = nullptr;
    std::vector<uint8_t> own_;
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
