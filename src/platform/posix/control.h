// Control of the Windows stand-in, for tests and tools. Library code never
// calls this: it sees only the Windows API of winapi.h.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/posix/winapi.h"

namespace standin {

// The directory that stands in for the Windows directory, where a bare INI
// file name is looked up: set here, else $SAA7146_WINDIR, else
// $HOME/.saa7146/windows. An empty path returns to the environment's choice.
void setWindowsDirectory(const std::string& path);
std::string windowsDirectory();

// The file that holds the registry: set here, else $SAA7146_REGISTRY, else
// $HOME/.saa7146/registry.
void setRegistryFile(const std::string& path);
std::string registryFile();
// The registry in this process's memory from now on, empty, instead of in a
// file (setRegistryFile returns to one): for fuzz targets, which start each
// input from an empty registry that need not outlive them.
void useEmptyMemoryRegistry();

// Message boxes never wait: each is recorded and answered with the current
// answer (IDOK unless set). This and the other records of calls below keep
// the most recent ones only (at least the last 2,048; see recent_records.h).
struct MessageBoxRecord {
    HWND owner;
    std::string text;
    std::string caption;
    UINT type;
};
void setMessageBoxAnswer(int answer);
std::vector<MessageBoxRecord> messageBoxes();
void clearMessageBoxes();

// Movable global memory blocks that are allocated and not yet freed.
int globalBlocks();
// Whether an unlocked movable block really moves (the default), so that a
// pointer kept past GlobalUnlock shows; benchmarks turn it off.
void setGlobalMemoryMoves(bool moves);

// A device-dependent bitmap's pixels as 0x00RRGGBB, top row first; false for
// a handle that is no live bitmap.
struct BitmapPixels {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
};
bool readBitmap(HBITMAP bitmap, BitmapPixels& out);
int liveBitmaps();

// The display: its mode as EnumDisplaySettingsA reports it.
struct DisplayMode {
    uint32_t width = 1024;
    uint32_t height = 768;
    uint32_t bitsPerPixel = 32;
    uint32_t refresh = 60;
};
void setDisplayMode(const DisplayMode& mode);
DisplayMode displayMode();
// EnumDisplaySettingsA fails while set.
void setDisplaySettingsFail(bool fail);

// Whether LoadLibraryA finds a module ("ddraw.dll", "TavHelpr.dll"): ddraw.dll
// by default, the maker's helper not. A module may also lack one export.
void setModuleAvailable(const std::string& name, bool available);
void setModuleExportMissing(const std::string& module, const std::string& function, bool missing);
struct ModuleCounts {
    int loads = 0;    // successful LoadLibraryA calls
    int releases = 0; // FreeLibrary calls of a loaded handle
    int loadsWhileSurfaceLocked = 0; // loads and releases while a primary surface is locked
    std::string lastPath;            // as the last LoadLibraryA named it
    int callsWhileUnloaded = 0;      // calls into its objects after its last FreeLibrary
};
ModuleCounts moduleCounts(const std::string& name);
// Runs in every LoadLibraryA and FreeLibrary of a known module, with the
// name it was given (FreeLibrary: the module's), on the caller's thread.
void setModuleHook(std::function<void(const std::string& name)> hook);

// The stand-in's DirectDraw: which calls fail, and the primary surface as it
// describes it (0 takes the display mode's value; a pitch of 0 is width x
// bytes per pixel; an address of 0 is memory of the stand-in's own).
struct DirectDrawSettings {
    bool createFails = false;
    bool cooperativeFails = false;
    bool createSurfaceFails = false;
    bool describeFails = false;
    bool lockFails = false;
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t bitCount = 0;
    int32_t pitch = 0;
    uint64_t surfaceAddress = 0; // where Lock says the surface is; 0: a page of its own
};
void setDirectDraw(const DirectDrawSettings& settings);
struct DirectDrawCounts {
    int created = 0;        // DirectDraw objects
    int surfaces = 0;       // primary surfaces
    int locks = 0;
    int unlocks = 0;
    int liveObjects = 0;    // objects and surfaces not yet released
    uint32_t lastCooperativeFlags = 0;
};
DirectDrawCounts directDrawCounts();
// The address Lock hands out now.
uint64_t primarySurfaceAddress();

// The physical-memory helper's answers: TavHelperInit(i) returns initResults[i];
// TavHelperVirt2Phys(n, address, result) succeeds for the first n at or above
// translateFrom (0: never) and stores physical, or, when that is 0, address
// with its top bit set.
struct TavHelperSettings {
    uint32_t initResults[10] = {};
    int translateFrom = 0;
    uint32_t physical = 0;
};
void setTavHelper(const TavHelperSettings& settings);
struct HelperCall {
    std::string function; // "TavHelperInit", "TavHelperVirt2Phys", "TavHelperExit"
    uint32_t arguments[2];
};
std::vector<HelperCall> helperCalls();

// Display, modules, DirectDraw and helper back to the defaults above.
void resetDisplay();

// The process ended as Windows ends one: every other thread stopped where it
// is, with the locks it holds, then each library told that the process ends
// (DLL_PROCESS_DETACH with lpReserved set), then the static destructors.
// Done in a child process, which fork() leaves with the calling thread
// alone; this process goes on. The child's exit status (code when all went
// well), or -1 when it has not ended within timeoutMilliseconds (it is
// killed then).
int exitProcessAsWindowsDoes(int code, int timeoutMilliseconds);

// Windows made for a test, on the calling thread and on top of their
// siblings: rect is in the parent's client coordinates (the screen's for a
// top-level window). No message is sent.
struct WindowSpec {
    RECT rect{0, 0, 100, 100};
    DWORD style = WS_POPUP | WS_VISIBLE;
    HWND parent = nullptr; // with WS_CHILD: the parent; else the owner
    WNDPROC procedure = nullptr;
    std::string className = "TestWindow";
    LONG id = 0;
};
HWND createWindow(const WindowSpec& wanted);
// Every window gone, without messages.
void destroyAllWindows();
// The same, and handles start over from the first generation of the first
// slot: for programs that compare handles from one run to the next, where a
// handle is never kept past this call.
void restartWindowHandles();
int windowCount();

// RedrawWindow and InvalidateRect calls, in order: which window, the flags,
// the calling thread, and whether it was InvalidateRect.
struct RedrawRecord {
    HWND window;
    UINT flags;
    DWORD thread;
    bool invalidateRect;
};
std::vector<RedrawRecord> redraws();
void clearRedraws();
bool windowIsInvalid(HWND window);

// Modal dialogs. Each pass of a dialog's modal loop calls the driver with
// the dialog and the pass number (0 first, right after WM_INITDIALOG); it
// acts as the user would and returns true to go on, false to close the
// dialog with its close box. Without a driver a dialog closes at once.
typedef std::function<bool(HWND dialog, int pass)> DialogDriver;
void setDialogDriver(DialogDriver driver);
struct ShownDialog {
    HWND dialog;
    WORD templateId;
    WORD language;
    std::string caption;
};
std::vector<ShownDialog> shownDialogs();
void clearShownDialogs();
// What a user does to a control: click a button (enabled ones only), choose
// an entry of a combo box, type into an edit field, move a scroll bar.
void clickControl(HWND dialog, int id);
void selectListItem(HWND dialog, int id, int index);
void typeText(HWND dialog, int id, const std::string& text);
void scrollControl(HWND dialog, int id, int code, int position);

// Copies from a memory context's bitmap to a window, in order.
struct BlitRecord {
    HWND window;
    HBITMAP bitmap;
    int x, y, width, height, sourceX, sourceY;
    DWORD operation;
};
std::vector<BlitRecord> blits();
void clearBlits();

} // namespace standin
