// Controls of a dialog by identifier, and scroll bar controls.
#include <cstring>
#include <mutex>

#include "platform/posix/window_model.h"

using standin::findWindow;
using standin::windowModel;
using standin::WindowRecord;

extern "C" {

HWND WINAPI GetDlgItem(HWND dialog, int id)
{
    std::lock_guard<std::recursive_mutex> hold(windowModel().lock);
    WindowRecord* record = findWindow(dialog);
    if (record)
        for (HWND child : record->children)
            if (const WindowRecord* control = findWindow(child); control && control->id == id)
                return child;
    SetLastError(record ? 1421L /* ERROR_CONTROL_ID_NOT_FOUND */ : ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
}

int WINAPI GetDlgCtrlID(HWND control)
{
    std::lock_guard<std::recursive_mutex> hold(windowModel().lock);
    const WindowRecord* record = findWindow(control);
    return record ? static_cast<int>(record->id) : 0;
}

LRESULT WINAPI SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND control = GetDlgItem(dialog, id);
    return control ? SendMessageA(control, message, wParam, lParam) : 0;
}

BOOL WINAPI SetDlgItemTextA(HWND dialog, int id, LPCSTR text)
{
    HWND control = GetDlgItem(dialog, id);
    return control ? SetWindowTextA(control, text) : FALSE;
}

UINT WINAPI GetDlgItemTextA(HWND dialog, int id, LPSTR buffer, int size)
{
    HWND control = GetDlgItem(dialog, id);
    if (!control) {
        if (buffer && size > 0)
            buffer[0] = '\0';
        return 0;
    }
    return static_cast<UINT>(GetWindowTextA(control, buffer, size));
}

BOOL WINAPI CheckDlgButton(HWND dialog, int id, UINT check)
{
    HWND control = GetDlgItem(dialog, id);
    if (!control)
        return FALSE;
    SendMessageA(control, BM_SETCHECK, check, 0);
    return TRUE;
}

UINT WINAPI IsDlgButtonChecked(HWND dialog, int id)
{
    HWND control = GetDlgItem(dialog, id);
    return control ? static_cast<UINT>(SendMessageA(control, BM_GETCHECK, 0, 0)) : 0;
}

BOOL WINAPI CheckRadioButton(HWND dialog, int first, int last, int check)
{
    for (int id = first; id <= last; ++id)
        if (HWND control = GetDlgItem(dialog, id))
            SendMessageA(control, BM_SETCHECK, id == check ? BST_CHECKED : BST_UNCHECKED, 0);
    return TRUE;
}

int WINAPI SetScrollPos(HWND window, int bar, int position, BOOL)
{
    return bar == SB_CTL ? static_cast<int>(SendMessageA(window, SBM_SETPOS, position, 0)) : 0;
}

int WINAPI GetScrollPos(HWND window, int bar)
{
    return bar == SB_CTL ? static_cast<int>(SendMessageA(window, SBM_GETPOS, 0, 0)) : 0;
}

BOOL WINAPI SetScrollRange(HWND window, int bar, int minimum, int maximum, BOOL)
{
    if (bar != SB_CTL || !IsWindow(window))
        return FALSE;
    SendMessageA(window, SBM_SETRANGE, minimum, maximum);
    return TRUE;
}

} // extern "C"
