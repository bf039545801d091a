// The stand-in's ddraw.dll: a DirectDraw object that makes the primary
// surface of the display and describes and locks it as the control API says.
#include <cstring>

#include <sys/mman.h>

#include "platform/posix/display.h"

namespace {

// The surface's own page, low as a display's frame buffer is: in the first
// 4 GB also for a 64-bit process, so the maker's helper can take its address.
void* lowPage()
{
#if defined(MAP_32BIT)
    const int low = sizeof(void*) > 4 ? MAP_32BIT : 0;
#else
    const int low = 0;
#endif
    void* page = mmap(nullptr, 4096, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | low, -1, 0);
    static char fallback[4096];
    return page == MAP_FAILED ? fallback : page;
}

using standin::displayLock;
using standin::displayState;

#define UNSUPPORTED_METHOD(name, ...)                  \
    HRESULT WINAPI name(__VA_ARGS__) override          \
    {                                                  \
        return DDERR_UNSUPPORTED;                      \
    }

// The primary surface as the settings describe it. The caller holds displayLock().
void describePrimary(DDSURFACEDESC& desc)
{
    const standin::DisplayState& state = displayState();
    const standin::DirectDrawSettings& set = state.directDraw;
    uint32_t bits = set.bitCount ? set.bitCount : state.mode.bitsPerPixel;
    uint32_t width = set.width ? set.width : state.mode.width;
    desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PITCH | DDSD_PIXELFORMAT;
    desc.dwWidth = width;
    desc.dwHeight = set.height ? set.height : state.mode.height;
    desc.lPitch = set.pitch ? set.pitch : static_cast<LONG>(width * ((bits + 7) / 8));
    desc.ddpfPixelFormat.dwSize = sizeof(DDPIXELFORMAT);
    desc.ddpfPixelFormat.dwFlags = DDPF_RGB;
    desc.ddpfPixelFormat.dwRGBBitCount = bits;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
}

// Every call into the module's objects is counted against its loads. The
// caller holds displayLock().
void calledIn()
{
    standin::noteCallInto("ddraw.dll");
}

ULONG addReference(ULONG& references)
{
    std::lock_guard<std::mutex> hold(displayLock());
    calledIn();
    return ++references;
}

// One reference less; the last one deletes the object and counts it gone.
template <class Object> ULONG releaseObject(Object* object, ULONG& references)
{
    ULONG left;
    {
        std::lock_guard<std::mutex> hold(displayLock());
        calledIn();
        calledIn();
        left = --references;
        if (left == 0)
            --displayState().counts.liveObjects;
    }
    if (left == 0)
        delete object;
    return left;
}

class Surface final : public IDirectDrawSurface {
public:
    HRESULT WINAPI QueryInterface(REFIID, void**) override { return DDERR_UNSUPPORTED; }
    ULONG WINAPI AddRef() override { return addReference(references_); }
    ULONG WINAPI Release() override { return releaseObject(this, references_); }

    UNSUPPORTED_METHOD(AddAttachedSurface, LPDIRECTDRAWSURFACE)
    UNSUPPORTED_METHOD(AddOverlayDirtyRect, RECT*)
    UNSUPPORTED_METHOD(Blt, RECT*, LPDIRECTDRAWSURFACE, RECT*, DWORD, void*)
    UNSUPPORTED_METHOD(BltBatch, void*, DWORD, DWORD)
    UNSUPPORTED_METHOD(BltFast, DWORD, DWORD, LPDIRECTDRAWSURFACE, RECT*, DWORD)
    UNSUPPORTED_METHOD(DeleteAttachedSurface, DWORD, LPDIRECTDRAWSURFACE)
    UNSUPPORTED_METHOD(EnumAttachedSurfaces, LPVOID, void*)
    UNSUPPORTED_METHOD(EnumOverlayZOrders, DWORD, LPVOID, void*)
    UNSUPPORTED_METHOD(Flip, LPDIRECTDRAWSURFACE, DWORD)
    UNSUPPORTED_METHOD(GetAttachedSurface, DDSCAPS*, LPDIRECTDRAWSURFACE*)
    UNSUPPORTED_METHOD(GetBltStatus, DWORD)
    UNSUPPORTED_METHOD(GetCaps, DDSCAPS*)
    UNSUPPORTED_METHOD(GetClipper, void**)
    UNSUPPORTED_METHOD(GetColorKey, DWORD, DDCOLORKEY*)
    UNSUPPORTED_METHOD(GetDC, HDC*)
    UNSUPPORTED_METHOD(GetFlipStatus, DWORD)
    UNSUPPORTED_METHOD(GetOverlayPosition, LONG*, LONG*)
    UNSUPPORTED_METHOD(GetPalette, void**)
    UNSUPPORTED_METHOD(GetPixelFormat, DDPIXELFORMAT*)
    UNSUPPORTED_METHOD(Initialize, LPDIRECTDRAW, LPDDSURFACEDESC)
    UNSUPPORTED_METHOD(IsLost)
    UNSUPPORTED_METHOD(ReleaseDC, HDC)
    UNSUPPORTED_METHOD(Restore)
    UNSUPPORTED_METHOD(SetClipper, void*)
    UNSUPPORTED_METHOD(SetColorKey, DWORD, DDCOLORKEY*)
    UNSUPPORTED_METHOD(SetOverlayPosition, LONG, LONG)
    UNSUPPORTED_METHOD(SetPalette, void*)
    UNSUPPORTED_METHOD(UpdateOverlay, RECT*, LPDIRECTDRAWSURFACE, RECT*, DWORD, void*)
    UNSUPPORTED_METHOD(UpdateOverlayDisplay, DWORD)
    UNSUPPORTED_METHOD(UpdateOverlayZOrder, DWORD, LPDIRECTDRAWSURFACE)

    HRESULT WINAPI GetSurfaceDesc(LPDDSURFACEDESC desc) override
    {
        std::lock_guard<std::mutex> hold(displayLock());
        calledIn();
        if (!desc || desc->dwSize != sizeof(DDSURFACEDESC))
            return DDERR_INVALIDPARAMS;
        if (displayState().directDraw.describeFails)
            return DDERR_GENERIC;
        describePrimary(*desc);
        return DD_OK;
    }

    HRESULT WINAPI Lock(RECT* rect, LPDDSURFACEDESC desc, DWORD, HANDLE) override
    {
        std::lock_guard<std::mutex> hold(displayLock());
        calledIn();
        if (rect || !desc || desc->dwSize != sizeof(DDSURFACEDESC) || locked_)
            return DDERR_INVALIDPARAMS;
        standin::DisplayState& state = displayState();
        if (state.directDraw.lockFails)
            return DDERR_GENERIC;
        describePrimary(*desc);
        desc->dwFlags |= DDSD_LPSURFACE;
        desc->lpSurface = surfaceAddress();
        locked_ = true;
        ++state.counts.locks;
        return DD_OK;
    }

    HRESULT WINAPI Unlock(LPVOID) override
    {
        std::lock_guard<std::mutex> hold(displayLock());
        calledIn();
        if (!locked_)
            return DDERR_GENERIC;
        locked_ = false;
        ++displayState().counts.unlocks;
        return DD_OK;
    }

    // The caller holds displayLock().
    static void* surfaceAddress()
    {
        standin::DisplayState& state = displayState();
        if (state.directDraw.surfaceAddress)
            return reinterpret_cast<void*>(static_cast<uintptr_t>(state.directDraw.surfaceAddress));
        if (!state.frameBuffer)
            state.frameBuffer = lowPage();
        return state.frameBuffer;
    }

private:
    ULONG references_ = 1;
    bool locked_ = false;
};

class DirectDraw final : public IDirectDraw {
public:
    HRESULT WINAPI QueryInterface(REFIID, void**) override { return DDERR_UNSUPPORTED; }
    ULONG WINAPI AddRef() override { return addReference(references_); }
    ULONG WINAPI Release() override { return releaseObject(this, references_); }

    UNSUPPORTED_METHOD(Compact)
    UNSUPPORTED_METHOD(CreateClipper, DWORD, void*, IUnknown*)
    UNSUPPORTED_METHOD(CreatePalette, DWORD, void*, void*, IUnknown*)
    UNSUPPORTED_METHOD(DuplicateSurface, LPDIRECTDRAWSURFACE, LPDIRECTDRAWSURFACE*)
    UNSUPPORTED_METHOD(EnumDisplayModes, DWORD, LPDDSURFACEDESC, LPVOID, void*)
    UNSUPPORTED_METHOD(EnumSurfaces, DWORD, LPDDSURFACEDESC, LPVOID, void*)
    UNSUPPORTED_METHOD(FlipToGDISurface)
    UNSUPPORTED_METHOD(GetCaps, void*, void*)
    UNSUPPORTED_METHOD(GetDisplayMode, LPDDSURFACEDESC)
    UNSUPPORTED_METHOD(GetFourCCCodes, LPDWORD, LPDWORD)
    UNSUPPORTED_METHOD(GetGDISurface, LPDIRECTDRAWSURFACE*)
    UNSUPPORTED_METHOD(GetMonitorFrequency, LPDWORD)
    UNSUPPORTED_METHOD(GetScanLine, LPDWORD)
    UNSUPPORTED_METHOD(GetVerticalBlankStatus, BOOL*)
    UNSUPPORTED_METHOD(Initialize, GUID*)
    UNSUPPORTED_METHOD(RestoreDisplayMode)
    UNSUPPORTED_METHOD(SetDisplayMode, DWORD, DWORD, DWORD)
    UNSUPPORTED_METHOD(WaitForVerticalBlank, DWORD, HANDLE)

    HRESULT WINAPI SetCooperativeLevel(HWND, DWORD flags) override
    {
        std::lock_guard<std::mutex> hold(displayLock());
        calledIn();
        standin::DisplayState& state = displayState();
        state.counts.lastCooperativeFlags = flags;
        if (state.directDraw.cooperativeFails)
            return DDERR_GENERIC;
        cooperative_ = true;
        return DD_OK;
    }

    HRESULT WINAPI CreateSurface(LPDDSURFACEDESC desc, LPDIRECTDRAWSURFACE* surface,
                                 IUnknown* outer) override
    {
        std::lock_guard<std::mutex> hold(displayLock());
        calledIn();
        if (!desc || !surface || outer || desc->dwSize != sizeof(DDSURFACEDESC))
            return DDERR_INVALIDPARAMS;
        *surface = nullptr;
        standin::DisplayState& state = displayState();
        // Only the primary surface, and only once a cooperative level is set.
        if (!cooperative_ || !(desc->dwFlags & DDSD_CAPS) ||
            desc->ddsCaps.dwCaps != DDSCAPS_PRIMARYSURFACE || state.directDraw.createSurfaceFails)
            return DDERR_GENERIC;
        *surface = new Surface;
        ++state.counts.surfaces;
        ++state.counts.liveObjects;
        return DD_OK;
    }

private:
    ULONG references_ = 1;
    bool cooperative_ = false;
};

#undef UNSUPPORTED_METHOD

HRESULT WINAPI DirectDrawCreate(GUID* driver, LPDIRECTDRAW* object, IUnknown* outer)
{
    std::lock_guard<std::mutex> hold(displayLock());
    calledIn();
    if (!object || outer || driver)
        return DDERR_INVALIDPARAMS;
    *object = nullptr;
    standin::DisplayState& state = displayState();
    if (state.directDraw.createFails)
        return DDERR_GENERIC;
    *object = new DirectDraw;
    ++state.counts.created;
    ++state.counts.liveObjects;
    return DD_OK;
}

} // namespace

namespace standin {

FARPROC directDrawExport(const char* name)
{
    if (strcmp(name, "DirectDrawCreate") == 0)
        return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(DirectDrawCreate));
    return nullptr;
}

uint64_t primarySurfaceAddress()
{
    std::lock_guard<std::mutex> hold(displayLock());
    return reinterpret_cast<uintptr_t>(Surface::surfaceAddress());
}

} // namespace standin
