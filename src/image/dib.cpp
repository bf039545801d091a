#include "image/dib.h"

#include "support/module_state.h"

#include <cstring>
#include <utility>
#include <vector>

namespace {

HGLOBAL currentBlock = nullptr;
HGLOBAL spareBlock = nullptr;

// The header and palette of device-dependent bitmaps (the DIB header area).
struct HeaderArea {
    BITMAPINFOHEADER header;
    RGBQUAD palette[256];
};
HeaderArea headerArea;

void fillHeader(BITMAPINFOHEADER& header, int width, int height, const DibLayout& layout)
{
    memset(&header, 0, sizeof(header));
    header.biSize = kDibHeaderBytes;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = static_cast<WORD>(layout.bitCount);
    header.biCompression = BI_RGB;
    header.biSizeImage = 0;
    header.biXPelsPerMeter = 2834;
    header.biYPelsPerMeter = 2834;
    header.biClrUsed = layout.palette ? 256 : 0;
    header.biClrImportant = 0;
}

void fillGreyPalette(RGBQUAD* palette)
{
    for (int i = 0; i < 256; ++i)
        palette[i] = {static_cast<BYTE>(i), static_cast<BYTE>(i), static_cast<BYTE>(i), 0};
}

// The header and, for 8 bits, the palette at the start of a packed DIB.
void writeDibHeader(uint8_t* dib, int width, int height, const DibLayout& layout)
{
    BITMAPINFOHEADER header;
    fillHeader(header, width, height, layout);
    memcpy(dib, &header, sizeof(header));
    if (layout.palette) {
        RGBQUAD palette[256];
        fillGreyPalette(palette);
        memcpy(dib + kDibHeaderBytes, palette, sizeof(palette));
    }
}

// Copies the frame's packed rows into rows of the DIB's stride.
void copyRows(uint8_t* out, const uint8_t* pixels, int height, const DibLayout& layout)
{
    if (layout.frameRow == layout.dibRow) {
        memcpy(out, pixels, layout.pixelBytes);
        return;
    }
    for (int y = 0; y < height; ++y) {
        memcpy(out + size_t(y) * layout.dibRow, pixels + size_t(y) * layout.frameRow,
               layout.frameRow);
        memset(out + size_t(y) * layout.dibRow + layout.frameRow, 0,
               layout.dibRow - layout.frameRow);
    }
}

} // namespace

bool dibLayout(int width, int height, int bitsPerPixel, DibLayout& layout)
{
    int bytesPerPixel;
    switch (bitsPerPixel) {
    case 8:
        bytesPerPixel = 1;
        layout.bitCount = 8;
        break;
    case 15:
    case 16:
        bytesPerPixel = 2;
        layout.bitCount = 16;
        break;
    case 24:
        bytesPerPixel = 3;
        layout.bitCount = 24;
        break;
    default:
        return false;
    }
    if (width < 0 || height < 0)
        return false;
    uint64_t frameRow = uint64_t(width) * uint64_t(bytesPerPixel);
    uint64_t dibRow = (frameRow + 3) & ~uint64_t(3);
    uint64_t pixelBytes = dibRow * uint64_t(height);
    layout.palette = layout.bitCount == 8 ? kGreyPaletteBytes : 0;
    if (kDibHeaderBytes + layout.palette + pixelBytes + kDibSpareBytes > UINT32_MAX)
        return false;
    layout.frameRow = static_cast<uint32_t>(frameRow);
    layout.dibRow = static_cast<uint32_t>(dibRow);
    layout.pixelBytes = static_cast<uint32_t>(pixelBytes);
    return true;
}

uint32_t dibBlockBytes(const DibLayout& layout)
{
    return kDibHeaderBytes + layout.palette + layout.pixelBytes + kDibSpareBytes;
}

std::recursive_mutex& dibLock()
{
    return moduleState<std::recursive_mutex>();
}

HGLOBAL currentDibBlock()
{
    std::lock_guard<std::recursive_mutex> hold(dibLock());
    return currentBlock;
}

HGLOBAL takeCurrentDibBlock()
{
    std::lock_guard<std::recursive_mutex> hold(dibLock());
    HGLOBAL block = currentBlock;
    currentBlock = nullptr;
    return block;
}

bool installDibBlock(HGLOBAL& block, int width, int height, const DibLayout& layout)
{
    std::lock_guard<std::recursive_mutex> hold(dibLock());
    auto* dib = static_cast<uint8_t*>(GlobalLock(block));
    if (!dib)
        return false;
    writeDibHeader(dib, width, height, layout);
    GlobalUnlock(block);
    std::swap(block, currentBlock);
    return true;
}

void freeCurrentDibBlock()
{
    std::lock_guard<std::recursive_mutex> hold(dibLock());
    if (currentBlock)
        GlobalFree(currentBlock);
    currentBlock = nullptr;
}

HGLOBAL takeSpareDibBlock()
{
    std::lock_guard<std::recursive_mutex> hold(dibLock());
    HGLOBAL block = spareBlock;
    spareBlock = nullptr;
    return block;
}

void keepSpareDibBlock(HGLOBAL block)
{
    std::lock_guard<std::recursive_mutex> hold(dibLock());
    if (spareBlock)
        GlobalFree(spareBlock);
    spareBlock = block;
}

void freeDibBlocks()
{
    std::lock_guard<std::recursive_mutex> hold(dibLock());
    freeCurrentDibBlock();
    keepSpareDibBlock(nullptr);
}

HBITMAP MakeDigDIB(HDC dc, const uint8_t* pixels, int width, int height, int bitsPerPixel,
                   int intoBlock)
{
    std::lock_guard<std::recursive_mutex> hold(dibLock());
    DibLayout layout{};
    bool valid = pixels && dibLayout(width, height, bitsPerPixel, layout);
    uint32_t blockBytes = valid ? dibBlockBytes(layout) : 0;
    // A new packed DIB of the same size takes over the current block rather
    // than freeing it and allocating (and faulting in) another one.
    HGLOBAL reused = nullptr;
    if (valid && intoBlock && currentBlock && GlobalSize(currentBlock) == blockBytes) {
        reused = currentBlock;
        currentBlock = nullptr;
    }
    freeCurrentDibBlock();
    if (!valid)
        return nullptr;

    if (intoBlock) {
        HGLOBAL block = reused ? reused : GlobalAlloc(GMEM_MOVEABLE, blockBytes);
        if (!block)
            return nullptr;
        auto* dib = static_cast<uint8_t*>(GlobalLock(block));
        if (!dib) {
            GlobalFree(block);
            return nullptr;
        }
        currentBlock = block;
        writeDibHeader(dib, width, height, layout);
        copyRows(dib + kDibHeaderBytes + layout.palette, pixels, height, layout);
        GlobalUnlock(block);
        return nullptr;
    }

    fillHeader(headerArea.header, width, height, layout);
    if (layout.palette)
        fillGreyPalette(headerArea.palette);
    std::vector<uint8_t> padded;
    const uint8_t* bits = pixels;
    if (layout.frameRow != layout.dibRow) {
        padded.resize(layout.pixelBytes);
        copyRows(padded.data(), pixels, height, layout);
        bits = padded.data();
    }
    return CreateDIBitmap(dc, &headerArea.header, CBM_INIT, bits,
                          reinterpret_cast<const BITMAPINFO*>(&headerArea), DIB_RGB_COLORS);
}
