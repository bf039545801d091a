// Module-wide state of the library: made on first use, from any thread, and
// freed by releaseModuleState() when the library is unloaded (FreeLibrary),
// after everything that uses it is done; never at the process's end, where
// the system takes the memory back and a thread it stopped may still hold
// what is in it. Used again after a release, it is made afresh.
#pragma once

#include <atomic>
#include <mutex>

void keepForRelease(void (*release)());
std::mutex& moduleStateLock();

// Everything made by moduleState freed: the library is being unloaded.
void releaseModuleState();

template <class T> T& moduleState()
{
    // Constant-initialized and trivially destroyed: no guard, no destructor.
    static std::atomic<T*> instance{nullptr};
    T* made = instance.load(std::memory_order_acquire);
    if (made)
        return *made;
    std::lock_guard<std::mutex> hold(moduleStateLock());
    made = instance.load(std::memory_order_relaxed);
    if (!made) {
        made = new T();
        instance.store(made, std::memory_order_release);
        keepForRelease([] { delete instance.exchange(nullptr); });
    }
    return *made;
}
