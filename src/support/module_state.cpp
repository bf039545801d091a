#include "support/module_state.h"

#include <vector>

namespace {

std::vector<void (*)()>* releases = nullptr; // under moduleStateLock()

} // namespace

std::mutex& moduleStateLock()
{
    static std::mutex lock; // trivially destroyed
    return lock;
}

void keepForRelease(void (*release)())
{
    if (!releases)
        releases = new std::vector<void (*)()>;
    releases->push_back(release);
}

void releaseModuleState()
{
    std::vector<void (*)()>* taken;
    {
        std::lock_guard<std::mutex> hold(moduleStateLock());
        taken = releases;
        releases = nullptr;
    }
    if (!taken)
        return;
    for (auto it = taken->rbegin(); it != taken->rend(); ++it)
        (*it)();
    delete taken;
}
