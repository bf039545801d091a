#include "display/display_mode.h"

#include <cstring>
#include <mutex>

#include <saa7146/dcard.h>

#include "support/module_state.h"

namespace {

// The display values last sent, for the mode they were found in. Shared by
// all cards while each overlay holds only its own card's lock, so it has a
// lock of its own, held only while it is read or written.
struct DisplayValues {
    int32_t bitsPerPixel, bytesPerPixel, bytesPerLine, width, height;
};
struct DisplayModeCache {
    std::mutex lock;
    int32_t key[3] = {-1, -1, -1}; // width, height, bits per pixel
    DisplayValues values{};
};

DisplayModeCache& cache()
{
    return moduleState<DisplayModeCache>();
}

DisplayValues valuesOf(const driver::OverlayRequest& request)
{
    return {request.bitsPerPixel, request.bytesPerPixel, request.bytesPerLine, request.width,
            request.height};
}

void putValues(driver::OverlayRequest& request, const DisplayValues& values)
{
    request.bitsPerPixel = values.bitsPerPixel;
    request.bytesPerPixel = values.bytesPerPixel;
    request.bytesPerLine = values.bytesPerLine;
    request.width = values.width;
    request.height = values.height;
}

void describeInto(DDSURFACEDESC& desc)
{
    memset(&desc, 0, sizeof(desc));
    desc.dwSize = sizeof(desc);
}

// The primary surface of a new DirectDraw object at the normal cooperative
// level; null (with nothing left to release but the object) on failure.
LPDIRECTDRAWSURFACE createPrimary(LPDIRECTDRAW directDraw)
{
    if (FAILED(directDraw->SetCooperativeLevel(nullptr, DDSCL_NORMAL)))
        return nullptr;
    DDSURFACEDESC desc;
    describeInto(desc);
    desc.dwFlags = DDSD_CAPS;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    LPDIRECTDRAWSURFACE surface = nullptr;
    if (FAILED(directDraw->CreateSurface(&desc, &surface, nullptr)))
        return nullptr;
    return surface;
}

typedef uint32_t(WINAPI* TavHelperInitFn)(uint32_t index);
typedef uint32_t(WINAPI* TavHelperVirt2PhysFn)(uint32_t number, uint32_t address,
                                               uint32_t* physical);
typedef uint32_t(WINAPI* TavHelperExitFn)(uint32_t value);

} // namespace

void queryDisplayMode(CardDisplay& display, driver::OverlayRequest& request)
{
    const int32_t key[3] = {request.width, request.height, request.bitsPerPixel};
    {
        DisplayModeCache& shared = cache();
        std::lock_guard<std::mutex> hold(shared.lock);
        if (memcmp(shared.key, key, sizeof(key)) == 0) {
            putValues(request, shared.values);
            return;
        }
        // A DirectDraw failure below leaves the display settings' values
        // cached for this mode.
        memcpy(shared.key, key, sizeof(key));
        shared.values = valuesOf(request);
    }

    // ddraw.dll is held for this query only; its entry point goes with it.
    if (display.ddrawTried && !display.ddrawLoadable)
        return;
    display.ddrawTried = true;
    HMODULE module = loadDirectDraw();
    auto create = procedure<DirectDrawCreateFn>(module, "DirectDrawCreate");
    display.ddrawLoadable = create != nullptr;
    auto release = [module] {
        if (module)
            FreeLibrary(module);
    };
    LPDIRECTDRAW directDraw = nullptr;
    if (!create || FAILED(create(nullptr, &directDraw, nullptr)) || !directDraw) {
        release();
        return;
    }
    if (LPDIRECTDRAWSURFACE surface = createPrimary(directDraw)) {
        DDSURFACEDESC desc;
        describeInto(desc);
        if (SUCCEEDED(surface->GetSurfaceDesc(&desc))) {
            request.width = static_cast<int32_t>(desc.dwWidth);
            request.height = static_cast<int32_t>(desc.dwHeight);
            request.bitsPerPixel = static_cast<int32_t>(desc.ddpfPixelFormat.dwRGBBitCount);
            request.bytesPerPixel = static_cast<int32_t>(desc.ddpfPixelFormat.dwRGBBitCount >> 3);
            request.bytesPerLine = desc.lPitch;
            DisplayModeCache& shared = cache();
            std::lock_guard<std::mutex> hold(shared.lock);
            // Another card may have seen a newer mode meanwhile; its values stay.
            if (memcmp(shared.key, key, sizeof(key)) == 0)
                shared.values = valuesOf(request);
        }
        surface->Release();
    }
    directDraw->Release();
    release();
}

void forgetDisplayMode()
{
    {
        DisplayModeCache& shared = cache();
        std::lock_guard<std::mutex> hold(shared.lock);
        shared.key[0] = shared.key[1] = shared.key[2] = -1;
        shared.values = {};
    }
    forgetCardDisplays();
}

void displaySetup(int handle, const DisplayModules& modules)
{
    auto create = procedure<DirectDrawCreateFn>(modules.ddraw, "DirectDrawCreate");
    LPDIRECTDRAW directDraw = nullptr;
    if (!create || FAILED(create(nullptr, &directDraw, nullptr)) || !directDraw)
        return;
    uint32_t physical = 0;
    if (LPDIRECTDRAWSURFACE surface = createPrimary(directDraw)) {
        DDSURFACEDESC desc;
        describeInto(desc);
        if (SUCCEEDED(surface->GetSurfaceDesc(&desc)) &&
            SUCCEEDED(surface->Lock(nullptr, &desc, 0, nullptr))) {
            // Translated while locked: the surface may not move meanwhile.
            // The helper takes a 32-bit address: one that does not fit is
            // not translated (a 64-bit build only).
            if (driver::addressFits(desc.lpSurface))
                physical = HelperVirt2Phys(modules.helper, driver::addressWord(desc.lpSurface));
            surface->Unlock(desc.lpSurface);
        }
        surface->Release();
    }
    directDraw->Release();
    if (physical != 0)
        DCardSetDriverParam(handle, 0, 5, static_cast<int>(physical));
}

uint32_t HelperVirt2Phys(HMODULE helper, uint32_t address)
{
    if (!helper)
        return 0;
    auto init = procedure<TavHelperInitFn>(helper, "TavHelperInit");
    auto translate = procedure<TavHelperVirt2PhysFn>(helper, "TavHelperVirt2Phys");
    auto exit = procedure<TavHelperExitFn>(helper, "TavHelperExit");
    uint32_t physical = 0;
    if (init && translate && exit) {
        uint32_t opened = 0;
        for (uint32_t index = 0; index < 10 && !opened; ++index)
            opened = init(index);
        // Tried whether or not the helper opened; numbers start at 1.
        for (uint32_t number = 1; number <= 9; ++number) {
            uint32_t result = 0;
            if (translate(number, address, &result)) {
                physical = result;
                break;
            }
        }
        if (opened)
            exit(opened);
    }
    return physical;
}
