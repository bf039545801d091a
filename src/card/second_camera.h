// The second camera of a board of type 0x200 arrives in the frame memory as
// two planes: S, 2 bytes per pixel, then P, 1 byte per pixel. Digitizing
// turns them into 3-byte pixels: P[0], S[1], S[4], each value below 18 made 0.
#pragma once

#include <cstdint>

constexpr uint32_t kSecondCameraBoardType = 0x200;

// Bytes of frame memory the conversion reads for a picture of so many pixels.
uint64_t secondCameraSourceBytes(uint64_t pixels);

// Converts width x lines pixels from source into out (3 x width x lines
// bytes). Bottom-up writes the lines in reverse order.
void convertSecondCamera(const uint8_t* source, uint8_t* out, uint32_t width, uint32_t lines,
                         bool bottomUp);
