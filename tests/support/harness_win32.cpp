// The harness under Wine: the real Windows directory holds SAA7146.INI, and
// a watcher thread answers every message box of the process with OK and
// records it. The process makes its first window-system call on the main
// thread before any other thread exists (two threads making their first
// calls at once can deadlock Wine's one-time set-up); a test that overruns
// its deadline closes the process's windows before the process ends.
#include "support/harness.h"

#include "support/dialog_driver.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#include "platform/direct_draw.h"
#include "platform/platform.h"

namespace harness {

namespace {

struct Watcher {
    std::mutex mutex;
    std::vector<MessageBoxSeen> seen;
    std::set<HWND> answered; // boxes answered and not yet gone
    std::atomic<bool> stop{false};
    std::thread thread;

    ~Watcher()
    {
        stop = true;
        if (thread.joinable())
            thread.join();
    }
};

Watcher& watcher();

BOOL CALLBACK answerBox(HWND window, LPARAM)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char className[32] = {};
    GetClassNameA(window, className, sizeof(className));
    // The library's own dialogs are driven by the tests, not answered here.
    if (process != GetCurrentProcessId() || strcmp(className, "#32770") != 0 ||
        !IsWindowVisible(window) || libraryDialogTemplate(window) != 0)
        return TRUE;
    {
        std::lock_guard<std::mutex> hold(watcher().mutex);
        if (!watcher().answered.insert(window).second)
            return TRUE; // answered already, not yet gone
    }
    MessageBoxSeen box;
    char text[512] = {};
    GetWindowTextA(window, text, sizeof(text));
    box.caption = text;
    text[0] = '\0';
    GetDlgItemTextA(window, 0xFFFF, text, sizeof(text));
    box.text = text;
    // The message box turns "\n" into the line break it shows.
    for (size_t at; (at = box.text.find("\r\n")) != std::string::npos;)
        box.text.replace(at, 2, "\n");
    box.owner = GetWindow(window, GW_OWNER);
    // The buttons it has and the icon it shows, as MessageBoxA was asked.
    box.type = GetDlgItem(window, IDCANCEL) ? MB_OKCANCEL : MB_OK;
    HWND icon = GetDlgItem(window, 0x440);
    if (icon && reinterpret_cast<HICON>(SendMessageA(icon, STM_GETICON, 0, 0)) ==
                    LoadIconA(nullptr, IDI_EXCLAMATION))
        box.type |= MB_ICONEXCLAMATION;
    {
        std::lock_guard<std::mutex> hold(watcher().mutex);
        watcher().seen.push_back(box);
    }
    PostMessageA(window, WM_COMMAND, IDOK, 0);
    return TRUE;
}

BOOL CALLBACK stopAtOnce(HWND, LPARAM)
{
    return FALSE;
}

// The window system's one-time set-up, on the calling thread: a class
// registered, a window made and destroyed, the windows enumerated.
void startWindowSystem()
{
    static std::once_flag done;
    std::call_once(done, [] {
        HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                      GetModuleHandleA(nullptr), nullptr);
        if (window)
            DestroyWindow(window);
        EnumWindows(stopAtOnce, 0);
    });
}

BOOL CALLBACK closeOwnWindow(HWND window, LPARAM)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId())
        PostMessageA(window, WM_CLOSE, 0, 0);
    return TRUE;
}

Watcher& watcher()
{
    static Watcher instance;
    static std::once_flag started;
    std::call_once(started, [] {
        startWindowSystem();
        instance.thread = std::thread([] {
            while (!instance.stop) {
                EnumWindows(answerBox, 0);
                {
                    std::lock_guard<std::mutex> hold(instance.mutex);
                    for (auto at = instance.answered.begin(); at != instance.answered.end();)
                        at = IsWindow(*at) ? std::next(at) : instance.answered.erase(at);
                }
                Sleep(10);
            }
        });
    });
    return instance;
}

} // namespace

void prepareProcess()
{
    startWindowSystem();
}

void endProcessAfterOverrun()
{
    EnumWindows(closeOwnWindow, 0);
    Sleep(500);
    TerminateProcess(GetCurrentProcess(), 3);
    abort();
}

namespace {

void removeTree(const std::string& directory)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((directory + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string path = directory + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                removeTree(path);
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(directory.c_str());
}

char scratchPath[MAX_PATH]; // plain data: it must outlive the exit handler

} // namespace

// Removed with what the tests wrote there when the process exits.
std::string scratchDirectory()
{
    static bool made = [] {
        char base[MAX_PATH];
        GetTempPathA(sizeof(base), base);
        snprintf(scratchPath, sizeof(scratchPath), "%ssaa7146-tests-%lu", base,
                 static_cast<unsigned long>(GetCurrentProcessId()));
        CreateDirectoryA(scratchPath, nullptr);
        atexit([] { removeTree(scratchPath); });
        return true;
    }();
    return made ? scratchPath : "";
}

namespace {

// The test build's TavHelpr.dll, held loaded by the tests so that what they
// set survives the library's own loads and releases.
HMODULE tavHelper()
{
    static HMODULE module = LoadLibraryA("TavHelpr.dll");
    return module;
}

template <class Function> Function helperFunction(const char* name)
{
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(GetProcAddress(tavHelper(), name)));
}

} // namespace

void resetPlatform()
{
    {
        std::lock_guard<std::mutex> hold(watcher().mutex);
        watcher().seen.clear();
    }
    // The helper answers nothing until a test says otherwise.
    typedef void(WINAPI * SetFn)(const DWORD*, DWORD, DWORD);
    if (auto set = helperFunction<SetFn>("TavHelperTestSet"))
        set(nullptr, 0, 0);
}

std::vector<MessageBoxSeen> messageBoxes()
{
    std::lock_guard<std::mutex> hold(watcher().mutex);
    return watcher().seen;
}


void setTavHelper(const uint32_t (&inits)[10], int translateFrom, uint32_t physical)
{
    typedef void(WINAPI * SetFn)(const DWORD*, DWORD, DWORD);
    auto set = helperFunction<SetFn>("TavHelperTestSet");
    ASSERT_TRUE(set) << "TavHelpr.dll of the tests is missing";
    DWORD values[10];
    for (int i = 0; i < 10; ++i)
        values[i] = inits[i];
    set(values, DWORD(translateFrom), physical);
}

std::vector<std::string> tavHelperCalls()
{
    typedef DWORD(WINAPI * CallsFn)(DWORD(*)[3], DWORD);
    std::vector<std::string> calls;
    auto read = helperFunction<CallsFn>("TavHelperTestCalls");
    if (!read)
        return calls;
    DWORD made[64][3];
    DWORD count = read(made, 64);
    static const char* names[] = {"?", "TavHelperInit", "TavHelperVirt2Phys", "TavHelperExit"};
    for (DWORD i = 0; i < count && i < 64; ++i)
        calls.push_back(std::string(names[made[i][0] < 4 ? made[i][0] : 0]) + " " +
                        std::to_string(made[i][1]));
    return calls;
}

HWND createCountingWindow(DWORD style, const RECT& rect, HWND parent, WNDPROC procedure)
{
    static const char* className = [procedure] {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = procedure;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "Saa7146TestWindow";
        windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        RegisterClassA(&windowClass);
        return "Saa7146TestWindow";
    }();
    if (style & WS_CHILD)
        return CreateWindowExA(0, className, "", style, rect.left, rect.top,
                               rect.right - rect.left, rect.bottom - rect.top, parent, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    // Tool windows: no taskbar button, and a frame no wider than asked. Never
    // activated: an activation that the X server's focus event completes
    // later would raise the window above those made after it.
    HWND window = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, className, "",
                                  style & ~WS_VISIBLE, rect.left, rect.top,
                                  rect.right - rect.left, rect.bottom - rect.top, parent, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    if (window)
        SetWindowPos(window, HWND_TOP, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE |
                         ((style & WS_VISIBLE) ? SWP_SHOWWINDOW : 0));
    return window;
}

DisplayFields systemDisplay()
{
    DisplayFields fields;
    DEVMODEA settings = {};
    settings.dmSize = offsetof(DEVMODEA, dmPanningWidth);
    if (!EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &settings))
        return fields;
    fields.width = int32_t(settings.dmPelsWidth);
    fields.height = int32_t(settings.dmPelsHeight);
    fields.bitsPerPixel = int32_t(settings.dmBitsPerPel);
    fields.bytesPerPixel = int32_t((settings.dmBitsPerPel + 7) / 8);
    fields.bytesPerLine = fields.width * fields.bytesPerPixel;
    HMODULE module = LoadLibraryA("ddraw.dll");
    auto create = module ? reinterpret_cast<DirectDrawCreateFn>(
                               reinterpret_cast<void*>(GetProcAddress(module, "DirectDrawCreate")))
                         : nullptr;
    LPDIRECTDRAW directDraw = nullptr;
    if (create && SUCCEEDED(create(nullptr, &directDraw, nullptr))) {
        DDSURFACEDESC desc = {};
        desc.dwSize = sizeof(desc);
        desc.dwFlags = DDSD_CAPS;
        desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
        LPDIRECTDRAWSURFACE surface = nullptr;
        if (SUCCEEDED(directDraw->SetCooperativeLevel(nullptr, DDSCL_NORMAL)) &&
            SUCCEEDED(directDraw->CreateSurface(&desc, &surface, nullptr))) {
            DDSURFACEDESC described = {};
            described.dwSize = sizeof(described);
            if (SUCCEEDED(surface->GetSurfaceDesc(&described))) {
                fields.width = int32_t(described.dwWidth);
                fields.height = int32_t(described.dwHeight);
                fields.bitsPerPixel = int32_t(described.ddpfPixelFormat.dwRGBBitCount);
                fields.bytesPerPixel = fields.bitsPerPixel >> 3;
                fields.bytesPerLine = described.lPitch;
            }
            surface->Release();
        }
        directDraw->Release();
    }
    if (module)
        FreeLibrary(module);
    return fields;
}

bool readDeviceBitmap(HBITMAP bitmap, Picture& picture)
{
    BITMAP info;
    if (!GetObjectA(bitmap, sizeof(info), &info))
        return false;
    BITMAPINFO request = {};
    request.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    request.bmiHeader.biWidth = info.bmWidth;
    request.bmiHeader.biHeight = -info.bmHeight; // top row first
    request.bmiHeader.biPlanes = 1;
    request.bmiHeader.biBitCount = 32;
    request.bmiHeader.biCompression = BI_RGB;
    picture.width = info.bmWidth;
    picture.height = info.bmHeight;
    picture.pixels.assign(size_t(info.bmWidth) * size_t(info.bmHeight), 0);
    HDC screen = GetDC(nullptr);
    int lines = GetDIBits(screen, bitmap, 0, UINT(info.bmHeight), picture.pixels.data(), &request,
                          DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    for (uint32_t& pixel : picture.pixels)
        pixel &= 0x00FFFFFF;
    return lines == info.bmHeight;
}

} // namespace harness
