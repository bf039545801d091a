// The display as the overlay finds it, asked of the system the same way.
#pragma once

#include <cstdint>
#include <string>

struct DisplayInfo {
    bool known = false;       // the display settings could be read
    int width = 0, height = 0, bitsPerPixel = 0, bytesPerPixel = 0, pitch = 0;
    bool fromDirectDraw = false; // DirectDraw described the primary surface
    bool haveSurface = false;    // and locked it
    uint32_t surfaceAddress = 0;
};

DisplayInfo queryDisplay();
