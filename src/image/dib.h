// Device-independent bitmaps made from digitized frames: a packed DIB in the
// module's current DIB block (header, grey palette for 8 bits, pixel rows
// bottom-up), or a device-dependent bitmap for painting. Pixels are not
// converted: 8 bits read as grey levels, 15 bits as 5-5-5 words written as
// 16 bits per pixel, 24 bits as blue, green, red.
#pragma once

#include <cstdint>
#include <mutex>

#include "platform/platform.h"

constexpr uint32_t kDibHeaderBytes = 40;
constexpr uint32_t kGreyPaletteBytes = 1024;
constexpr uint32_t kDibSpareBytes = 20;

// Rows of a DIB are padded to 4 bytes; frames are packed. Widths whose rows
// are already a multiple of 4 bytes (every width the dialogs offer) need no
// padding, and the DIB's pixels are then the frame byte for byte.
struct DibLayout {
    int bitCount;        // 8, 16 or 24
    uint32_t frameRow;   // width x bytes per pixel
    uint32_t dibRow;     // frameRow padded to 4 bytes
    uint32_t palette;    // 1024 for 8 bits, else 0
    uint32_t pixelBytes; // dibRow x height
};

// The layout of a frame of these dimensions; false for depths other than 8,
// 15, 16 and 24, negative sides, and sizes that do not fit 32 bits with
// room for the header, palette and spare bytes.
bool dibLayout(int width, int height, int bitsPerPixel, DibLayout& layout);

// Builds a DIB from a frame. intoBlock: a packed DIB in a new current DIB
// block, result null (success shows as a current block). Otherwise the
// device-dependent bitmap for dc, owned by the caller. Either way the
// previous current DIB block is freed first.
HBITMAP MakeDigDIB(HDC dc, const uint8_t* pixels, int width, int height, int bitsPerPixel,
                   int intoBlock);

// The size of the packed DIB block of a layout: header, palette, pixels and
// the spare bytes.
uint32_t dibBlockBytes(const DibLayout& layout);

// Makes block, a packed DIB block of dibBlockBytes(layout) whose pixels are
// already in place, the current DIB block, writing its header and palette,
// and hands back in block the one it replaces (or null): no longer current
// and not freed, for the caller to free or reuse, as nobody else holds it.
// False, and nothing changed, when the block cannot be locked.
bool installDibBlock(HGLOBAL& block, int width, int height, const DibLayout& layout);

// The current DIB block and the lock that every use of it holds: bitmaps may
// be built from any thread, and a block in use is never freed under it.
std::recursive_mutex& dibLock();
HGLOBAL currentDibBlock();
// The block's handle, which the caller now owns; the module forgets it.
HGLOBAL takeCurrentDibBlock();
void freeCurrentDibBlock();

// A packed DIB block kept from one picture to the next, so that a series of
// pictures allocates nothing: taken whole by one thread (null when there is
// none), and given back, or freed when one is kept already.
HGLOBAL takeSpareDibBlock();
void keepSpareDibBlock(HGLOBAL block);
// The current and the spare block freed: the library is being unloaded.
void freeDibBlocks();
