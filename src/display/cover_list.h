// The record of one computed clipping mask: the target, and the windows that
// cover it with the part of it each one covers.
#pragma once

#include <cstdint>

#include "platform/platform.h"

// A mask has one bit per pixel, rows of whole 32-bit words, the leftmost
// pixel in the top bit of each byte; 1 shows video, 0 is covered.
constexpr int kMaskMaxWidth = 769;
constexpr int kMaskMaxHeight = 576;
constexpr int kMaxCovers = 200;

constexpr uint32_t maskRowBytes(int width)
{
    return (static_cast<uint32_t>(width) + 31u) / 32u * 4u;
}

// The card's mask area holds the largest mask it accepts, 769 x 576 pixels.
constexpr uint32_t kMaskAreaBytes = maskRowBytes(kMaskMaxWidth) * kMaskMaxHeight;

struct CoverList {
    uint32_t rowBytes;
    int32_t width;
    int32_t height;
    HWND windows[kMaxCovers];
    RECT covered[kMaxCovers]; // each window's rectangle within the target, screen coordinates
    RECT target;
    int32_t count;
    uint8_t* bits;
};

// Fills list with target's size and the covering windows of the window's
// top-level window.
void CollectCoverList(HWND window, const RECT& target, CoverList& list);
// Builds the mask of list's covers in bits (filled with ones first when fill
// is set, else built over what is there).
void ClearCovers(uint8_t* bits, bool fill, CoverList& list);
// The visible windows above top in the z-order whose rectangles meet target,
// up to kMaxCovers.
void CollectCovers(HWND top, const RECT& target, CoverList& list);
// Clears the bits of covered (inside target) in a mask of target's size.
void ClearCoverBits(uint8_t* bits, uint32_t rowBytes, const RECT& target, const RECT& covered);
// Whether two lists differ in target, count, or any window or rectangle, in order.
bool coversDiffer(const CoverList& a, const CoverList& b);
