// Inside the stand-in: the windows and the lock that guards them, shared by
// the files that implement the window manager, the dialog manager and
// painting. Window procedures are never called with the lock held.
#pragma once

#include <deque>
#include <map>
#include <memory>
#include <mutex>
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
    int droppedWidth = 0; // a combo box's list, 0: as wide as the box
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
    LONG_PTR userData = 0;
    std::vector<HWND> children; // topmost first
    size_t zIndex = 0;          // where it was last found among its siblings
    bool invalid = false;
    bool erase = false;
    ControlState control;
    uint64_t serial = 0; // the order in which windows were made
};

// Handles are kFirstWindow + 4 x (slot + generation x kSlotCount), so a
// lookup is one index and a comparison. The slot of a destroyed window is
// used again once kSlotsHeldFree others are free (those freed longest ago
// first), with the next of kGenerations generations: a handle kept past its
// window names no window for at least kSlotsHeldFree x kGenerations windows
// made, and the table does not grow with every window ever made.
constexpr uintptr_t kFirstWindow = 0x10010;
constexpr uint32_t kSlotCount = 1u << 20; // windows alive at once, at most
constexpr uint32_t kGenerations = 256;
constexpr size_t kSlotsHeldFree = 1024;

struct WindowModel {
    std::recursive_mutex lock;
    std::vector<std::unique_ptr<WindowRecord>> slots; // null while free
    std::vector<uint8_t> generations;                 // of each slot's handle
    std::deque<uint32_t> freeSlots;                   // freed longest ago first
    std::vector<HWND> topLevel;                       // topmost first
    size_t live = 0;
    uint64_t made = 0;
    // The windows that wait for WM_PAINT by serial, oldest first; it may
    // still name windows destroyed since, which a lookup skips.
    std::map<uint64_t, HWND> invalid;
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
// thread; no message is sent. Null when kSlotCount windows are alive.
HWND addWindow(WindowRecord record);
// Ends the window's record and frees its slot; the caller holds the lock.
void freeWindowSlot(HWND window);
// Takes the window out of its siblings and frees its slot and its
// children's, sending nothing; the caller holds the lock.
void removeWindowQuietly(HWND window);
// Notes that the calling thread owns windows, so that they go when it ends.
void noteWindowThread();

} // namespace standin
