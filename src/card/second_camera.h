// The second camera of a board of type 0x200 arrives in the frame memory as
// two planes: S, 2 bytes per pixel, then P, 1 byte per pixel. Digitizing
// turns them into 3-byte pixels: P[0], S[1], S[4], each value below 18 made 0.
#pragma once

#include <cstdint>

constexpr uint32_t kSecondCameraBoardType = 0x200;

// Bytes of frame memory the conversion reads for a picture of so many pixels.
uint64_t secondCameraSourceBytes(uint64_t pixels);

// Converts width x lines pixels from source into out (3 x width x lines
// bytes). Bottom-up writes the lines in reverse order. Runs the fastest path
// this processor has.
void convertSecondCamera(const uint8_t* source, uint8_t* out, uint32_t width, uint32_t lines,
                         bool bottomUp);

// The ways the conversion can run: the plain loop, and vector code for
// processors that have it. Every path gives the same bytes.
enum class SecondCameraPath { Plain, Ssse3, Avx2 };

// Whether this build and this processor can run the path.
bool secondCameraPathRuns(SecondCameraPath path);

// The path convertSecondCamera takes here: the fastest that runs.
SecondCameraPath secondCameraPath();

// As convertSecondCamera, through the given path; a path that cannot run
// here falls back to the plain loop.
void convertSecondCameraBy(SecondCameraPath path, const uint8_t* source, uint8_t* out,
                           uint32_t width, uint32_t lines, bool bottomUp);
