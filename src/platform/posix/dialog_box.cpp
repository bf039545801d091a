// The stand-in's modal dialog manager: builds a template's dialog and its
// controls, runs WM_INITDIALOG and the messages of the controls through the
// dialog procedure, and ends the dialog with EndDialog. Nobody sits at the
// screen: a test drives the dialog from a hook that the modal loop calls on
// every pass; without one, the dialog is closed at once, as with its close
// box, or, with SAA7146_DIALOG=ok in the environment, left with its OK
// button (and closed if that does not end it).
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <unistd.h>

#include "platform/posix/control.h"
#include "platform/posix/controls.h"
#include "platform/posix/dialog_template.h"
#include "platform/posix/resources.h"
#include "platform/posix/window_model.h"
#include "platform/posix/recent_records.h"

namespace {

struct RunningDialog {
    DLGPROC procedure = nullptr;
    bool ended = false;
    INT_PTR result = 0;
};

struct Dialogs {
    std::mutex mutex;
    std::map<HWND, RunningDialog> running;
    std::vector<standin::ShownDialog> shown;
    standin::DialogDriver driver;
};

Dialogs& dialogs()
{
    static Dialogs& all = *new Dialogs;
    return all;
}

// A resource's template as parsed, kept with a copy of its bytes: a dialog
// shown again (every capture shows the same few) is not parsed again, and
// bytes that changed at the same place are parsed afresh. Null for a
// template that does not parse.
std::shared_ptr<const standin::DialogTemplate> parsedTemplate(const standin::Resource& resource)
{
    struct Parsed {
        std::vector<uint8_t> bytes;
        std::shared_ptr<const standin::DialogTemplate> form;
    };
    static std::mutex& mutex = *new std::mutex;
    static std::map<const uint8_t*, Parsed>& parsed = *new std::map<const uint8_t*, Parsed>;
    std::lock_guard<std::mutex> hold(mutex);
    Parsed& known = parsed[resource.data];
    bool same = known.form && known.bytes.size() == resource.size;
    for (size_t i = 0; same && i < resource.size; ++i)
        same = known.bytes[i] == resource.data[i];
    if (!same) {
        auto form = std::make_shared<standin::DialogTemplate>();
        if (!standin::parseDialogTemplate(resource.data, resource.size, *form)) {
            parsed.erase(resource.data);
            return nullptr;
        }
        known.bytes.assign(resource.data, resource.data + resource.size);
        known.form = std::move(form);
    }
    return known.form;
}

// Dialog units of "MS Sans Serif" 8 in pixels: a quarter of the average
// character width across, an eighth of the character height down.
int unitsAcross(int units)
{
    return units * 6 / 4;
}
int unitsDown(int units)
{
    return units * 13 / 8;
}

DLGPROC procedureOf(HWND dialog)
{
    std::lock_guard<std::mutex> hold(dialogs().mutex);
    auto at = dialogs().running.find(dialog);
    return at == dialogs().running.end() ? nullptr : at->second.procedure;
}

LRESULT CALLBACK dialogWindowProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    DLGPROC procedure = procedureOf(dialog);
    if (procedure && procedure(dialog, message, wParam, lParam))
        return TRUE;
    switch (message) {
    case WM_CLOSE: // the close box is the Cancel button
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
        return 0;
    case WM_NCCREATE:
        return TRUE;
    default:
        return 0;
    }
}

void registerDialogClass()
{
    static std::once_flag once;
    std::call_once(once, [] {
        standin::registerSystemClasses();
        WNDCLASSA windowClass{};
        windowClass.style = CS_GLOBALCLASS;
        windowClass.lpfnWndProc = dialogWindowProc;
        windowClass.lpszClassName = "#32770";
        RegisterClassA(&windowClass);
    });
}

bool ended(HWND dialog, INT_PTR& result)
{
    std::lock_guard<std::mutex> hold(dialogs().mutex);
    auto at = dialogs().running.find(dialog);
    if (at == dialogs().running.end())
        return true;
    result = at->second.result;
    return at->second.ended;
}

HWND buildDialog(const standin::DialogTemplate& form, HINSTANCE instance, HWND parent)
{
    standin::DisplayMode screen = standin::displayMode();
    int width = unitsAcross(form.cx), height = unitsDown(form.cy);
    RECT frame = standin::frameFor(form.style, form.exStyle);
    width += frame.left + frame.right;
    height += frame.top + frame.bottom;
    int x = unitsAcross(form.x), y = unitsDown(form.y);
    if (form.style & DS_CENTER) {
        x = (static_cast<int>(screen.width) - width) / 2;
        y = (static_cast<int>(screen.height) - height) / 2;
    }
    DWORD style = form.style & ~WS_VISIBLE; // shown once its controls exist
    HWND dialog = CreateWindowExA(form.exStyle, "#32770", form.caption.c_str(), style, x, y, width,
                                  height, parent, nullptr, instance, nullptr);
    return dialog;
}

} // namespace

namespace standin {

void setDialogDriver(DialogDriver driver)
{
    std::lock_guard<std::mutex> hold(dialogs().mutex);
    dialogs().driver = std::move(driver);
}

std::vector<ShownDialog> shownDialogs()
{
    std::lock_guard<std::mutex> hold(dialogs().mutex);
    return dialogs().shown;
}

void clearShownDialogs()
{
    std::lock_guard<std::mutex> hold(dialogs().mutex);
    dialogs().shown.clear();
}

void clickControl(HWND dialog, int id)
{
    if (HWND control = GetDlgItem(dialog, id))
        SendMessageA(control, BM_CLICK, 0, 0);
}

void selectListItem(HWND dialog, int id, int index)
{
    HWND control = GetDlgItem(dialog, id);
    if (!control || !IsWindowEnabled(control))
        return;
    SendMessageA(control, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(control));
}

void typeText(HWND dialog, int id, const std::string& text)
{
    HWND control = GetDlgItem(dialog, id);
    if (control && IsWindowEnabled(control))
        SetWindowTextA(control, text.c_str());
}

void scrollControl(HWND dialog, int id, int code, int position)
{
    HWND control = GetDlgItem(dialog, id);
    if (!control || !IsWindowEnabled(control))
        return;
    if (code == SB_THUMBPOSITION || code == SB_THUMBTRACK)
        SendMessageA(control, SBM_SETPOS, static_cast<WPARAM>(position), 0);
    SendMessageA(dialog, WM_HSCROLL, MAKEWPARAM(code, position), reinterpret_cast<LPARAM>(control));
}

} // namespace standin

extern "C" {

INT_PTR WINAPI DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND parent,
                               DLGPROC procedure, LPARAM parameter)
{
    standin::Resource resource;
    if (!standin::findResource(instance, RT_DIALOG, templateName, resource)) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return -1;
    }
    std::shared_ptr<const standin::DialogTemplate> parsed;
    if (!procedure || !(parsed = parsedTemplate(resource))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    const standin::DialogTemplate& form = *parsed;
    registerDialogClass();
    HWND dialog = buildDialog(form, instance, parent);
    if (!dialog)
        return -1;
    {
        std::lock_guard<std::mutex> hold(dialogs().mutex);
        dialogs().running[dialog] = RunningDialog{procedure, false, 0};
        WORD id = IS_INTRESOURCE(templateName)
                      ? static_cast<WORD>(reinterpret_cast<uintptr_t>(templateName))
                      : 0;
        standin::keepRecord(dialogs().shown, {dialog, id, resource.language, form.caption});
    }
    HWND firstTabStop = nullptr;
    for (const standin::DialogItem& item : form.items) {
        int x = unitsAcross(item.x), y = unitsDown(item.y);
        HWND control = CreateWindowExA(item.exStyle, item.className.c_str(), item.text.c_str(),
                                       item.style | WS_CHILD, x, y, unitsAcross(item.cx),
                                       unitsDown(item.cy), dialog,
                                       reinterpret_cast<HMENU>(static_cast<uintptr_t>(item.id)),
                                       instance, nullptr);
        if (control && !firstTabStop && (item.style & WS_TABSTOP))
            firstTabStop = control;
    }
    bool parentWasEnabled = parent && IsWindowEnabled(parent);
    if (parentWasEnabled)
        EnableWindow(parent, FALSE);
    procedure(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(firstTabStop), parameter);
    ShowWindow(dialog, SW_SHOW);

    // The loop ends when the dialog ends, when its window is gone (its owner
    // was destroyed), or on WM_QUIT, which it puts back for the caller's
    // own loop, as Windows does.
    INT_PTR result = 0;
    bool quit = false;
    for (int pass = 0; !quit && IsWindow(dialog) && !ended(dialog, result); ++pass) {
        standin::DialogDriver driver;
        {
            std::lock_guard<std::mutex> hold(dialogs().mutex);
            driver = dialogs().driver;
        }
        if (!driver && pass == 0) {
            const char* answer = getenv("SAA7146_DIALOG");
            if (answer && strcmp(answer, "ok") == 0)
                standin::clickControl(dialog, IDOK);
        }
        bool closing = !driver || !driver(dialog, pass);
        if (closing && !ended(dialog, result))
            SendMessageA(dialog, WM_CLOSE, 0, 0);
        MSG message;
        int handled = 0;
        while (handled < 64 && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(message.wParam));
                quit = true;
                break;
            }
            DispatchMessageA(&message);
            ++handled;
        }
        if (!handled)
            usleep(1000);
    }
    if (parentWasEnabled)
        EnableWindow(parent, TRUE);
    if (IsWindow(dialog))
        DestroyWindow(dialog);
    {
        std::lock_guard<std::mutex> hold(dialogs().mutex);
        dialogs().running.erase(dialog);
    }
    return result;
}

BOOL WINAPI EndDialog(HWND dialog, INT_PTR result)
{
    std::lock_guard<std::mutex> hold(dialogs().mutex);
    auto at = dialogs().running.find(dialog);
    if (at == dialogs().running.end()) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    at->second.ended = true;
    at->second.result = result;
    return TRUE;
}

} // extern "C"

BOOL WINAPI MapDialogRect(HWND, RECT* rect)
{
    if (!rect)
        return FALSE;
    rect->left = unitsAcross(rect->left);
    rect->right = unitsAcross(rect->right);
    rect->top = unitsDown(rect->top);
    rect->bottom = unitsDown(rect->bottom);
    return TRUE;
}
