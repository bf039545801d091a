// Re-entrant lock of the support library, and the scope object through which
// the library always holds it.
#pragma once

#include <mutex>

class SEMAPHORE {
public:
    explicit SEMAPHORE(int kind);
    ~SEMAPHORE();
    SEMAPHORE(const SEMAPHORE&) = delete;
    SEMAPHORE& operator=(const SEMAPHORE&) = delete;

    // On return the calling thread holds the lock; a holder may enter again.
    int in(int wait);
    // Releases one hold.
    int out();

private:
    std::recursive_mutex mutex_;
};

// Holds a SEMAPHORE for the life of the scope, on every exit path.
class SemaphoreScope {
public:
    explicit SemaphoreScope(SEMAPHORE& lock) : lock_(lock) { lock_.in(0); }
    ~SemaphoreScope() { lock_.out(); }
    SemaphoreScope(const SemaphoreScope&) = delete;
    SemaphoreScope& operator=(const SemaphoreScope&) = delete;

private:
    SEMAPHORE& lock_;
};
