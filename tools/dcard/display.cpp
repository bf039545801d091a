// The display settings, refined by DirectDraw's primary surface, as the
// library's overlay reads them; and where the primary surface lies.
#include "display.h"

#include <cstring>

#include "platform/direct_draw.h"

DisplayInfo queryDisplay()
{
    DisplayInfo info;
    DEVMODEA settings;
    memset(&settings, 0, sizeof(settings));
    settings.dmSize = offsetof(DEVMODEA, dmPanningWidth);
    if (!EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &settings))
        return info;
    info.known = true;
    info.width = int(settings.dmPelsWidth);
    info.height = int(settings.dmPelsHeight);
    info.bitsPerPixel = int(settings.dmBitsPerPel);
    info.bytesPerPixel = (info.bitsPerPixel + 7) / 8;
    info.pitch = info.width * info.bytesPerPixel;

    HMODULE module = LoadLibraryA("ddraw.dll");
    if (!module)
        return info;
    auto create = reinterpret_cast<DirectDrawCreateFn>(
        reinterpret_cast<void*>(GetProcAddress(module, "DirectDrawCreate")));
    LPDIRECTDRAW directDraw = nullptr;
    if (create && SUCCEEDED(create(nullptr, &directDraw, nullptr)) && directDraw) {
        DDSURFACEDESC desc;
        memset(&desc, 0, sizeof(desc));
        desc.dwSize = sizeof(desc);
        desc.dwFlags = DDSD_CAPS;
        desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
        LPDIRECTDRAWSURFACE surface = nullptr;
        if (SUCCEEDED(directDraw->SetCooperativeLevel(nullptr, DDSCL_NORMAL)) &&
            SUCCEEDED(directDraw->CreateSurface(&desc, &surface, nullptr)) && surface) {
            memset(&desc, 0, sizeof(desc));
            desc.dwSize = sizeof(desc);
            if (SUCCEEDED(surface->GetSurfaceDesc(&desc))) {
                info.fromDirectDraw = true;
                info.width = int(desc.dwWidth);
                info.height = int(desc.dwHeight);
                info.bitsPerPixel = int(desc.ddpfPixelFormat.dwRGBBitCount);
                info.bytesPerPixel = info.bitsPerPixel >> 3;
                info.pitch = int(desc.lPitch);
                if (SUCCEEDED(surface->Lock(nullptr, &desc, 0, nullptr))) {
                    info.haveSurface = true;
                    info.surfaceAddress =
                        uint32_t(reinterpret_cast<uintptr_t>(desc.lpSurface));
                    surface->Unlock(desc.lpSurface);
                }
            }
            surface->Release();
        }
        directDraw->Release();
    }
    FreeLibrary(module);
    return info;
}
