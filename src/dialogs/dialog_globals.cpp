// Module-wide variables of the capture dialogs, and their message boxes.
#include "dialogs/dialog_globals.h"

#include <cstring>

#include "dialogs/dialog_state.h"
#include "resources/resource_ids.h"

DialogGlobals& dialogGlobals()
{
    static DialogGlobals globals;
    return globals;
}

void showDialogMessage(HWND owner, UINT id)
{
    DialogGlobals& globals = dialogGlobals();
    if (!globals.captionLoaded) {
        char caption[sizeof(globals.caption)];
        if (LoadStringA(globals.instance, IDS_CAPTION, caption, sizeof(caption)) > 0)
            memcpy(globals.caption, caption, sizeof(caption));
        globals.captionLoaded = true;
    }
    char text[100];
    text[0] = '\0';
    LoadStringA(globals.instance, id, text, sizeof(text));
    MessageBoxA(owner, text, globals.caption, MB_OK | MB_ICONEXCLAMATION);
}

void deletePreviewBitmap()
{
    SemaphoreScope hold(dialogState().previewLock);
    DialogGlobals& globals = dialogGlobals();
    if (globals.previewBitmap) {
        DeleteObject(globals.previewBitmap);
        globals.previewBitmap = nullptr;
    }
}
