// What the library does when a process loads and unloads it: the capture
// dialogs' instance, caption and picture window class.
#include <cstring>

#include "dialogs/dialog_globals.h"
#include "dialogs/dialog_proc.h"
#include "dialogs/dialog_state.h"
#include "image/dib.h"
#include "resources/resource_ids.h"

namespace {

constexpr const char* kPictureClass = "SAA7146Pic";

BOOL processAttach(HINSTANCE instance)
{
    dialogState(); // built before anything else of the dialogs, as a static object
    DialogGlobals& globals = dialogGlobals();
    globals.instance = instance;
    char caption[sizeof(globals.caption)];
    if (LoadStringA(instance, IDS_CAPTION, caption, sizeof(caption)) > 0)
        memcpy(globals.caption, caption, sizeof(caption));

    WNDCLASSA pictureClass{};
    pictureClass.style = CS_GLOBALCLASS | CS_PARENTDC | CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    pictureClass.lpfnWndProc = pictureWindowProc;
    pictureClass.hInstance = instance;
    pictureClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    pictureClass.lpszClassName = kPictureClass;
    return RegisterClassA(&pictureClass) ? TRUE : FALSE;
}

BOOL processDetach()
{
    UnregisterClassA(kPictureClass, dialogGlobals().instance);
    deletePreviewBitmap();
    freeCurrentDibBlock();
    return TRUE;
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        return processAttach(instance);
    case DLL_PROCESS_DETACH:
        return processDetach();
    default:
        return TRUE;
    }
}
