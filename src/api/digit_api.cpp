// Digitizing: the mode table and the two digitize calls.
#include <cstring>

#include <saa7146/dcard.h>

#include "api/guard.h"
#include "card/frame_modes.h"

extern "C" {

int DCARD_CALL DCardGetMode(int handle, int mode, DCardFrameMode* record)
{
    return withCard(handle, [&](DigitCard&) -> int {
        const DCardFrameMode* entry = frameMode(mode);
        if (!entry || !record)
            return 0;
        uint32_t n;
        memcpy(&n, record, sizeof(n));
        if (n > sizeof(DCardFrameMode))
            n = sizeof(DCardFrameMode);
        memcpy(record, entry, n);
        memcpy(record, &n, sizeof(n));
        return 1;
    });
}

int DCARD_CALL DCardDigit(int handle, int camera, int mode, void* buffer, uint32_t bufferLength,
                          uint32_t* bytesOut, int flip)
{
    return withCard(handle, [&](DigitCard& card) {
        return card.digit(camera, mode, buffer, bufferLength, bytesOut, flip);
    });
}

int DCARD_CALL DCardDigitEx(int handle, int camera, int width, int height, int bitsPerPixel,
                            int colourType, void* buffer, uint32_t bufferLength,
                            uint32_t* bytesOut, int flip)
{
    return withCard(handle, [&](DigitCard& card) {
        return card.digitEx(camera, width, height, bitsPerPixel, colourType, buffer, bufferLength,
                            bytesOut, flip);
    });
}

} // extern "C"
