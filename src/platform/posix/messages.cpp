// Messages and painting of the stand-in's windows: sent messages run the
// window procedure on the calling thread; posted ones wait in the queue of
// the window's thread; invalid windows get WM_PAINT when their thread's
// queue is empty or a redraw asks for it at once.
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <map>

#include "platform/posix/control.h"
#include "platform/posix/window_model.h"
#include "platform/posix/recent_records.h"

namespace {

using standin::findWindow;
using standin::windowModel;
using standin::WindowRecord;

struct Queues {
    std::mutex lock;
    std::condition_variable posted;
    std::map<DWORD, std::deque<MSG>> byThread;
    std::vector<standin::RedrawRecord> redraws;
};

Queues& queues()
{
    static Queues& made = *new Queues;
    return made;
}

// Marks a window invalid or valid; the caller holds the model's lock.
void setInvalid(WindowRecord& record, bool invalid)
{
    record.invalid = invalid;
    if (invalid)
        windowModel().invalid.emplace(record.serial, record.handle);
    else
        record.erase = false;
}

// An invalid window of this thread (among those the filter admits), or null.
HWND invalidWindow(DWORD thread, HWND filter)
{
    std::lock_guard<std::recursive_mutex> hold(windowModel().lock);
    std::map<uint64_t, HWND>& invalid = windowModel().invalid;
    for (auto at = invalid.begin(); at != invalid.end();) {
        const WindowRecord* window = findWindow(at->second);
        if (!window || window->serial != at->first || !window->invalid) {
            at = invalid.erase(at); // destroyed or painted since
            continue;
        }
        if (window->thread == thread && (!filter || filter == window->handle))
            return window->handle;
        ++at;
    }
    return nullptr;
}

bool takeMessage(MSG* message, HWND window, UINT first, UINT last, bool remove)
{
    DWORD thread = GetCurrentThreadId();
    {
        std::lock_guard<std::mutex> hold(queues().lock);
        auto& queue = queues().byThread[thread];
        for (auto at = queue.begin(); at != queue.end(); ++at) {
            bool inRange = (first == 0 && last == 0) || (at->message >= first && at->message <= last);
            if ((window && at->hwnd != window) || !inRange)
                continue;
            *message = *at;
            if (remove)
                queue.erase(at);
            return true;
        }
    }
    if (HWND invalid = invalidWindow(thread, window)) {
        if (first == 0 && last == 0 ? true : WM_PAINT >= first && WM_PAINT <= last) {
            *message = MSG{invalid, WM_PAINT, 0, 0, 0, {0, 0}};
            return true;
        }
    }
    return false;
}

void markInvalid(HWND window, bool erase, bool children)
{
    std::lock_guard<std::recursive_mutex> hold(windowModel().lock);
    WindowRecord* record = findWindow(window);
    if (!record)
        return;
    setInvalid(*record, true);
    record->erase = record->erase || erase;
    if (children)
        for (HWND child : record->children)
            markInvalid(child, erase, true);
}

// Sends WM_PAINT to the window, and its children, while they are invalid and
// belong to the calling thread.
void paintNow(HWND window, bool children)
{
    std::vector<HWND> kids;
    bool paint = false;
    {
        std::lock_guard<std::recursive_mutex> hold(windowModel().lock);
        WindowRecord* record = findWindow(window);
        if (!record || record->thread != GetCurrentThreadId())
            return;
        paint = record->invalid;
        kids = record->children;
    }
    if (paint)
        SendMessageA(window, WM_PAINT, 0, 0);
    // A procedure that did not validate: the window stops being invalid for
    // this paint, as BeginPaint would have made it.
    {
        std::lock_guard<std::recursive_mutex> hold(windowModel().lock);
        if (WindowRecord* record = findWindow(window))
            setInvalid(*record, false);
    }
    if (children)
        for (HWND child : kids)
            paintNow(child, true);
}

} // namespace

namespace standin {

std::vector<RedrawRecord> redraws()
{
    std::lock_guard<std::mutex> hold(queues().lock);
    return queues().redraws;
}

void clearRedraws()
{
    std::lock_guard<std::mutex> hold(queues().lock);
    queues().redraws.clear();
}

bool windowIsInvalid(HWND window)
{
    std::lock_guard<std::recursive_mutex> hold(windowModel().lock);
    const WindowRecord* record = findWindow(window);
    return record && record->invalid;
}

} // namespace standin

extern "C" {

LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    WNDPROC procedure = nullptr;
    {
        std::lock_guard<std::recursive_mutex> hold(windowModel().lock);
        WindowRecord* record = findWindow(window);
        if (!record) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        procedure = record->procedure;
    }
    return procedure ? procedure(window, message, wParam, lParam)
                     : DefWindowProcA(window, message, wParam, lParam);
}

LRESULT WINAPI CallWindowProcA(WNDPROC procedure, HWND window, UINT message, WPARAM wParam,
                               LPARAM lParam)
{
    return procedure ? procedure(window, message, wParam, lParam) : 0;
}

BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    DWORD thread = GetCurrentThreadId();
    if (window) {
        std::lock_guard<std::recursive_mutex> hold(windowModel().lock);
        WindowRecord* record = findWindow(window);
        if (!record) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        thread = record->thread;
    }
    {
        std::lock_guard<std::mutex> hold(queues().lock);
        queues().byThread[thread].push_back(MSG{window, message, wParam, lParam, 0, {0, 0}});
    }
    queues().posted.notify_all();
    return TRUE;
}

void WINAPI PostQuitMessage(int code)
{
    PostMessageA(nullptr, WM_QUIT, static_cast<WPARAM>(code), 0);
}

BOOL WINAPI PeekMessageA(MSG* message, HWND window, UINT first, UINT last, UINT remove)
{
    if (!message)
        return FALSE;
    return takeMessage(message, window, first, last, (remove & PM_REMOVE) != 0) ? TRUE : FALSE;
}

BOOL WINAPI GetMessageA(MSG* message, HWND window, UINT first, UINT last)
{
    if (!message)
        return -1;
    for (;;) {
        if (takeMessage(message, window, first, last, true))
            return message->message == WM_QUIT ? FALSE : TRUE;
        std::unique_lock<std::mutex> hold(queues().lock);
        // A short wait: windows may become invalid without a post.
        queues().posted.wait_for(hold, std::chrono::milliseconds(10));
    }
}

BOOL WINAPI TranslateMessage(const MSG*)
{
    return FALSE;
}

LRESULT WINAPI DispatchMessageA(const MSG* message)
{
    if (!message || !message->hwnd)
        return 0;
    LRESULT result = SendMessageA(message->hwnd, message->message, message->wParam,
                                  message->lParam);
    if (message->message == WM_PAINT) {
        std::lock_guard<std::recursive_mutex> hold(windowModel().lock);
        if (WindowRecord* record = findWindow(message->hwnd))
            setInvalid(*record, false);
    }
    return result;
}

LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SETTEXT: {
        std::lock_guard<std::recursive_mutex> hold(windowModel().lock);
        WindowRecord* record = findWindow(window);
        if (!record)
            return FALSE;
        record->text = lParam ? reinterpret_cast<const char*>(lParam) : "";
        return TRUE;
    }
    case WM_GETTEXT: {
        std::lock_guard<std::recursive_mutex> hold(windowModel().lock);
        WindowRecord* record = findWindow(window);
        auto* buffer = reinterpret_cast<char*>(lParam);
        if (!record || !buffer || wParam == 0)
            return 0;
        size_t length = std::min<size_t>(record->text.size(), wParam - 1);
        memcpy(buffer, record->text.data(), length);
        buffer[length] = '\0';
        return static_cast<LRESULT>(length);
    }
    case WM_GETTEXTLENGTH: {
        std::lock_guard<std::recursive_mutex> hold(windowModel().lock);
        WindowRecord* record = findWindow(window);
        return record ? static_cast<LRESULT>(record->text.size()) : 0;
    }
    case WM_PAINT:
        ValidateRect(window, nullptr);
        return 0;
    case WM_ERASEBKGND:
    case WM_NCCREATE:
        return 1;
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    default:
        return 0;
    }
}

BOOL WINAPI RedrawWindow(HWND window, const RECT*, HRGN, UINT flags)
{
    if (!IsWindow(window))
        return FALSE;
    {
        std::lock_guard<std::mutex> hold(queues().lock);
        standin::keepRecord(queues().redraws, {window, flags, GetCurrentThreadId(), false});
    }
    bool children = (flags & RDW_ALLCHILDREN) != 0;
    if (flags & (RDW_INVALIDATE | RDW_INTERNALPAINT))
        markInvalid(window, (flags & RDW_ERASE) != 0, children);
    if (flags & RDW_VALIDATE)
        ValidateRect(window, nullptr);
    if (flags & RDW_UPDATENOW)
        paintNow(window, children);
    return TRUE;
}

BOOL WINAPI InvalidateRect(HWND window, const RECT*, BOOL erase)
{
    if (!IsWindow(window))
        return FALSE;
    {
        std::lock_guard<std::mutex> hold(queues().lock);
        standin::keepRecord(queues().redraws,
                            {window, erase ? RDW_ERASE : 0u, GetCurrentThreadId(), true});
    }
    markInvalid(window, erase != 0, false);
    return TRUE;
}

BOOL WINAPI ValidateRect(HWND window, const RECT*)
{
    std::lock_guard<std::recursive_mutex> hold(windowModel().lock);
    WindowRecord* record = findWindow(window);
    if (!record)
        return FALSE;
    setInvalid(*record, false);
    return TRUE;
}

BOOL WINAPI UpdateWindow(HWND window)
{
    if (!IsWindow(window))
        return FALSE;
    paintNow(window, false);
    return TRUE;
}

} // extern "C"
