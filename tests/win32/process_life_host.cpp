// A host of SAA7146.dll as process_life_test starts it, in test mode: it
// loads the library, does one thing, and says "returning" just before main
// returns (or, for quit, what it saw). Run as:
//   process_life_host <path of SAA7146.dll> digitize|capture|quit
// digitize: three threads digitize while main returns.
// capture:  another thread's TavDigCapture shows its preview while main returns.
// quit:     TavDigDialog type 7 ended by WM_QUIT, then FreeLibrary.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include <saa7146/dcard.h>
#include <saa7146/tavdig.h>

namespace {

HMODULE library = nullptr;

template <class Function> Function find(const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

void say(const char* text)
{
    printf("%s\n", text);
    fflush(stdout);
}

DWORD WINAPI digitizeForever(LPVOID)
{
    auto digit = find<DCardDigitFn>("DCardDigit");
    static uint8_t frames[3][110592];
    static LONG next = 0;
    uint8_t* frame = frames[InterlockedIncrement(&next) % 3];
    uint32_t bytes = 0;
    for (;;)
        digit(1, 0, 4, frame, sizeof(frames[0]), &bytes, 0);
}

DWORD WINAPI captureForever(LPVOID)
{
    auto capture = find<HGLOBAL(TAVDIG_CALL*)(HWND)>("TavDigCapture");
    capture(nullptr);
    return 0;
}

BOOL CALLBACK findDialog(HWND window, LPARAM parameter)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char name[16] = {};
    GetClassNameA(window, name, sizeof(name));
    if (process == GetCurrentProcessId() && strcmp(name, "#32770") == 0 && IsWindowVisible(window)) {
        *reinterpret_cast<HWND*>(parameter) = window;
        return FALSE;
    }
    return TRUE;
}

// The dialog of the calling process, once it is shown.
HWND visibleDialog()
{
    HWND found = nullptr;
    EnumWindows(findDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

struct Quitter {
    DWORD thread;
};

DWORD WINAPI quitWhenShown(LPVOID parameter)
{
    auto* quitter = static_cast<Quitter*>(parameter);
    for (int i = 0; i < 1000 && !visibleDialog(); ++i)
        Sleep(10);
    Sleep(300); // the preview running
    PostThreadMessageA(quitter->thread, WM_QUIT, 3, 0);
    return 0;
}

DWORD WINAPI freeLibrary(LPVOID)
{
    FreeLibrary(library);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: process_life_host <SAA7146.dll> digitize|capture|quit\n");
        return 2;
    }
    // The window system started by the main thread before any other thread
    // makes its first window calls.
    DestroyWindow(CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr));
    library = LoadLibraryA(argv[1]);
    if (!library) {
        fprintf(stderr, "cannot load %s\n", argv[1]);
        return 1;
    }
    const char* mode = argv[2];
    if (strcmp(mode, "digitize") == 0) {
        if (find<DCardInitFn>("DCardInit")(0) != 1)
            return 1;
        for (int t = 0; t < 3; ++t)
            CreateThread(nullptr, 0, digitizeForever, nullptr, 0, nullptr);
        Sleep(300);
    } else if (strcmp(mode, "capture") == 0) {
        CreateThread(nullptr, 0, captureForever, nullptr, 0, nullptr);
        for (int i = 0; i < 1000 && !visibleDialog(); ++i)
            Sleep(10);
        if (!visibleDialog())
            return 1;
        Sleep(500); // the preview running
    } else if (strcmp(mode, "quit") == 0) {
        Quitter quitter{GetCurrentThreadId()};
        CreateThread(nullptr, 0, quitWhenShown, &quitter, 0, nullptr);
        auto dialog = find<int(TAVDIG_CALL*)(HWND, int, const char*)>("TavDigDialog");
        int result = dialog(nullptr, TAVDIG_FULL, nullptr);
        MSG message;
        bool quitBack = PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
        printf("dialog %d, quit %s\n", result, quitBack ? "back" : "lost");
        // FreeLibrary on a thread of its own, so a hang shows as a timeout
        // rather than as this process never ending.
        HANDLE freeing = CreateThread(nullptr, 0, freeLibrary, nullptr, 0, nullptr);
        bool freed = WaitForSingleObject(freeing, 5000) == WAIT_OBJECT_0;
        printf("%s\n", freed ? "freed" : "FreeLibrary hangs");
        fflush(stdout);
        if (!freed)
            TerminateProcess(GetCurrentProcess(), 4);
        return result == 0 ? 0 : 3;
    } else {
        fprintf(stderr, "unknown mode %s\n", mode);
        return 2;
    }
    say("returning");
    return 0;
}
