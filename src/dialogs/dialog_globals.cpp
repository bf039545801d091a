// Module-wide variables of the capture dialogs, and their message boxes.
#include "dialogs/dialog_globals.h"

#include "dialogs/dialog_state.h"

DialogGlobals& dialogGlobals()
{
    static DialogGlobals globals;
    return globals;
}

void showDialogMessage(HWND owner, UINT id)
{
    char text[100];
    text[0] = '\0';
    LoadStringA(dialogGlobals().instance, id, text, sizeof(text));
    MessageBoxA(owner, text, dialogGlobals().caption, MB_OK | MB_ICONEXCLAMATION);
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
