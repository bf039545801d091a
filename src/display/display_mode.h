// The display the overlay is drawn into: its mode, as the display settings
// give it and as DirectDraw refines it, and the primary surface's address,
// which the driver needs to write into the frame buffer.
#pragma once

#include "card/driver_request.h"
#include "display/card_display.h"
#include "display/display_modules.h"

// Fills the request's five display fields for its width, height and bits per
// pixel (already set from the display settings): from the module-wide cache
// when the mode is the one last seen, else from DirectDraw when the card can
// load it. Called without any lock of ours held: it may load ddraw.dll.
void queryDisplayMode(CardDisplay& display, driver::OverlayRequest& request);

// Finds the primary surface's address with DirectDraw, translates it with the
// maker's helper and hands it to the driver as parameter 5 of camera 0.
// Silent on every failure. Called by DCardInit under the card table lock,
// with the modules it loaded before taking it: nothing is loaded here.
void displaySetup(int handle, const DisplayModules& modules);

// The physical address of a user address through the maker's helper, 0 when
// it has none.
uint32_t HelperVirt2Phys(HMODULE helper, uint32_t address);

// The display-mode cache and every card's display state back to their state
// at load: the next query misses, and no card has tried ddraw.dll.
void forgetDisplayMode();
