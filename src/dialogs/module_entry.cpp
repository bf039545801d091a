// What the library does when a process loads and unloads it. The entry point
// runs under the system's loader lock, so it calls nothing of the window
// system: the picture window's class is registered when a dialog first needs
// it, and the message caption is loaded with the first message.
//
// At the process's end (a detach with lpReserved set) the system has already
// stopped every other thread, maybe inside a lock of ours, and reclaims
// memory, handles, devices and classes itself: nothing is waited for and
// nothing is closed. FreeLibrary (lpReserved null) takes everything down.
#include "api/card_table.h"
#include "card/switches.h"
#include "dialogs/dialog_globals.h"
#include "dialogs/dialog_state.h"
#include "dialogs/preview.h"
#include "image/dib.h"
#include "support/module_state.h"

namespace {

BOOL processAttach(HINSTANCE instance)
{
    dialogState(); // built before anything else of the dialogs, as a static object
    dialogGlobals().instance = instance;
    return TRUE;
}

void unload()
{
    DigDialogState& state = dialogState();
    // TavDigDialog never returns with the preview running; a host thread
    // still inside a dialog cannot be waited for under the loader lock.
    if (state.Running())
        state.Abandon();
    closeOpenCards();
    unregisterPictureClass();
    deletePreviewBitmap();
    freeDibBlocks();
    releaseModuleState();
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        return processAttach(instance);
    case DLL_PROCESS_DETACH:
        if (reserved)
            processEnding = true;
        else
            unload();
        return TRUE;
    default:
        return TRUE;
    }
}
