// The two libraries the display side loads at run time, each from one
// folder only: the system's ddraw.dll from the system's own folder (never a
// ddraw.dll that a host's folder or the current folder holds), and the card
// maker's TavHelpr.dll from the folder this library was loaded from, where
// the maker installs it beside the library. Never loaded or freed while a
// lock of ours is held or a surface is locked: loading takes the system's
// loader lock, which a thread waiting for one of our locks may hold.
#pragma once

#include "platform/direct_draw.h"
#include "platform/platform.h"

HMODULE loadDirectDraw();
HMODULE loadTavHelper();

// Both, loaded for DCardInit's display set-up before it takes the card
// table's lock, and freed after it let go of it.
class DisplayModules {
public:
    DisplayModules() : ddraw(loadDirectDraw()), helper(loadTavHelper()) {}
    ~DisplayModules()
    {
        if (ddraw)
            FreeLibrary(ddraw);
        if (helper)
            FreeLibrary(helper);
    }
    DisplayModules(const DisplayModules&) = delete;
    DisplayModules& operator=(const DisplayModules&) = delete;

    HMODULE ddraw;
    HMODULE helper;
};

template <class Function> Function procedure(HMODULE module, const char* name)
{
    return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                  : nullptr;
}
