// The display the overlay is drawn into: its mode, as the display settings
// give it and as DirectDraw refines it, and the primary surface's address,
// which the driver needs to write into the frame buffer.
#pragma once

#include "card/digit_card.h"
#include "card/driver_request.h"

// Fills the request's five display fields for its width, height and bits per
// pixel (already set from the display settings): from the module-wide cache
// when the mode is the one last seen, else from DirectDraw when the card can
// load it. The caller holds card.cardLock.
void queryDisplayMode(DigitCard& card, driver::OverlayRequest& request);

// Finds the primary surface's address with DirectDraw, translates it with the
// maker's helper and hands it to the driver as parameter 5 of camera 0.
// Silent on every failure. Called by DCardInit under the card table lock.
void displaySetup(int handle);

// The physical address of a user address through TavHelpr.dll, 0 when it
// has none.
uint32_t HelperVirt2Phys(uint32_t address);

// The display-mode cache back to its state at load: the next query misses.
void forgetDisplayMode();
