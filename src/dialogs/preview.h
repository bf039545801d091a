// The live preview of the full dialog: the loop that runs as the dialog
// state's thread body, the picture window, and placing the overlay.
#pragma once

#include "platform/platform.h"

// The preview frame is always this size, whatever the picture size.
constexpr int kPreviewWidth = 384;
constexpr int kPreviewHeight = 288;

// Whether the dialogs run inside TavDigCapture, with its card and preview
// frame buffer. Outside it (a host calling TavDigDialog with type 7 itself)
// the dialogs never touch a card through the handle an earlier capture left.
bool captureRunning();

// Masks and places the overlay in the picture window's client area; 0, and
// nothing sent, when the picture window is not a live window or no capture
// runs.
int placeOverlay();
