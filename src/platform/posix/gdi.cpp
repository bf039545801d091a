// The screen's device context and device-dependent bitmaps. The screen is
// taken to be 32 bits per pixel, so a bitmap keeps each pixel as 0x00RRGGBB;
// CreateDIBitmap decodes the DIB formats the library makes (8 bits through
// the palette, 16 bits as 5-5-5, 24 and 32 bits), bottom-up or top-down.
#include <cstring>
#include <map>
#include <mutex>

#include "platform/posix/control.h"
#include "platform/posix/winapi.h"

namespace {

struct Bitmap {
    standin::BitmapPixels picture;
};

struct Gdi {
    std::mutex mutex;
    std::map<HBITMAP, Bitmap> bitmaps;
    uintptr_t next = 0x2000;
};

Gdi& gdi()
{
    static Gdi& all = *new Gdi;
    return all;
}

HDC screen()
{
    return reinterpret_cast<HDC>(static_cast<uintptr_t>(0x1D0));
}

uint32_t rgb(uint8_t r, uint8_t g, uint8_t b)
{
    return uint32_t(r) << 16 | uint32_t(g) << 8 | b;
}

bool decode(const BITMAPINFOHEADER& header, const void* bits, const BITMAPINFO* info,
            standin::BitmapPixels& out)
{
    int width = header.biWidth;
    int height = header.biHeight < 0 ? -header.biHeight : header.biHeight;
    int depth = header.biBitCount;
    if (width <= 0 || height <= 0 || header.biCompression != BI_RGB)
        return false;
    if (depth != 8 && depth != 16 && depth != 24 && depth != 32)
        return false;
    size_t stride = ((size_t(width) * depth + 31) / 32) * 4;
    const RGBQUAD* palette = info ? info->bmiColors : nullptr;
    out.width = width;
    out.height = height;
    out.pixels.assign(size_t(width) * size_t(height), 0);
    const auto* data = static_cast<const uint8_t*>(bits);
    for (int y = 0; y < height; ++y) {
        int row = header.biHeight > 0 ? height - 1 - y : y; // DIB rows bottom-up when positive
        const uint8_t* line = data + stride * size_t(row);
        for (int x = 0; x < width; ++x) {
            uint32_t pixel = 0;
            if (depth == 8) {
                if (!palette)
                    return false;
                const RGBQUAD& entry = palette[line[x]];
                pixel = rgb(entry.rgbRed, entry.rgbGreen, entry.rgbBlue);
            } else if (depth == 16) {
                unsigned word = line[2 * x] | line[2 * x + 1] << 8;
                auto expand = [](unsigned v) { return uint8_t(v << 3 | v >> 2); };
                pixel = rgb(expand(word >> 10 & 31), expand(word >> 5 & 31), expand(word & 31));
            } else {
                const uint8_t* p = line + size_t(x) * size_t(depth / 8);
                pixel = rgb(p[2], p[1], p[0]);
            }
            out.pixels[size_t(y) * size_t(width) + size_t(x)] = pixel;
        }
    }
    return true;
}

} // namespace

namespace standin {

bool readBitmap(HBITMAP bitmap, BitmapPixels& out)
{
    std::lock_guard<std::mutex> hold(gdi().mutex);
    auto found = gdi().bitmaps.find(bitmap);
    if (found == gdi().bitmaps.end())
        return false;
    out = found->second.picture;
    return true;
}

int liveBitmaps()
{
    std::lock_guard<std::mutex> hold(gdi().mutex);
    return static_cast<int>(gdi().bitmaps.size());
}

} // namespace standin

extern "C" {

HDC WINAPI GetDC(HWND)
{
    return screen();
}

int WINAPI ReleaseDC(HWND, HDC dc)
{
    return dc == screen() ? 1 : 0;
}

HBITMAP WINAPI CreateDIBitmap(HDC dc, const BITMAPINFOHEADER* header, DWORD init,
                              const void* bits, const BITMAPINFO* info, UINT usage)
{
    if (dc != screen() || !header || usage != DIB_RGB_COLORS)
        return nullptr;
    Bitmap bitmap;
    bitmap.picture.width = header->biWidth;
    bitmap.picture.height = header->biHeight < 0 ? -header->biHeight : header->biHeight;
    if ((init & CBM_INIT) && (!bits || !decode(*header, bits, info, bitmap.picture)))
        return nullptr;
    std::lock_guard<std::mutex> hold(gdi().mutex);
    auto handle = reinterpret_cast<HBITMAP>(gdi().next);
    gdi().next += 4;
    gdi().bitmaps[handle] = std::move(bitmap);
    return handle;
}

BOOL WINAPI DeleteObject(HGDIOBJ object)
{
    std::lock_guard<std::mutex> hold(gdi().mutex);
    return gdi().bitmaps.erase(static_cast<HBITMAP>(object)) ? TRUE : FALSE;
}

BOOL WINAPI GetTextExtentPoint32A(HDC, LPCSTR text, int length, SIZE* size)
{
    if (!size || length < 0 || (length && !text))
        return FALSE;
    size->cx = 6 * length;
    size->cy = 13;
    return TRUE;
}

int WINAPI GetSystemMetrics(int index)
{
    switch (index) {
    case SM_CXVSCROLL:
        return 16;
    case SM_CXEDGE:
        return 2;
    default:
        return 0;
    }
}

} // extern "C"
