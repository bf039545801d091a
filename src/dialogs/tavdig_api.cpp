// The capture interface of a video-capture host: the settings dialogs, one
// captured picture, and the capture format.
#include <cstdlib>
#include <cstring>

#include <saa7146/tavdig.h>

#include "dialogs/dialog_globals.h"
#include "dialogs/dialog_proc.h"
#include "dialogs/dialog_state.h"
#include "dialogs/preview.h"
#include "image/dib.h"
#include "resources/resource_ids.h"

namespace {

int templateOf(int type)
{
    switch (type) {
    case TAVDIG_FORMAT:
        return IDD_FORMAT;
    case TAVDIG_SOURCE:
        return IDD_SOURCE;
    case TAVDIG_NONE:
        return IDD_NONE;
    case TAVDIG_FULL:
        return IDD_FULL;
    default:
        return 0;
    }
}

int bytesPerPixel(int32_t bitsPerPixel)
{
    switch (bitsPerPixel) {
    case 8:
        return 1;
    case 15:
    case 16:
        return 2;
    case 24:
        return 3;
    default:
        return 4;
    }
}

} // namespace

extern "C" {

int TAVDIG_CALL TavDigDialog(HWND parent, int type, const char* keyPath)
{
    int templateId = templateOf(type);
    if (!templateId)
        return 0;
    DigDialogState& state = dialogState();
    if (!state.loadSettings(keyPath))
        return 0;
    state.dialogType = type;
    state.confirmed = false;
    INT_PTR shown = -1;
    if (ensurePictureClass())
        shown = DialogBoxParamA(dialogGlobals().instance, MAKEINTRESOURCEA(templateId), parent,
                                DlgProc, 0);
    // However the dialog ended (OK, Cancel, its close box, WM_QUIT, its
    // owner destroyed), no preview outlives it; and only OK is a yes.
    state.Stop();
    if (shown == -1) // never shown: no template, no window
        return 0;
    if (!state.confirmed)
        state.cancelFlag = 1;
    return state.confirmed ? 1 : 0;
}

HGLOBAL TAVDIG_CALL TavDigCapture(HWND parent)
{
    DialogGlobals& globals = dialogGlobals();
    DigDialogState& state = dialogState();
    // Zeroed: a preview frame the card does not fill shows black, never
    // what the memory held before.
    globals.previewFrame = static_cast<uint8_t*>(calloc(1, kPreviewFrameBytes));
    if (!globals.previewFrame) {
        showDialogMessage(parent, IDS_MEMORY_ERROR);
        return nullptr;
    }
    globals.cardHandle = DCardInit(0);
    if (!globals.cardHandle) {
        free(globals.previewFrame);
        globals.previewFrame = nullptr;
        showDialogMessage(parent, IDS_CANNOT_OPEN_CARD);
        return nullptr;
    }
    globals.captureRunning = true;
    int accepted = TavDigDialog(parent, TAVDIG_FULL, nullptr);
    state.Stop();
    globals.captureRunning = false;
    DCardExit(globals.cardHandle);
    free(globals.previewFrame);
    globals.previewFrame = nullptr;
    if (accepted)
        return takeCurrentDibBlock();
    deletePreviewBitmap();
    freeCurrentDibBlock();
    return nullptr;
}

int TAVDIG_CALL TavDigGetVFWMode(TavDigVFWMode* mode)
{
    if (!mode)
        return 0;
    const DigDialogState& state = dialogState();
    TavDigVFWMode filled;
    filled.size = sizeof(filled);
    filled.width = state.width;
    filled.height = state.height;
    filled.bitsPerPixel = state.bitsPerPixel;
    // Computed in 32 bits as a host's own arithmetic would; the dialogs keep
    // the sizes far below any wrap.
    filled.imageSize = static_cast<int32_t>(static_cast<uint32_t>(state.width) *
                                            static_cast<uint32_t>(state.height) *
                                            static_cast<uint32_t>(bytesPerPixel(state.bitsPerPixel)));
    filled.camera = state.camera;
    filled.yuv = state.yuv;
    if (mode->size < filled.size)
        filled.size = mode->size;
    memcpy(mode, &filled, filled.size);
    return 1;
}

} // extern "C"
