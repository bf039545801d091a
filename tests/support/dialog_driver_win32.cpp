// The dialog driver under Wine: a hook of the test's thread sees each dialog
// being made, and a timer of the dialog, dispatched by its own modal loop,
// runs the driver on the dialog's thread. Controls are worked with the
// messages a user's clicks and keys become.
#include "support/dialog_driver.h"

#include <map>
#include <mutex>

#include "resources/resource_ids.h"
#include "support/harness.h"

namespace harness {

namespace {

constexpr UINT_PTR kDriverTimer = 0x7146;
constexpr UINT kPassMilliseconds = 10;

struct Driving {
    std::mutex lock;
    DialogDriver driver;
    std::vector<ShownDialog> shown;
    std::map<HWND, int> passes;
    HHOOK hook = nullptr;
};

Driving& driving()
{
    static Driving& state = *new Driving;
    return state;
}


void CALLBACK pass(HWND dialog, UINT, UINT_PTR, DWORD)
{
    static thread_local bool inside = false;
    if (inside)
        return;
    Driving& state = driving();
    DialogDriver driver;
    int number = 0;
    {
        std::lock_guard<std::mutex> hold(state.lock);
        auto seen = state.passes.find(dialog);
        if (seen == state.passes.end()) {
            WORD id = libraryDialogTemplate(dialog);
            if (id == 0) {
                KillTimer(dialog, kDriverTimer); // not ours to drive
                return;
            }
            char caption[256] = {};
            GetWindowTextA(dialog, caption, sizeof(caption));
            state.shown.push_back({dialog, id, LANGIDFROMLCID(GetThreadLocale()), caption});
            seen = state.passes.emplace(dialog, 0).first;
        }
        number = seen->second++;
        driver = state.driver;
    }
    inside = true;
    bool goOn = driver && driver(dialog, number);
    inside = false;
    if (!goOn && IsWindow(dialog)) {
        KillTimer(dialog, kDriverTimer);
        PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
}

LRESULT CALLBACK creation(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND) {
        auto* create = reinterpret_cast<CBT_CREATEWNDA*>(lParam);
        LPCSTR name = create->lpcs->lpszClass;
        bool dialogClass = IS_INTRESOURCE(name) ? reinterpret_cast<uintptr_t>(name) == 32770
                                                : strcmp(name, "#32770") == 0;
        if (dialogClass)
            SetTimer(reinterpret_cast<HWND>(wParam), kDriverTimer, kPassMilliseconds, pass);
    } else if (code == HCBT_DESTROYWND) {
        std::lock_guard<std::mutex> hold(driving().lock);
        driving().passes.erase(reinterpret_cast<HWND>(wParam));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

void setDialogDriver(DialogDriver driver)
{
    Driving& state = driving();
    std::lock_guard<std::mutex> hold(state.lock);
    state.driver = std::move(driver);
    if (!state.hook)
        state.hook = SetWindowsHookExA(WH_CBT, creation, nullptr, GetCurrentThreadId());
}

void clickControl(HWND dialog, int id)
{
    HWND control = GetDlgItem(dialog, id);
    if (control && IsWindowEnabled(control))
        SendMessageA(control, BM_CLICK, 0, 0);
}

void selectListItem(HWND dialog, int id, int index)
{
    HWND list = GetDlgItem(dialog, id);
    SendMessageA(list, CB_SETCURSEL, WPARAM(index), 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

void typeText(HWND dialog, int id, const std::string& text)
{
    SetDlgItemTextA(dialog, id, text.c_str());
}

void scrollControl(HWND dialog, int id, int code, int position)
{
    HWND bar = GetDlgItem(dialog, id);
    SendMessageA(dialog, WM_HSCROLL, MAKEWPARAM(code, position), reinterpret_cast<LPARAM>(bar));
}

std::vector<ShownDialog> shownDialogs()
{
    std::lock_guard<std::mutex> hold(driving().lock);
    return driving().shown;
}

void clearShownDialogs()
{
    std::lock_guard<std::mutex> hold(driving().lock);
    driving().shown.clear();
}

void setLanguage(const char* locale)
{
    LANGID language = locale && strncmp(locale, "hu", 2) == 0
                          ? MAKELANGID(LANG_HUNGARIAN, SUBLANG_DEFAULT)
                          : MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
    SetThreadLocale(MAKELCID(language, SORT_DEFAULT));
    SetThreadUILanguage(language);
}

void clearRegistry()
{
    for (const std::string& key :
         {std::string("Software\\Zemtra"), std::string("Software\\Host"), std::string(127, 'k')})
        RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str());
}

int globalBlocks()
{
    return 0;
}

bool showsBitmap(HWND window, HBITMAP bitmap)
{
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    Picture wanted;
    if (!readDeviceBitmap(bitmap, wanted) || wanted.width < 384 || wanted.height < 288)
        return false;
    HDC dc = GetDC(window);
    bool same = true;
    for (int y = 5; y < 288 && same; y += 47) {
        for (int x = 7; x < 384 && same; x += 53) {
            uint32_t pixel = wanted.pixels[size_t(y) * size_t(wanted.width) + size_t(x)];
            same = (GetPixel(dc, x, y) & 0xFFFFFF) ==
                   RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
        }
    }
    ReleaseDC(window, dc);
    return same;
}

} // namespace harness
