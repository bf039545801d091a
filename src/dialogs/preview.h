// The live preview of the full dialog: the loop that runs as the dialog
// state's thread body, the picture window and its class, and placing the
// overlay.
#pragma once

#include "platform/platform.h"

class DigDialogState;

// The preview frame is always this size, whatever the picture size.
constexpr int kPreviewWidth = 384;
constexpr int kPreviewHeight = 288;

// Whether the dialogs run inside TavDigCapture, with its card and preview
// frame buffer. Outside it (a host calling TavDigDialog with type 7 itself)
// the dialogs never touch a card through the handle an earlier capture left.
bool captureRunning();

// The preview loop: digitizes preview frames or keeps the overlay placed
// until a stop is asked for. The body of the dialog state's thread.
int runPreview(DigDialogState& state);

// Masks and places the overlay in the picture window's client area; 0, and
// nothing sent, when the picture window is not a live window or no capture
// runs.
int placeOverlay();

// The class "SAA7146Pic" of the picture window: registered when a dialog
// first needs it (never from the library's entry point, which runs under
// the loader lock), and unregistered when the library is unloaded.
bool ensurePictureClass();
void unregisterPictureClass();
LRESULT CALLBACK pictureWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
