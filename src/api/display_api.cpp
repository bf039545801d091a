// The overlay, its clipping masks, and physical addresses for callers that
// drive the overlay themselves.
#include <saa7146/dcard.h>

#include "api/guard.h"
#include "display/card_display.h"

extern "C" {

int DCARD_CALL DCardOverlay(int handle, int camera, const RECT* rect)
{
    return withCard(handle, [&](DigitCard& card) { return cardOverlay(card, camera, rect); });
}

int DCARD_CALL DCardOverlayEx(int handle, int camera, int v1, int v2, int v3, int v4, int v5,
                              int v6, int v7, int v8)
{
    const int32_t values[8] = {v1, v2, v3, v4, v5, v6, v7, v8};
    return withCard(handle, [&](DigitCard& card) { return cardOverlayEx(card, camera, values); });
}

int DCARD_CALL DCardVirt2Phys(int handle, void* address, uint32_t* physical)
{
    return withCard(handle, [&](DigitCard& card) { return cardVirt2Phys(card, address, physical); });
}

int DCARD_CALL DCardMask(int handle, int maskSwitch, int width, int height, const void* bits,
                         uint32_t size)
{
    return withCard(handle, [&](DigitCard& card) {
        return cardMask(card, maskSwitch, width, height, bits, size);
    });
}

int DCARD_CALL DCardWindowsMaskEx(int handle, HWND window, const RECT* rect,
                                  const void* initialMask)
{
    return withCard(handle,
                    [&](DigitCard& card) { return cardWindowsMask(card, window, rect, initialMask); });
}

int DCARD_CALL DCardWindowsMask(int handle, HWND window, const RECT* rect)
{
    return DCardWindowsMaskEx(handle, window, rect, nullptr);
}

} // extern "C"
