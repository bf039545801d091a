// Messages and painting of the stand-in's windows, as Windows has them: a
// message sent to a window of the calling thread runs its procedure at
// once; one sent to another thread's window waits until that thread takes
// it (in GetMessage, PeekMessage, or while it waits in a send of its own),
// and the sender serves what is sent to it meanwhile. Posted messages wait
// in the queue of the window's thread. Invalid windows get WM_PAINT when
// their thread's queue is empty, or at once when a redraw asks for it: for
// another thread's window that, too, is a send that waits. When a thread
// ends, its windows go with it and what was sent to it is answered with 0.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <set>

#include "platform/posix/control.h"
#include "platform/posix/window_model.h"
#include "platform/posix/recent_records.h"

namespace {

using standin::findWindow;
using standin::windowModel;
using standin::WindowRecord;

// A message sent to another thread's window, until that thread has run it.
struct Sent {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result = 0;
    bool done = false;
};

struct Queues {
    std::mutex lock;
    std::condition_variable posted; // anything posted, sent or answered
    std::map<DWORD, std::deque<MSG>> byThread;
    std::map<DWORD, std::deque<std::shared_ptr<Sent>>> sent;
    std::set<DWORD> ended; // threads gone, whose windows went with them
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

LRESULT callProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
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

// Runs what other threads sent to this thread's windows; whether there was
// anything.
bool serveSent(DWORD thread)
{
    bool any = false;
    for (;;) {
        std::shared_ptr<Sent> next;
        {
            std::lock_guard<std::mutex> hold(queues().lock);
            auto found = queues().sent.find(thread);
            if (found == queues().sent.end() || found->second.empty())
                break;
            next = found->second.front();
            found->second.pop_front();
        }
        LRESULT result = callProcedure(next->window, next->message, next->wParam, next->lParam);
        {
            std::lock_guard<std::mutex> hold(queues().lock);
            next->result = result;
            next->done = true;
            queues().posted.notify_all();
        }
        any = true;
    }
    return any;
}

// Sends to a window of another thread and waits for its answer, serving
// what is sent to this thread meanwhile; 0 when the window or its thread is
// gone first.
LRESULT sendAcross(HWND window, DWORD thread, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto sent = std::make_shared<Sent>(Sent{window, message, wParam, lParam});
    {
        std::lock_guard<std::mutex> hold(queues().lock);
        if (queues().ended.count(thread))
            return 0;
        queues().sent[thread].push_back(sent);
        queues().posted.notify_all();
    }
    const DWORD self = GetCurrentThreadId();
    for (;;) {
        serveSent(self);
        bool alive = IsWindow(window) != FALSE;
        std::unique_lock<std::mutex> hold(queues().lock);
        if (sent->done)
            return sent->result;
        if (!alive || queues().ended.count(thread)) {
            auto& waiting = queues().sent[thread];
            waiting.erase(std::remove(waiting.begin(), waiting.end(), sent), waiting.end());
            return 0;
        }
        queues().posted.wait_for(hold, std::chrono::milliseconds(5));
    }
}

// Ends with the thread: its windows go (without messages: the thread has
// stopped running code) and what was sent to it is answered with 0.
struct ThreadWindows {
    DWORD thread = GetCurrentThreadId();
    ~ThreadWindows()
    {
        {
            std::lock_guard<std::recursive_mutex> hold(windowModel().lock);
            for (auto& slot : windowModel().slots)
                if (slot && slot->thread == thread)
                    standin::removeWindowQuietly(slot->handle);
        }
        std::lock_guard<std::mutex> hold(queues().lock);
        queues().ended.insert(thread);
        queues().byThread.erase(thread);
        for (auto& sent : queues().sent[thread])
            sent->done = true;
        queues().sent.erase(thread);
        queues().posted.notify_all();
    }
};

bool takeMessage(MSG* message, HWND window, UINT first, UINT last, bool remove)
{
    DWORD thread = GetCurrentThreadId();
    serveSent(thread);
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

// Sends WM_PAINT to the window, and its children, while they are invalid:
// for a window of another thread the send waits until that thread paints.
void paintNow(HWND window, bool children)
{
    std::vector<HWND> kids;
    bool paint = false;
    {
        std::lock_guard<std::recursive_mutex> hold(windowModel().lock);
        WindowRecord* record = findWindow(window);
        if (!record)
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

namespace standin {

void noteWindowThread()
{
    thread_local ThreadWindows windows;
    (void)windows.thread;
}

} // namespace standin

extern "C" {

LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    DWORD thread = 0;
    {
        std::lock_guard<std::recursive_mutex> hold(windowModel().lock);
        WindowRecord* record = findWindow(window);
        if (!record) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        thread = record->thread;
    }
    if (thread != GetCurrentThreadId())
        return sendAcross(window, thread, message, wParam, lParam);
    return callProcedure(window, message, wParam, lParam);
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
        queues().posted.notify_all();
    }
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
    // Asked for sent messages only: they are run, and nothing is returned.
    if ((remove & 0xFFFF0000u) == PM_QS_SENDMESSAGE) {
        serveSent(GetCurrentThreadId());
        return FALSE;
    }
    return takeMessage(message, window, first, last, (remove & PM_REMOVE) != 0) ? TRUE : FALSE;
}

DWORD WINAPI GetQueueStatus(UINT flags)
{
    std::lock_guard<std::mutex> hold(queues().lock);
    auto found = queues().sent.find(GetCurrentThreadId());
    bool sent = found != queues().sent.end() && !found->second.empty();
    return (flags & QS_SENDMESSAGE) && sent ? (QS_SENDMESSAGE << 16) | QS_SENDMESSAGE : 0;
}

BOOL WINAPI GetMessageA(MSG* message, HWND window, UINT first, UINT last)
{
    if (!message)
        return -1;
    standin::noteWindowThread();
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
