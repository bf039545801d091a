// The virtual card's pictures: a deterministic test pattern of eight colour
// bars (white, yellow, cyan, green, magenta, red, blue, black from left to
// right), an orange marker square that moves 8 pixels right per frame, and
// the camera and frame number ("c:f") in white on black at the top left.
#pragma once

#include <cstdint>

namespace sim {

struct Rgb {
    uint8_t r, g, b;
};

struct FrameFormat {
    int32_t width;
    int32_t height;       // negative: bottom-up
    int32_t bitsPerPixel; // 8 grey, 15 RGB 5-5-5, 16 (RGB 5-6-5, or YUV 4:2:2 without rgb), 24, 32
    bool rgb;
};

// Lines of a height that may be negative (bottom-up), without overflow.
inline uint32_t lineCount(int32_t height)
{
    return height < 0 ? 0u - static_cast<uint32_t>(height) : static_cast<uint32_t>(height);
}

// Bytes of a packed frame of the format, 0 for one the card does not make.
uint64_t frameSize(const FrameFormat& format);

// The colour of the pattern at (x, y), y counted from the top.
Rgb patternColour(int32_t x, int32_t y, int32_t width, int32_t height, uint32_t camera,
                  uint32_t frame);

// Draws the pattern in the format: 8 bits as grey (BT.601 luma), 15 and 16
// bits as little-endian words (blue in the low bits), 24 bits as blue, green,
// red, 32 bits as blue, green, red, 0, YUV 4:2:2 as Y0 U Y1 V per pixel pair.
void renderPattern(const FrameFormat& format, uint32_t camera, uint32_t frame, uint8_t* out);

// The two planes of a second camera on a board of type 0x200 (3 bytes per
// pixel), laid out so that the library's conversion gives the pattern in
// blue, green, red order (but for the red of the last two pixels, which the
// conversion reads from the second plane).
void renderSecondCameraPlanes(int32_t width, int32_t height, uint32_t camera, uint32_t frame,
                              uint8_t* out);

} // namespace sim
