// Inside the stand-in: the windows and the lock that guards them, shared by
// the files that implement the window manager, the dialog manager and
// painting. Window procedures are never called with the lock held.
#pragma once

#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/posix/winapi.h"

namespace standin {

// What a control of the dialog manager keeps: a button's check, a combo
// box's entries and selection, a scroll bar's range and position.
struct ControlState {
    int check = BST_UNCHECKED;
    std::vector<std::string> items;
    int selection = -1;
    int scrollMin = 0;
    int scrollMax = 100;
    int scrollPos = 0;
};

struct WindowRecord {
    HWND handle = nullptr;
    std::string className;
    WNDPROC procedure = nullptr;
    HINSTANCE instance = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    HWND parent = nullptr; // child windows
    HWND owner = nullptr;  // top-level windows
    RECT rect{};           // in the parent's client coordinates, or the screen's
    RECT frame{};          // how far the client area lies inside: left, top, right, bottom
    DWORD thread = 0;
    std::string text;
    LONG id = 0;
    LONG userData = 0;
    std::vector<HWND> children; // topmost first
    size_t zIndex = 0;          // where it was last found among its siblings
    bool invalid = false;
    bool erase = false;
    ControlState control;
};

// Handles are kFirstWindow + 4 x slot and are never used twice, so a lookup
// is one index.
constexpr uintptr_t kFirstWindow = 0x10010;

struct WindowModel {
    std::recursive_mutex lock;
    std::vector<std::unique_ptr<WindowRecord>> slots; // null once destroyed
    std::vector<HWND> topLevel;                       // topmost first
    size_t live = 0;
    // The windows that wait for WM_PAINT, oldest handle first; it may still
    // name windows destroyed since, which a lookup skips.
    std::set<HWND> invalid;
};

WindowModel& windowModel();

// The window, or null; the caller holds the model's lock.
WindowRecord* findWindow(HWND window);
// The frame insets a window of this style has.
RECT frameFor(DWORD style, DWORD exStyle);
// The window's top-left corner and client origin in screen coordinates; the
// caller holds the lock.
POINT screenOrigin(const WindowRecord& window);
POINT clientOrigin(const WindowRecord& window);

// A new window in the model, on top of its siblings, owned by the calling
// thread; no message is sent.
HWND addWindow(WindowRecord record);

} // namespace standin
