// The display family of a card's operations (the overlay, clipping masks,
// physical addresses), and what the display side keeps for each card slot:
// where its computed masks are built and sent from, the covering windows of
// the last one, and how its first load of ddraw.dll went. The card knows
// nothing of the display; these build on it and hold its lock.
#pragma once

#include <atomic>
#include <cstdint>

#include "card/digit_card.h"
#include "display/cover_list.h"

struct CardDisplay {
    // Under the card's lock.
    alignas(4) uint8_t maskBits[kMaskAreaBytes] = {};
    CoverList lastCover{};
    // maskBits holds the mask of lastCover over a mask of ones.
    bool maskOfLastCover = false;
    // ddraw.dll is loaded again for a later display mode only when the
    // card's first load found its entry point; a card whose first load or
    // lookup failed keeps to the display settings.
    std::atomic<bool> ddrawTried{false};
    std::atomic<bool> ddrawLoadable{false};
};

// The display state of the card's slot.
CardDisplay& cardDisplay(const DigitCard& card);

// Every slot's display state as at load: no mask sent, ddraw.dll not tried.
void forgetCardDisplays();

// The overlay of a camera in a screen rectangle (null: none), with the
// display's mode; a negative camera switches it off. The display's mode is
// found before the card's lock is taken: finding it may load ddraw.dll.
int cardOverlay(DigitCard& card, int camera, const RECT* rect);
// The overlay request with eight values of the caller's, in argument order.
int cardOverlayEx(DigitCard& card, int camera, const int32_t (&values)[8]);
// The driver's physical address of a user address, through parameter 4.
int cardVirt2Phys(DigitCard& card, void* address, uint32_t* physical);
// A clipping mask of the caller's (bits may be null), or none (switch 0).
int cardMask(DigitCard& card, int maskSwitch, int width, int height, const void* bits,
             uint32_t size);
// The mask of the windows above the window's top-level window that cover
// target (null: the window's client area), sent, and the covering windows
// repainted when their list changed since the last one.
int cardWindowsMask(DigitCard& card, HWND window, const RECT* target, const void* initialMask);
