// The first DirectDraw interfaces, laid out as COM lays them out (a table of
// standard-call methods in this order), for the stand-in's ddraw.dll.
#pragma once

#include "platform/posix/winapi.h"

#define DD_OK S_OK
#define DDERR_GENERIC E_FAIL
#define DDERR_UNSUPPORTED static_cast<HRESULT>(0x80004001L)
#define DDERR_INVALIDPARAMS static_cast<HRESULT>(0x80070057L)

#define DDSCL_NORMAL 0x00000008u
#define DDSD_CAPS 0x00000001u
#define DDSD_HEIGHT 0x00000002u
#define DDSD_WIDTH 0x00000004u
#define DDSD_PITCH 0x00000008u
#define DDSD_PIXELFORMAT 0x00001000u
#define DDSD_LPSURFACE 0x00000800u
#define DDSCAPS_PRIMARYSURFACE 0x00000200u
#define DDPF_RGB 0x00000040u

typedef struct _DDCOLORKEY {
    DWORD dwColorSpaceLowValue;
    DWORD dwColorSpaceHighValue;
} DDCOLORKEY;

typedef struct _DDPIXELFORMAT {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwFourCC;
    union {
        DWORD dwRGBBitCount;
        DWORD dwYUVBitCount;
        DWORD dwZBufferBitDepth;
        DWORD dwAlphaBitDepth;
    };
    union {
        DWORD dwRBitMask;
        DWORD dwYBitMask;
    };
    union {
        DWORD dwGBitMask;
        DWORD dwUBitMask;
    };
    union {
        DWORD dwBBitMask;
        DWORD dwVBitMask;
    };
    union {
        DWORD dwRGBAlphaBitMask;
        DWORD dwYUVAlphaBitMask;
    };
} DDPIXELFORMAT;

typedef struct _DDSCAPS {
    DWORD dwCaps;
} DDSCAPS;

typedef struct _DDSURFACEDESC {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwHeight;
    DWORD dwWidth;
    union {
        LONG lPitch;
        DWORD dwLinearSize;
    };
    DWORD dwBackBufferCount;
    union {
        DWORD dwMipMapCount;
        DWORD dwZBufferBitDepth;
        DWORD dwRefreshRate;
    };
    DWORD dwAlphaBitDepth;
    DWORD dwReserved;
    LPVOID lpSurface;
    DDCOLORKEY ddckCKDestOverlay;
    DDCOLORKEY ddckCKDestBlt;
    DDCOLORKEY ddckCKSrcOverlay;
    DDCOLORKEY ddckCKSrcBlt;
    DDPIXELFORMAT ddpfPixelFormat;
    DDSCAPS ddsCaps;
} DDSURFACEDESC;

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(DDSURFACEDESC) == 108, "DDSURFACEDESC is 108 bytes");
static_assert(offsetof(DDSURFACEDESC, lpSurface) == 0x24 &&
                  offsetof(DDSURFACEDESC, ddpfPixelFormat) == 0x48 &&
                  offsetof(DDSURFACEDESC, ddsCaps) == 0x68,
              "DDSURFACEDESC layout");
#else
static_assert(sizeof(DDSURFACEDESC) == 120, "DDSURFACEDESC is 120 bytes on 64 bits");
static_assert(offsetof(DDSURFACEDESC, lpSurface) == 0x28 &&
                  offsetof(DDSURFACEDESC, ddpfPixelFormat) == 0x50 &&
                  offsetof(DDSURFACEDESC, ddsCaps) == 0x70,
              "DDSURFACEDESC layout on 64 bits");
#endif

struct IDirectDrawSurface;
typedef IDirectDrawSurface* LPDIRECTDRAWSURFACE;
typedef DDSURFACEDESC* LPDDSURFACEDESC;

// Methods the library never calls keep their slots with untyped arguments.
struct IUnknown {
    virtual HRESULT WINAPI QueryInterface(REFIID riid, void** object) = 0;
    virtual ULONG WINAPI AddRef() = 0;
    virtual ULONG WINAPI Release() = 0;
};

struct IDirectDraw : IUnknown {
    virtual HRESULT WINAPI Compact() = 0;
    virtual HRESULT WINAPI CreateClipper(DWORD, void*, IUnknown*) = 0;
    virtual HRESULT WINAPI CreatePalette(DWORD, void*, void*, IUnknown*) = 0;
    virtual HRESULT WINAPI CreateSurface(LPDDSURFACEDESC desc, LPDIRECTDRAWSURFACE* surface,
                                         IUnknown* outer) = 0;
    virtual HRESULT WINAPI DuplicateSurface(LPDIRECTDRAWSURFACE, LPDIRECTDRAWSURFACE*) = 0;
    virtual HRESULT WINAPI EnumDisplayModes(DWORD, LPDDSURFACEDESC, LPVOID, void*) = 0;
    virtual HRESULT WINAPI EnumSurfaces(DWORD, LPDDSURFACEDESC, LPVOID, void*) = 0;
    virtual HRESULT WINAPI FlipToGDISurface() = 0;
    virtual HRESULT WINAPI GetCaps(void*, void*) = 0;
    virtual HRESULT WINAPI GetDisplayMode(LPDDSURFACEDESC) = 0;
    virtual HRESULT WINAPI GetFourCCCodes(LPDWORD, LPDWORD) = 0;
    virtual HRESULT WINAPI GetGDISurface(LPDIRECTDRAWSURFACE*) = 0;
    virtual HRESULT WINAPI GetMonitorFrequency(LPDWORD) = 0;
    virtual HRESULT WINAPI GetScanLine(LPDWORD) = 0;
    virtual HRESULT WINAPI GetVerticalBlankStatus(BOOL*) = 0;
    virtual HRESULT WINAPI Initialize(GUID*) = 0;
    virtual HRESULT WINAPI RestoreDisplayMode() = 0;
    virtual HRESULT WINAPI SetCooperativeLevel(HWND window, DWORD flags) = 0;
    virtual HRESULT WINAPI SetDisplayMode(DWORD, DWORD, DWORD) = 0;
    virtual HRESULT WINAPI WaitForVerticalBlank(DWORD, HANDLE) = 0;
};
typedef IDirectDraw* LPDIRECTDRAW;

struct IDirectDrawSurface : IUnknown {
    virtual HRESULT WINAPI AddAttachedSurface(LPDIRECTDRAWSURFACE) = 0;
    virtual HRESULT WINAPI AddOverlayDirtyRect(RECT*) = 0;
    virtual HRESULT WINAPI Blt(RECT*, LPDIRECTDRAWSURFACE, RECT*, DWORD, void*) = 0;
    virtual HRESULT WINAPI BltBatch(void*, DWORD, DWORD) = 0;
    virtual HRESULT WINAPI BltFast(DWORD, DWORD, LPDIRECTDRAWSURFACE, RECT*, DWORD) = 0;
    virtual HRESULT WINAPI DeleteAttachedSurface(DWORD, LPDIRECTDRAWSURFACE) = 0;
    virtual HRESULT WINAPI EnumAttachedSurfaces(LPVOID, void*) = 0;
    virtual HRESULT WINAPI EnumOverlayZOrders(DWORD, LPVOID, void*) = 0;
    virtual HRESULT WINAPI Flip(LPDIRECTDRAWSURFACE, DWORD) = 0;
    virtual HRESULT WINAPI GetAttachedSurface(DDSCAPS*, LPDIRECTDRAWSURFACE*) = 0;
    virtual HRESULT WINAPI GetBltStatus(DWORD) = 0;
    virtual HRESULT WINAPI GetCaps(DDSCAPS*) = 0;
    virtual HRESULT WINAPI GetClipper(void**) = 0;
    virtual HRESULT WINAPI GetColorKey(DWORD, DDCOLORKEY*) = 0;
    virtual HRESULT WINAPI GetDC(HDC*) = 0;
    virtual HRESULT WINAPI GetFlipStatus(DWORD) = 0;
    virtual HRESULT WINAPI GetOverlayPosition(LONG*, LONG*) = 0;
    virtual HRESULT WINAPI GetPalette(void**) = 0;
    virtual HRESULT WINAPI GetPixelFormat(DDPIXELFORMAT*) = 0;
    virtual HRESULT WINAPI GetSurfaceDesc(LPDDSURFACEDESC desc) = 0;
    virtual HRESULT WINAPI Initialize(LPDIRECTDRAW, LPDDSURFACEDESC) = 0;
    virtual HRESULT WINAPI IsLost() = 0;
    virtual HRESULT WINAPI Lock(RECT* rect, LPDDSURFACEDESC desc, DWORD flags, HANDLE event) = 0;
    virtual HRESULT WINAPI ReleaseDC(HDC) = 0;
    virtual HRESULT WINAPI Restore() = 0;
    virtual HRESULT WINAPI SetClipper(void*) = 0;
    virtual HRESULT WINAPI SetColorKey(DWORD, DDCOLORKEY*) = 0;
    virtual HRESULT WINAPI SetOverlayPosition(LONG, LONG) = 0;
    virtual HRESULT WINAPI SetPalette(void*) = 0;
    virtual HRESULT WINAPI Unlock(LPVOID surface) = 0;
    virtual HRESULT WINAPI UpdateOverlay(RECT*, LPDIRECTDRAWSURFACE, RECT*, DWORD, void*) = 0;
    virtual HRESULT WINAPI UpdateOverlayDisplay(DWORD) = 0;
    virtual HRESULT WINAPI UpdateOverlayZOrder(DWORD, LPDIRECTDRAWSURFACE) = 0;
};
