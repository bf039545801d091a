// Window classes, and windows created from them.
#include "platform/posix/window_classes.h"

#include <mutex>
#include "platform/posix/case_fold.h"
#include <vector>

#include "platform/posix/window_model.h"

namespace {

struct Classes {
    std::mutex mutex;
    std::vector<standin::WindowClass> registered;
    ATOM nextAtom = 0xC000;
};

Classes& classes()
{
    static Classes& all = *new Classes;
    return all;
}

bool global(const standin::WindowClass& c)
{
    return (c.style & CS_GLOBALCLASS) != 0;
}

// Index of the class of that name visible from the instance: its own local
// class, else a global one; -1 if none.
int lookup(const std::vector<standin::WindowClass>& all, LPCSTR name, HINSTANCE instance)
{
    if (!name || IS_INTRESOURCE(name))
        return -1;
    int globalMatch = -1;
    for (size_t i = 0; i < all.size(); ++i) {
        if (!standin::sameFolded(all[i].name.c_str(), name))
            continue;
        if (!global(all[i]) && all[i].instance == instance)
            return static_cast<int>(i);
        if (global(all[i]))
            globalMatch = static_cast<int>(i);
    }
    return globalMatch;
}

} // namespace

namespace standin {

bool findWindowClass(LPCSTR name, HINSTANCE instance, WindowClass& found)
{
    std::lock_guard<std::mutex> hold(classes().mutex);
    int at = lookup(classes().registered, name, instance);
    if (at < 0)
        return false;
    found = classes().registered[at];
    return true;
}

} // namespace standin

extern "C" {

ATOM WINAPI RegisterClassA(const WNDCLASSA* windowClass)
{
    if (!windowClass || !windowClass->lpszClassName || IS_INTRESOURCE(windowClass->lpszClassName) ||
        !windowClass->lpfnWndProc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    Classes& all = classes();
    std::lock_guard<std::mutex> hold(all.mutex);
    for (const standin::WindowClass& c : all.registered) {
        bool sameName = standin::sameFolded(c.name.c_str(), windowClass->lpszClassName);
        bool clash = global(c) || (windowClass->style & CS_GLOBALCLASS) ||
                     c.instance == windowClass->hInstance;
        if (sameName && clash) {
            SetLastError(ERROR_CLASS_ALREADY_EXISTS);
            return 0;
        }
    }
    all.registered.push_back({windowClass->lpszClassName, windowClass->style,
                              windowClass->lpfnWndProc, windowClass->hInstance,
                              windowClass->hCursor});
    return all.nextAtom++;
}

BOOL WINAPI UnregisterClassA(LPCSTR className, HINSTANCE instance)
{
    Classes& all = classes();
    std::lock_guard<std::mutex> hold(all.mutex);
    for (auto at = all.registered.begin(); className && !IS_INTRESOURCE(className) &&
                                           at != all.registered.end();
         ++at) {
        if (standin::sameFolded(at->name.c_str(), className) && at->instance == instance) {
            all.registered.erase(at);
            return TRUE;
        }
    }
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
}

BOOL WINAPI GetClassInfoA(HINSTANCE instance, LPCSTR className, WNDCLASSA* windowClass)
{
    standin::WindowClass found;
    if (!windowClass || !standin::findWindowClass(className, instance, found)) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    *windowClass = WNDCLASSA{};
    windowClass->style = found.style;
    windowClass->lpfnWndProc = found.procedure;
    windowClass->hInstance = found.instance;
    windowClass->hCursor = found.cursor;
    windowClass->lpszClassName = className;
    return TRUE;
}

// The system's cursors are fixed handles; a module has none of its own.
HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name)
{
    if (instance || !IS_INTRESOURCE(name))
        return nullptr;
    return reinterpret_cast<HCURSOR>(0x00010000u | reinterpret_cast<uintptr_t>(name));
}

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style,
                            int x, int y, int width, int height, HWND parent, HMENU menu,
                            HINSTANCE instance, LPVOID parameter)
{
    standin::WindowClass windowClass;
    if (!standin::findWindowClass(className, instance, windowClass)) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return nullptr;
    }
    if ((style & WS_CHILD) && !IsWindow(parent)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    if (x == CW_USEDEFAULT)
        x = y = 0;
    if (width == CW_USEDEFAULT)
        width = height = 0;
    standin::WindowRecord record;
    record.className = windowClass.name;
    record.procedure = windowClass.procedure;
    record.instance = instance;
    record.style = style;
    record.exStyle = exStyle;
    record.rect = {x, y, x + width, y + height};
    record.text = windowName && !IS_INTRESOURCE(windowName) ? windowName : "";
    if (style & WS_CHILD) {
        record.parent = parent;
        record.id = static_cast<LONG>(reinterpret_cast<uintptr_t>(menu));
    } else {
        record.owner = parent;
    }
    HWND window = standin::addWindow(std::move(record));
    if (!window) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    CREATESTRUCTA create = {parameter, instance, menu, parent, height, width, y, x,
                            static_cast<LONG>(style), windowName, className, exStyle};
    LPARAM createParam = reinterpret_cast<LPARAM>(&create);
    if (!SendMessageA(window, WM_NCCREATE, 0, createParam) ||
        SendMessageA(window, WM_CREATE, 0, createParam) == -1) {
        DestroyWindow(window);
        return nullptr;
    }
    return window;
}

} // extern "C"
