// The display's current mode, and the control of the display stand-ins.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/posix/display.h"

namespace standin {

namespace {

// The display and the helper as the environment sets them for tools:
// SAA7146_DISPLAY=WIDTHxHEIGHTxBITS[@HZ], and SAA7146_TAVHELPR=1 for a
// maker's helper that opens at its first index and translates.
void applyEnvironment(DisplayState& state)
{
    if (const char* text = getenv("SAA7146_DISPLAY")) {
        unsigned width = 0, height = 0, bits = 0, refresh = 60;
        int fields = sscanf(text, "%ux%ux%u@%u", &width, &height, &bits, &refresh);
        if (fields >= 3 && width && height && bits)
            state.mode = {width, height, bits, refresh};
    }
    const char* helper = getenv("SAA7146_TAVHELPR");
    if (helper && strcmp(helper, "1") == 0) {
        setModuleAvailableLocked("TavHelpr.dll", true);
        state.helper.initResults[0] = 1;
        state.helper.translateFrom = 1;
    }
}

} // namespace

std::mutex& displayLock()
{
    static std::mutex& lock = *new std::mutex;
    return lock;
}

DisplayState& displayState()
{
    static DisplayState& state = *[] {
        auto* made = new DisplayState;
        applyEnvironment(*made);
        return made;
    }();
    return state;
}

void setDisplayMode(const DisplayMode& mode)
{
    std::lock_guard<std::mutex> hold(displayLock());
    displayState().mode = mode;
}

DisplayMode displayMode()
{
    std::lock_guard<std::mutex> hold(displayLock());
    return displayState().mode;
}

void setDisplaySettingsFail(bool fail)
{
    std::lock_guard<std::mutex> hold(displayLock());
    displayState().settingsFail = fail;
}

void setDirectDraw(const DirectDrawSettings& settings)
{
    std::lock_guard<std::mutex> hold(displayLock());
    displayState().directDraw = settings;
}

DirectDrawCounts directDrawCounts()
{
    std::lock_guard<std::mutex> hold(displayLock());
    return displayState().counts;
}

void setTavHelper(const TavHelperSettings& settings)
{
    std::lock_guard<std::mutex> hold(displayLock());
    displayState().helper = settings;
}

std::vector<HelperCall> helperCalls()
{
    std::lock_guard<std::mutex> hold(displayLock());
    return displayState().helperCalls;
}

void resetDisplay()
{
    std::lock_guard<std::mutex> hold(displayLock());
    DisplayState& state = displayState();
    state.mode = {};
    state.settingsFail = false;
    state.directDraw = {};
    state.counts = {};
    state.helper = {};
    state.helperCalls.clear();
    resetModules();
    applyEnvironment(state);
}

} // namespace standin

extern "C" BOOL WINAPI EnumDisplaySettingsA(LPCSTR device, DWORD mode, DEVMODEA* settings)
{
    std::lock_guard<std::mutex> hold(standin::displayLock());
    const standin::DisplayState& state = standin::displayState();
    // One display, and only its current mode.
    if (device || mode != ENUM_CURRENT_SETTINGS || !settings || state.settingsFail)
        return FALSE;
    if (settings->dmSize < offsetof(DEVMODEA, dmDisplayFrequency) + sizeof(DWORD))
        return FALSE;
    // What fits the caller's dmSize, as the structure grew over the versions.
    DEVMODEA filled;
    memset(&filled, 0, sizeof(filled));
    memcpy(filled.dmDeviceName, "DISPLAY", 8);
    filled.dmSpecVersion = 0x0401;
    filled.dmSize = settings->dmSize;
    filled.dmDriverExtra = 0;
    filled.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFREQUENCY;
    filled.dmBitsPerPel = state.mode.bitsPerPixel;
    filled.dmPelsWidth = state.mode.width;
    filled.dmPelsHeight = state.mode.height;
    filled.dmDisplayFrequency = state.mode.refresh;
    size_t size = settings->dmSize < sizeof(filled) ? settings->dmSize : sizeof(filled);
    memcpy(settings, &filled, size);
    return TRUE;
}
