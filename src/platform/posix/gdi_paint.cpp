// Painting: the device contexts of windows and memory contexts with a
// selected bitmap; a copy from a memory context to a window is recorded.
#include <map>
#include <mutex>

#include "platform/posix/control.h"
#include "platform/posix/recent_records.h"

namespace {

struct Context {
    HWND window = nullptr;     // a window's context
    HGDIOBJ selected = nullptr; // a memory context's bitmap
    bool memory = false;
};

struct Painting {
    std::mutex mutex;
    std::map<HDC, Context> contexts;
    std::vector<standin::BlitRecord> blits;
    uintptr_t next = 0x30000;
};

Painting& painting()
{
    static Painting& all = *new Painting;
    return all;
}

HDC newContext(const Context& context)
{
    Painting& all = painting();
    HDC dc = reinterpret_cast<HDC>(all.next += 4);
    all.contexts[dc] = context;
    return dc;
}

} // namespace

namespace standin {

std::vector<BlitRecord> blits()
{
    std::lock_guard<std::mutex> hold(painting().mutex);
    return painting().blits;
}

void clearBlits()
{
    std::lock_guard<std::mutex> hold(painting().mutex);
    painting().blits.clear();
}

} // namespace standin

extern "C" {

HDC WINAPI BeginPaint(HWND window, PAINTSTRUCT* paint)
{
    if (!paint || !IsWindow(window))
        return nullptr;
    *paint = PAINTSTRUCT{};
    GetClientRect(window, &paint->rcPaint);
    ValidateRect(window, nullptr);
    std::lock_guard<std::mutex> hold(painting().mutex);
    paint->hdc = newContext({window, nullptr, false});
    return paint->hdc;
}

BOOL WINAPI EndPaint(HWND, const PAINTSTRUCT* paint)
{
    if (!paint)
        return FALSE;
    std::lock_guard<std::mutex> hold(painting().mutex);
    return painting().contexts.erase(paint->hdc) ? TRUE : FALSE;
}

HDC WINAPI CreateCompatibleDC(HDC)
{
    std::lock_guard<std::mutex> hold(painting().mutex);
    return newContext({nullptr, nullptr, true});
}

BOOL WINAPI DeleteDC(HDC dc)
{
    std::lock_guard<std::mutex> hold(painting().mutex);
    return painting().contexts.erase(dc) ? TRUE : FALSE;
}

HGDIOBJ WINAPI SelectObject(HDC dc, HGDIOBJ object)
{
    std::lock_guard<std::mutex> hold(painting().mutex);
    auto at = painting().contexts.find(dc);
    if (at == painting().contexts.end() || !at->second.memory)
        return nullptr;
    HGDIOBJ previous = at->second.selected;
    at->second.selected = object;
    // A fresh memory context holds a stock 1 x 1 bitmap.
    return previous ? previous : reinterpret_cast<HGDIOBJ>(static_cast<uintptr_t>(0x1B0));
}

BOOL WINAPI BitBlt(HDC destination, int x, int y, int width, int height, HDC source, int sourceX,
                   int sourceY, DWORD operation)
{
    std::lock_guard<std::mutex> hold(painting().mutex);
    auto to = painting().contexts.find(destination);
    auto from = painting().contexts.find(source);
    if (to == painting().contexts.end() || from == painting().contexts.end())
        return FALSE;
    standin::keepRecord(painting().blits,
                        {to->second.window, static_cast<HBITMAP>(from->second.selected), x, y,
                         width, height, sourceX, sourceY, operation});
    return TRUE;
}

} // extern "C"
