// Module-wide variables of the capture dialogs, and their message boxes.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/platform.h"

constexpr uint32_t kPreviewFrameBytes = 384 * 288 * 3 + 20;

struct DialogGlobals {
    HINSTANCE instance = nullptr;
    char caption[100] = "Orvik";        // string 1004 once the first message is shown
    bool captionLoaded = false;
    HBITMAP previewBitmap = nullptr;
    int cardHandle = 0;                 // kept after the card is closed
    uint8_t* previewFrame = nullptr;    // kPreviewFrameBytes, only inside TavDigCapture
    // Inside TavDigCapture, with its card and preview frame: the dialogs
    // digitize and place the overlay only then.
    std::atomic<bool> captureRunning{false};
};

DialogGlobals& dialogGlobals();

// Shows message text id (1000..1003) in the user's language, owned by owner,
// with the dialogs' caption.
void showDialogMessage(HWND owner, UINT id);

// The preview bitmap deleted, if there is one.
void deletePreviewBitmap();
