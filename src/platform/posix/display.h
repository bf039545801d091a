// Inside the stand-in: the display, its DirectDraw and the physical-memory
// helper, shared by the files that implement them. Everything here is
// guarded by displayLock().
#pragma once

#include <mutex>
#include <vector>

#include "platform/posix/control.h"
#include "platform/posix/ddraw.h"

namespace standin {

std::mutex& displayLock();

struct DisplayState {
    DisplayMode mode;
    bool settingsFail = false;
    DirectDrawSettings directDraw;
    DirectDrawCounts counts;
    TavHelperSettings helper;
    std::vector<HelperCall> helperCalls;
    void* frameBuffer = nullptr; // what Lock hands out unless an address is set
};
// The caller holds displayLock().
DisplayState& displayState();

// The exports of the two modules, by name; null for a name they lack.
FARPROC directDrawExport(const char* name);
FARPROC tavHelperExport(const char* name);
// The modules back to their defaults. The caller holds displayLock().
void resetModules();
// Counts a call into the module's code (ddraw.dll's objects) made while no
// load holds it, which on Windows runs unmapped code. The caller holds
// displayLock().
void noteCallInto(const char* name);
void setModuleAvailableLocked(const char* name, bool available);

} // namespace standin
