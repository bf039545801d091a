// DCardSaveDigBMP: one frame digitized bottom-up and written as a BMP file.
#include <cstring>
#include <vector>

#include <saa7146/dcard.h>

#include "api/guard.h"
#include "image/dib.h"

namespace {

constexpr uint32_t kFileHeaderBytes = 14;
constexpr int kWriteFlags = 0x8302;  // read-write, create, truncate, binary
constexpr int kWriteMode = 0x180;    // read and write permission

int writeBitmap(const char* path, int width, int height, int bitsPerPixel, uint8_t* frame)
{
    HDC screen = GetDC(nullptr);
    MakeDigDIB(screen, frame, width, height, bitsPerPixel, 1);
    ReleaseDC(nullptr, screen);
    HGLOBAL block = currentDibBlock();
    DibLayout layout;
    if (!block || !dibLayout(width, height, bitsPerPixel, layout))
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
        if (bitsPerPixel == 16)
            bitsPerPixel = 15;
        uint32_t bufferBytes = layout.frameRow * uint32_t(height) + kDibSpareBytes;
        // The thread's frame buffer is kept from one call to the next, so a
        // series of pictures does not allocate (and fault in) one each time.
        static thread_local std::vector<uint8_t> frame;
        if (frame.size() < bufferBytes)
            frame.resize(bufferBytes);
        uint32_t received = 0;
        int colourType = bitsPerPixel == 8 ? DCARD_COLOUR_GREY : DCARD_COLOUR_RGB;
        if (!DCardDigitEx(handle, camera, width, height, bitsPerPixel, colourType, frame.data(),
                          bufferBytes, &received, 1))
            return 0;
        // From the build to the write, so no other thread's build frees the block.
        std::lock_guard<std::recursive_mutex> hold(dibLock());
        return writeBitmap(path, width, height, bitsPerPixel, frame.data());
    });
}
