// The stand-in's windows: handles, z-order, geometry, styles, text and the
// owning thread.
#include <algorithm>
#include <atomic>
#include <cstring>
#include <unistd.h>

#include "platform/posix/control.h"
#include "platform/posix/window_model.h"

namespace standin {

WindowModel& windowModel()
{
    static WindowModel& model = *new WindowModel;
    return model;
}

WindowRecord* findWindow(HWND window)
{
    uintptr_t value = reinterpret_cast<uintptr_t>(window);
    auto& slots = windowModel().slots;
    if (value < kFirstWindow || (value - kFirstWindow) % 4)
        return nullptr;
    size_t slot = (value - kFirstWindow) / 4 % kSlotCount;
    WindowRecord* record = slot < slots.size() ? slots[slot].get() : nullptr;
    return record && record->handle == window ? record : nullptr;
}

void freeWindowSlot(HWND window)
{
    WindowModel& model = windowModel();
    if (!findWindow(window))
        return;
    uint32_t slot = uint32_t((reinterpret_cast<uintptr_t>(window) - kFirstWindow) / 4 % kSlotCount);
    model.slots[slot].reset();
    model.generations[slot] = uint8_t((model.generations[slot] + 1) % kGenerations);
    model.freeSlots.push_back(slot);
    --model.live;
}

RECT frameFor(DWORD style, DWORD)
{
    LONG border = (style & WS_THICKFRAME) ? 4 : (style & WS_BORDER) ? 1 : 0;
    LONG caption = (style & WS_CAPTION) == WS_CAPTION ? 18 : 0;
    return {border, border + caption, border, border};
}

POINT screenOrigin(const WindowRecord& window)
{
    POINT origin = {window.rect.left, window.rect.top};
    if (window.parent) {
        if (const WindowRecord* parent = findWindow(window.parent)) {
            POINT base = clientOrigin(*parent);
            origin.x += base.x;
            origin.y += base.y;
        }
    }
    return origin;
}

POINT clientOrigin(const WindowRecord& window)
{
    POINT origin = screenOrigin(window);
    return {origin.x + window.frame.left, origin.y + window.frame.top};
}

namespace {

std::vector<HWND>& siblingsOf(WindowRecord& window)
{
    if (window.parent)
        if (WindowRecord* parent = findWindow(window.parent))
            return parent->children;
    return windowModel().topLevel;
}

} // namespace

HWND addWindow(WindowRecord record)
{
    WindowModel& model = windowModel();
    std::lock_guard<std::recursive_mutex> hold(model.lock);
    uint32_t slot;
    if (model.freeSlots.size() > kSlotsHeldFree) {
        slot = model.freeSlots.front();
        model.freeSlots.pop_front();
    } else if (model.slots.size() < kSlotCount) {
        slot = uint32_t(model.slots.size());
        model.slots.emplace_back();
        model.generations.push_back(0);
    } else {
        return nullptr;
    }
    record.handle = reinterpret_cast<HWND>(
        kFirstWindow + 4 * (uintptr_t(slot) + uintptr_t(model.generations[slot]) * kSlotCount));
    record.serial = model.made++;
    record.thread = GetCurrentThreadId();
    noteWindowThread();
    record.frame = frameFor(record.style, record.exStyle);
    HWND handle = record.handle;
    model.slots[slot] = std::make_unique<WindowRecord>(std::move(record));
    ++model.live;
    WindowRecord& added = *model.slots[slot];
    auto& list = siblingsOf(added);
    list.insert(list.begin(), handle);
    return handle;
}

HWND createWindow(const WindowSpec& wanted)
{
    WindowRecord record;
    record.className = wanted.className;
    record.procedure = wanted.procedure;
    record.style = wanted.style;
    record.rect = wanted.rect;
    record.id = wanted.id;
    if (wanted.style & WS_CHILD)
        record.parent = wanted.parent;
    else
        record.owner = wanted.parent;
    return addWindow(std::move(record));
}

void removeWindowQuietly(HWND window)
{
    WindowRecord* record = findWindow(window);
    if (!record)
        return;
    for (HWND child : std::vector<HWND>(record->children))
        removeWindowQuietly(child);
    auto& list = siblingsOf(*record);
    list.erase(std::remove(list.begin(), list.end(), window), list.end());
    freeWindowSlot(window);
}

void destroyAllWindows()
{
    WindowModel& model = windowModel();
    std::lock_guard<std::recursive_mutex> hold(model.lock);
    for (auto& slot : model.slots)
        if (slot)
            freeWindowSlot(slot->handle);
    model.topLevel.clear();
    model.invalid.clear();
}

void restartWindowHandles()
{
    WindowModel& model = windowModel();
    std::lock_guard<std::recursive_mutex> hold(model.lock);
    model.slots.clear();
    model.slots.shrink_to_fit();
    model.generations.clear();
    model.freeSlots.clear();
    model.live = 0;
    model.topLevel.clear();
    model.invalid.clear();
}

int windowCount()
{
    std::lock_guard<std::recursive_mutex> hold(windowModel().lock);
    return static_cast<int>(windowModel().live);
}

} // namespace standin

using standin::findWindow;
using standin::windowModel;
using standin::WindowRecord;

#define HOLD_MODEL std::lock_guard<std::recursive_mutex> hold(windowModel().lock)

extern "C" {

DWORD WINAPI GetCurrentThreadId(void)
{
    static std::atomic<DWORD> next{0x20};
    thread_local DWORD id = next += 4;
    return id;
}

DWORD WINAPI GetCurrentProcessId(void)
{
    return static_cast<DWORD>(getpid());
}

BOOL WINAPI DestroyWindow(HWND window)
{
    std::vector<HWND> children, owned;
    {
        HOLD_MODEL;
        WindowRecord* record = findWindow(window);
        if (!record) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        children = record->children;
        // The windows it owns go first (those of its own thread).
        if (!record->parent)
            for (HWND top : windowModel().topLevel)
                if (const WindowRecord* other = findWindow(top))
                    if (other->owner == window && other->thread == record->thread)
                        owned.push_back(top);
    }
    for (HWND each : owned)
        DestroyWindow(each);
    // The window hears of its end first, then its children, as on Windows.
    SendMessageA(window, WM_DESTROY, 0, 0);
    for (HWND child : children)
        DestroyWindow(child);
    SendMessageA(window, WM_NCDESTROY, 0, 0);
    HOLD_MODEL;
    if (WindowRecord* record = findWindow(window)) {
        auto& list = standin::siblingsOf(*record);
        list.erase(std::remove(list.begin(), list.end(), window), list.end());
        standin::freeWindowSlot(window);
    }
    return TRUE;
}

BOOL WINAPI IsWindow(HWND window)
{
    HOLD_MODEL;
    return findWindow(window) ? TRUE : FALSE;
}

HWND WINAPI GetWindow(HWND window, UINT relation)
{
    HOLD_MODEL;
    WindowRecord* record = findWindow(window);
    if (!record) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    if (relation == GW_CHILD)
        return record->children.empty() ? nullptr : record->children.front();
    if (relation == GW_OWNER)
        return record->parent ? nullptr : record->owner;
    WindowRecord* parent = record->parent ? findWindow(record->parent) : nullptr;
    const std::vector<HWND>& list = parent ? parent->children : windowModel().topLevel;
    // The place found last time, while the z-order stays as it was: walks up
    // and down the z-order then take one step each.
    auto at = record->zIndex < list.size() && list[record->zIndex] == window
                  ? list.begin() + std::ptrdiff_t(record->zIndex)
                  : std::find(list.begin(), list.end(), window);
    if (at == list.end())
        return nullptr;
    record->zIndex = size_t(at - list.begin());
    switch (relation) {
    case GW_HWNDFIRST:
        return list.front();
    case GW_HWNDLAST:
        return list.back();
    case GW_HWNDNEXT:
        return at + 1 == list.end() ? nullptr : *(at + 1);
    case GW_HWNDPREV:
        return at == list.begin() ? nullptr : *(at - 1);
    default:
        return nullptr;
    }
}

HWND WINAPI GetParent(HWND window)
{
    HOLD_MODEL;
    WindowRecord* record = findWindow(window);
    if (!record)
        return nullptr;
    return record->parent ? record->parent : (record->style & WS_POPUP) ? record->owner : nullptr;
}

BOOL WINAPI GetWindowRect(HWND window, RECT* rect)
{
    HOLD_MODEL;
    WindowRecord* record = findWindow(window);
    if (!record || !rect) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    POINT origin = standin::screenOrigin(*record);
    *rect = {origin.x, origin.y, origin.x + (record->rect.right - record->rect.left),
             origin.y + (record->rect.bottom - record->rect.top)};
    return TRUE;
}

BOOL WINAPI GetClientRect(HWND window, RECT* rect)
{
    HOLD_MODEL;
    WindowRecord* record = findWindow(window);
    if (!record || !rect) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    LONG width = record->rect.right - record->rect.left - record->frame.left - record->frame.right;
    LONG height = record->rect.bottom - record->rect.top - record->frame.top - record->frame.bottom;
    *rect = {0, 0, width > 0 ? width : 0, height > 0 ? height : 0};
    return TRUE;
}

BOOL WINAPI ClientToScreen(HWND window, POINT* point)
{
    HOLD_MODEL;
    WindowRecord* record = findWindow(window);
    if (!record || !point)
        return FALSE;
    POINT origin = standin::clientOrigin(*record);
    point->x += origin.x;
    point->y += origin.y;
    return TRUE;
}

BOOL WINAPI ScreenToClient(HWND window, POINT* point)
{
    HOLD_MODEL;
    WindowRecord* record = findWindow(window);
    if (!record || !point)
        return FALSE;
    POINT origin = standin::clientOrigin(*record);
    point->x -= origin.x;
    point->y -= origin.y;
    return TRUE;
}

BOOL WINAPI IsWindowVisible(HWND window)
{
    HOLD_MODEL;
    for (WindowRecord* record = findWindow(window); record;
         record = record->parent ? findWindow(record->parent) : nullptr)
        if (!(record->style & WS_VISIBLE))
            return FALSE;
    return findWindow(window) ? TRUE : FALSE;
}

BOOL WINAPI ShowWindow(HWND window, int command)
{
    HOLD_MODEL;
    WindowRecord* record = findWindow(window);
    if (!record)
        return FALSE;
    BOOL was = (record->style & WS_VISIBLE) ? TRUE : FALSE;
    if (command == SW_HIDE)
        record->style &= ~WS_VISIBLE;
    else
        record->style |= WS_VISIBLE;
    return was;
}

BOOL WINAPI EnableWindow(HWND window, BOOL enable)
{
    bool wasDisabled;
    {
        HOLD_MODEL;
        WindowRecord* record = findWindow(window);
        if (!record)
            return FALSE;
        wasDisabled = (record->style & WS_DISABLED) != 0;
        if (enable)
            record->style &= ~WS_DISABLED;
        else
            record->style |= WS_DISABLED;
    }
    if (wasDisabled == !enable)
        SendMessageA(window, WM_ENABLE, enable ? 1 : 0, 0);
    return wasDisabled ? TRUE : FALSE;
}

BOOL WINAPI IsWindowEnabled(HWND window)
{
    HOLD_MODEL;
    WindowRecord* record = findWindow(window);
    return record && !(record->style & WS_DISABLED) ? TRUE : FALSE;
}

BOOL WINAPI SetWindowPos(HWND window, HWND after, int x, int y, int width, int height,
                         UINT flags)
{
    bool moved = false, sized = false;
    POINT client{};
    RECT clientRect{};
    {
        HOLD_MODEL;
        WindowRecord* record = findWindow(window);
        if (!record) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        RECT& rect = record->rect;
        if (!(flags & SWP_NOMOVE) && (x != rect.left || y != rect.top)) {
            rect = {x, y, x + (rect.right - rect.left), y + (rect.bottom - rect.top)};
            moved = true;
        }
        if (!(flags & SWP_NOSIZE) &&
            (width != rect.right - rect.left || height != rect.bottom - rect.top)) {
            rect.right = rect.left + (width > 0 ? width : 0);
            rect.bottom = rect.top + (height > 0 ? height : 0);
            sized = true;
        }
        if (flags & SWP_SHOWWINDOW)
            record->style |= WS_VISIBLE;
        if (flags & SWP_HIDEWINDOW)
            record->style &= ~WS_VISIBLE;
        if (!(flags & SWP_NOZORDER)) {
            std::vector<HWND>& list = standin::siblingsOf(*record);
            list.erase(std::remove(list.begin(), list.end(), window), list.end());
            auto place = list.begin();
            if (after == HWND_BOTTOM)
                place = list.end();
            else if (after != HWND_TOP) {
                auto below = std::find(list.begin(), list.end(), after);
                place = below == list.end() ? list.begin() : below + 1;
            }
            list.insert(place, window);
        }
        client = {rect.left + record->frame.left, rect.top + record->frame.top};
        clientRect = {0, 0, rect.right - rect.left - record->frame.left - record->frame.right,
                      rect.bottom - rect.top - record->frame.top - record->frame.bottom};
    }
    if (moved)
        SendMessageA(window, WM_MOVE, 0, MAKELPARAM(client.x, client.y));
    if (sized)
        SendMessageA(window, WM_SIZE, 0, MAKELPARAM(clientRect.right, clientRect.bottom));
    return TRUE;
}

BOOL WINAPI MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint)
{
    if (!SetWindowPos(window, HWND_TOP, x, y, width, height, SWP_NOZORDER))
        return FALSE;
    if (repaint)
        InvalidateRect(window, nullptr, TRUE);
    return TRUE;
}

namespace {

// The indices whose values are pointers: on 64 bits only the pointer-sized
// calls take them, as on Windows.
bool pointerIndex(int index)
{
    return index == GWLP_WNDPROC || index == GWLP_HINSTANCE || index == GWLP_HWNDPARENT ||
           index == GWLP_USERDATA;
}

bool narrowRefused(int index)
{
    if (sizeof(void*) > 4 && pointerIndex(index)) {
        SetLastError(ERROR_INVALID_INDEX);
        return true;
    }
    return false;
}

} // namespace

LONG_PTR WINAPI GetWindowLongPtrA(HWND window, int index)
{
    HOLD_MODEL;
    WindowRecord* record = findWindow(window);
    if (!record) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    switch (index) {
    case GWL_STYLE:
        return static_cast<LONG>(record->style);
    case GWL_EXSTYLE:
        return static_cast<LONG>(record->exStyle);
    case GWLP_HWNDPARENT:
        return reinterpret_cast<LONG_PTR>(record->parent ? record->parent : record->owner);
    case GWL_ID:
        return record->id;
    case GWLP_USERDATA:
        return record->userData;
    case GWLP_WNDPROC:
        return reinterpret_cast<LONG_PTR>(record->procedure);
    case GWLP_HINSTANCE:
        return reinterpret_cast<LONG_PTR>(record->instance);
    default:
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    }
}

LONG_PTR WINAPI SetWindowLongPtrA(HWND window, int index, LONG_PTR value)
{
    HOLD_MODEL;
    WindowRecord* record = findWindow(window);
    if (!record) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    LONG_PTR old = 0;
    switch (index) {
    case GWL_STYLE:
        old = static_cast<LONG>(record->style);
        record->style = static_cast<DWORD>(value);
        break;
    case GWL_EXSTYLE:
        old = static_cast<LONG>(record->exStyle);
        record->exStyle = static_cast<DWORD>(value);
        break;
    case GWL_ID:
        old = record->id;
        record->id = static_cast<LONG>(value);
        break;
    case GWLP_USERDATA:
        old = record->userData;
        record->userData = value;
        break;
    case GWLP_WNDPROC:
        old = reinterpret_cast<LONG_PTR>(record->procedure);
        record->procedure = reinterpret_cast<WNDPROC>(value);
        break;
    default:
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    }
    return old;
}

LONG WINAPI GetWindowLongA(HWND window, int index)
{
    return narrowRefused(index) ? 0 : static_cast<LONG>(GetWindowLongPtrA(window, index));
}

LONG WINAPI SetWindowLongA(HWND window, int index, LONG value)
{
    return narrowRefused(index) ? 0 : static_cast<LONG>(SetWindowLongPtrA(window, index, value));
}

BOOL WINAPI SetWindowTextA(HWND window, LPCSTR text)
{
    if (!IsWindow(window))
        return FALSE;
    return SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : "")) ? TRUE
                                                                                           : FALSE;
}

int WINAPI GetWindowTextA(HWND window, LPSTR buffer, int size)
{
    if (!buffer || size <= 0 || !IsWindow(window))
        return 0;
    return static_cast<int>(SendMessageA(window, WM_GETTEXT, static_cast<WPARAM>(size),
                                         reinterpret_cast<LPARAM>(buffer)));
}

DWORD WINAPI GetWindowThreadProcessId(HWND window, LPDWORD process)
{
    HOLD_MODEL;
    WindowRecord* record = findWindow(window);
    if (!record)
        return 0;
    if (process)
        *process = GetCurrentProcessId();
    return record->thread;
}

BOOL WINAPI IntersectRect(RECT* result, const RECT* first, const RECT* second)
{
    if (!result || !first || !second)
        return FALSE;
    RECT meet = {std::max(first->left, second->left), std::max(first->top, second->top),
                 std::min(first->right, second->right), std::min(first->bottom, second->bottom)};
    if (meet.left >= meet.right || meet.top >= meet.bottom) {
        *result = {0, 0, 0, 0};
        return FALSE;
    }
    *result = meet;
    return TRUE;
}

BOOL WINAPI SetRect(RECT* rect, int left, int top, int right, int bottom)
{
    if (!rect)
        return FALSE;
    *rect = {left, top, right, bottom};
    return TRUE;
}

} // extern "C"
