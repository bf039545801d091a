// Windows of the tests' own, the same through the stand-in and under Wine.
#include "support/harness.h"

#include "resources/resource_ids.h"
#include "support/dialog_driver.h"

#include <map>
#include <mutex>

namespace harness {

namespace {

struct Made {
    std::mutex lock;
    std::map<HWND, int> paints;
    std::vector<HWND> windows;
};

Made& made()
{
    static Made& all = *new Made;
    return all;
}

LRESULT CALLBACK countingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        std::lock_guard<std::mutex> hold(made().lock);
        ++made().paints[window];
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND remember(HWND window)
{
    if (window) {
        std::lock_guard<std::mutex> hold(made().lock);
        made().windows.push_back(window);
    }
    return window;
}

} // namespace

HWND createCountingWindow(DWORD style, const RECT& rect, HWND parent, WNDPROC procedure);

HWND makeWindow(const RECT& rect, bool visible)
{
    DWORD style = WS_POPUP | (visible ? WS_VISIBLE : 0);
    HWND window = remember(createCountingWindow(style, rect, nullptr, countingProcedure));
    pumpMessages();
    clearPaints();
    return window;
}

HWND makeChild(HWND parent, const RECT& rect)
{
    HWND window =
        remember(createCountingWindow(WS_CHILD | WS_VISIBLE, rect, parent, countingProcedure));
    pumpMessages();
    clearPaints();
    return window;
}

void placeWindow(HWND window, const RECT& rect)
{
    SetWindowPos(window, nullptr, rect.left, rect.top, rect.right - rect.left,
                 rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
    pumpMessages();
}

void destroyWindows()
{
    std::vector<HWND> windows;
    {
        std::lock_guard<std::mutex> hold(made().lock);
        windows.swap(made().windows);
        made().paints.clear();
    }
    for (auto at = windows.rbegin(); at != windows.rend(); ++at)
        if (IsWindow(*at))
            DestroyWindow(*at);
    pumpMessages();
}

int paints(HWND window)
{
    std::lock_guard<std::mutex> hold(made().lock);
    auto found = made().paints.find(window);
    return found == made().paints.end() ? 0 : found->second;
}

void clearPaints()
{
    std::lock_guard<std::mutex> hold(made().lock);
    made().paints.clear();
}

void pumpMessages()
{
    MSG message;
    for (int i = 0; i < 1000 && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE); ++i)
        DispatchMessageA(&message);
}

WORD libraryDialogTemplate(HWND dialog)
{
    if (GetDlgItem(dialog, IDC_PICTURE))
        return IDD_FULL;
    if (GetDlgItem(dialog, IDC_CAMERA_FIRST))
        return IDD_SOURCE;
    if (GetDlgItem(dialog, IDC_WIDTH_FIRST))
        return IDD_FORMAT;
    return 0;
}

} // namespace harness
