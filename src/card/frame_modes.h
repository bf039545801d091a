// The 28 frame modes: seven picture sizes in four formats, numbered
// 4 x size + format. Frames are packed: width x height x bytes per pixel.
#pragma once

#include <cstdint>

#include <saa7146/dcard.h>

#include "card/driver_request.h"

constexpr int kFrameModeCount = 28;

// The entry of a mode 0..27, or null.
const DCardFrameMode* frameMode(int mode);

// width x height x bytes per pixel, or false when a side is negative, the
// depth is not one the card digitizes, or the product does not fit 32 bits.
bool frameBytes(int width, int height, int bitsPerPixel, uint32_t& bytes);
