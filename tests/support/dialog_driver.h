// Driving the library's modal dialogs as a user would, the same over the
// stand-in and under Wine with real windows: a driver runs on the dialog's
// own thread inside its modal loop, once a pass, and acts on its controls.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace harness {

// Each pass of a dialog's modal loop calls the driver with the dialog and
// the pass number (0 first, right after WM_INITDIALOG); it acts as the user
// would and returns true to go on, false to close the dialog with its close
// box. Without a driver a dialog closes at once. Under Wine a pass is a
// timer tick of the dialog's thread; a driver never runs inside itself (a
// message box it caused runs its own loop meanwhile).
typedef std::function<bool(HWND dialog, int pass)> DialogDriver;
void setDialogDriver(DialogDriver driver);

// What a user does to a control: click a button (enabled ones only), choose
// an entry of a combo box, type into an edit field, move a scroll bar.
void clickControl(HWND dialog, int id);
void selectListItem(HWND dialog, int id, int index);
void typeText(HWND dialog, int id, const std::string& text);
void scrollControl(HWND dialog, int id, int code, int position);

// The dialogs shown since the last clear: which template (1000, 1001 or
// 1003), in which language, with which caption.
struct ShownDialog {
    HWND dialog;
    WORD templateId;
    WORD language;
    std::string caption;
};
std::vector<ShownDialog> shownDialogs();
void clearShownDialogs();

// Which of the library's templates a dialog was made from (1000, 1001,
// 1003), by the controls only it has; 0 for any other dialog (a message box).
WORD libraryDialogTemplate(HWND dialog);

// The user's language for what the library loads from now on: a locale
// name as LC_ALL takes it ("hu_HU.UTF-8"), or null for the default.
void setLanguage(const char* locale);

// The settings the tests write, gone from HKEY_CURRENT_USER.
void clearRegistry();

// Movable global memory blocks allocated and not yet freed; 0 where the
// system does not count them (Windows).
int globalBlocks();

// Whether window shows bitmap (384 x 288 at its client origin), as the
// picture window paints it.
bool showsBitmap(HWND window, HBITMAP bitmap);

} // namespace harness
