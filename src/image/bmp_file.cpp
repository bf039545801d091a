// DCardSaveDigBMP: one frame digitized bottom-up and written as a BMP file.
#include <cstring>
#include <vector>

#include <saa7146/dcard.h>

#include "api/guard.h"
#include "card/switches.h"
#include "image/dib.h"

namespace {

constexpr uint32_t kFileHeaderBytes = 14;
constexpr int kWriteFlags = 0x8302;  // read-write, create, truncate, binary
constexpr int kWriteMode = 0x180;    // read and write permission

// Writes the current DIB block, which holds a frame of this layout, as a file.
int writeCurrentBlock(const char* path, const DibLayout& layout)
{
    HGLOBAL block = currentDibBlock();
    if (!block)
        return 0;
    auto* dib = static_cast<const uint8_t*>(GlobalLock(block));
    if (!dib)
        return 0;

    uint32_t dibBytes = kDibHeaderBytes + layout.palette + layout.pixelBytes;
    uint8_t header[kFileHeaderBytes] = {'B', 'M'};
    uint32_t fileSize = kFileHeaderBytes + dibBytes;
    uint32_t offBits = kFileHeaderBytes + kDibHeaderBytes + layout.palette;
    memcpy(header + 2, &fileSize, 4);
    memcpy(header + 10, &offBits, 4);

    int result = 0;
    int file = _open(path, kWriteFlags, kWriteMode);
    if (file >= 0) {
        if (_write(file, header, kFileHeaderBytes) == int(kFileHeaderBytes) &&
            _write(file, dib, dibBytes) == int(dibBytes))
            result = 1;
        _close(file);
    }
    GlobalUnlock(block);
    return result;
}

int colourTypeOf(int bitsPerPixel)
{
    return bitsPerPixel == 8 ? DCARD_COLOUR_GREY : DCARD_COLOUR_RGB;
}

// Rows that need no padding: the frame is digitized straight into the
// pixels of the spare block, which then becomes the current DIB block; the
// block it replaces is the spare for the next picture. So a series of
// pictures neither allocates nor copies a frame twice, and no lock is held
// while the card delivers.
int saveUnpadded(int handle, int camera, int width, int height, int bitsPerPixel,
                 const char* path, const DibLayout& layout)
{
    const uint32_t bytes = dibBlockBytes(layout);
    HGLOBAL block = takeSpareDibBlock();
    if (block && GlobalSize(block) != bytes) {
        GlobalFree(block);
        block = nullptr;
    }
    if (!block)
        block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    if (!block)
        return 0;
    auto* dib = static_cast<uint8_t*>(GlobalLock(block));
    if (!dib) {
        GlobalFree(block);
        return 0;
    }
    // A card fills every pixel; test mode leaves what no file gives, which
    // is then black rather than the block's last picture.
    if (testMode)
        memset(dib + kDibHeaderBytes + layout.palette, 0, layout.pixelBytes);
    uint32_t received = 0;
    int digitized = DCardDigitEx(handle, camera, width, height, bitsPerPixel,
                                 colourTypeOf(bitsPerPixel), dib + kDibHeaderBytes + layout.palette,
                                 layout.pixelBytes + kDibSpareBytes, &received, 1);
    GlobalUnlock(block);
    int written = 0;
    {
        // From the build to the write, so no other thread's build frees the block.
        std::lock_guard<std::recursive_mutex> hold(dibLock());
        if (digitized && installDibBlock(block, width, height, layout))
            written = writeCurrentBlock(path, layout);
    }
    keepSpareDibBlock(block);
    return written;
}

// Rows padded to 4 bytes: the frame goes through a buffer, and MakeDigDIB
// pads it.
int savePadded(int handle, int camera, int width, int height, int bitsPerPixel,
               const char* path, const DibLayout& layout)
{
    uint32_t bufferBytes = layout.frameRow * uint32_t(height) + kDibSpareBytes;
    std::vector<uint8_t> frame(bufferBytes);
    uint32_t received = 0;
    if (!DCardDigitEx(handle, camera, width, height, bitsPerPixel, colourTypeOf(bitsPerPixel),
                      frame.data(), bufferBytes, &received, 1))
        return 0;
    std::lock_guard<std::recursive_mutex> hold(dibLock());
    HDC screen = GetDC(nullptr);
    MakeDigDIB(screen, frame.data(), width, height, bitsPerPixel, 1);
    ReleaseDC(nullptr, screen);
    return writeCurrentBlock(path, layout);
}

} // namespace

extern "C" int DCARD_CALL DCardSaveDigBMP(int handle, int camera, int width, int height,
                                          int bitsPerPixel, const char* path)
{
    return guarded([&]() -> int {
        // Only depths a bitmap can hold are digitized: 32 bits (or any
        // other) is refused before a frame is asked for.
        DibLayout layout;
        if (!path || !dibLayout(width, height, bitsPerPixel, layout))
            return 0;
        // A frame larger than the card's frame memory is never delivered:
        // refused before a block of its size is made (and kept as the spare).
        DigitCard* card = cardFromHandle(handle);
        if (!card || uint64_t(layout.frameRow) * uint64_t(height) > card->mapping().frameMemorySize)
            return 0;
        if (bitsPerPixel == 16)
            bitsPerPixel = 15;
        if (layout.frameRow == layout.dibRow)
            return saveUnpadded(handle, camera, width, height, bitsPerPixel, path, layout);
        return savePadded(handle, camera, width, height, bitsPerPixel, path, layout);
    });
}
