// Digitizing: one Digit request per frame, then the frame is copied out of
// the frame memory, found in the caller's buffer (older driver family), read
// from a raw file (test mode) or converted from the second camera's planes.
#include <cstring>

#include "card/digit_card.h"
#include "card/frame_modes.h"
#include "card/second_camera.h"
#include "card/send_request.h"
#include "card/switches.h"
#include "card/test_frame.h"

namespace {

constexpr DWORD kTestModeFrameTime = 60;

enum class Delivery { Nothing, TestFile, InBuffer, Copy, SecondCamera };

} // namespace

struct DigitCard::DigitJob {
    int camera;
    int width;
    int height;
    int bitsPerPixel;
    bool rgb;
    uint8_t* buffer;
    uint32_t bufferLength;
    uint32_t frameBytes;
    bool flip;
    bool fromMode; // digit (a mode) rather than digitEx
};

int DigitCard::digit(int camera, int mode, void* buffer, uint32_t bufferLength,
                     uint32_t* bytesOut, int flip)
{
    SemaphoreScope hold(cardLock);
    const DCardFrameMode* entry = frameMode(mode);
    if (!entry || !bytesOut)
        return 0;
    DigitJob job{camera,
                 entry->width,
                 entry->height,
                 entry->bitsPerPixel,
                 entry->colourType == DCARD_COLOUR_RGB,
                 static_cast<uint8_t*>(buffer),
                 bufferLength,
                 static_cast<uint32_t>(entry->frameBytes),
                 flip != 0,
                 true};
    return runDigit(job, bytesOut);
}

int DigitCard::digitEx(int camera, int width, int height, int bitsPerPixel, int colourType,
                       void* buffer, uint32_t bufferLength, uint32_t* bytesOut, int flip)
{
    SemaphoreScope hold(cardLock);
    if (!bytesOut)
        return 0;
    DigitJob job{camera,
                 width,
                 height,
                 bitsPerPixel,
                 colourType == DCARD_COLOUR_RGB,
                 static_cast<uint8_t*>(buffer),
                 bufferLength,
                 0,
                 flip != 0,
                 false};
    // Mapping comes first, then the depth and the size, as the driver expects.
    if (!mapping().frameMemory && !mapMemory())
        return 0;
    if (!frameBytes(width, height, bitsPerPixel, job.frameBytes))
        return 0;
    return runDigit(job, bytesOut);
}

int DigitCard::runDigit(const DigitJob& job, uint32_t* bytesOut)
{
    FrameMapping memory = mapping();
    if (!memory.frameMemory) {
        if (!mapMemory())
            return 0;
        memory = mapping();
    }
    const bool test = testMode;
    Delivery delivery = Delivery::Copy;
    uint32_t sourceOffset = job.fromMode ? memoryConfig.captureOffset : 0;
    if (!job.buffer)
        delivery = Delivery::Nothing;
    else if (test)
        delivery = Delivery::TestFile;
    else if (legacyDriver)
        delivery = Delivery::InBuffer;
    else if (job.fromMode && memoryConfig.boardType == kSecondCameraBoardType && job.camera >= 1)
        delivery = Delivery::SecondCamera;

    if (job.buffer) {
        if (job.bufferLength < job.frameBytes || memory.frameMemorySize < job.frameBytes)
            return 0;
        uint64_t end = 0;
        if (delivery == Delivery::Copy)
            end = uint64_t(sourceOffset) + job.frameBytes;
        if (delivery == Delivery::SecondCamera) {
            // The conversion makes 3-byte pixels: only the 24-bit modes have room for them.
            if (job.bitsPerPixel != 24)
                return 0;
            end = uint64_t(sourceOffset) +
                  secondCameraSourceBytes(uint64_t(job.width) * uint64_t(job.height));
        }
        if ((delivery == Delivery::Copy || delivery == Delivery::SecondCamera) &&
            (!memory.frameMemory || end > memory.frameMemorySize))
            return 0;
    }

    *bytesOut = 0;
    auto request = driver::makeRequest<driver::DigitRequest>();
    request.camera = job.camera + 1;
    request.bitsPerPixel = job.bitsPerPixel;
    request.width = job.width;
    request.height = job.flip ? -job.height : job.height;
    request.rgb = job.rgb ? 1 : 0;
    request.buffer = driver::addressWord(job.buffer);
    request.frameBytes = job.frameBytes;
    if (test)
        SleepEx(kTestModeFrameTime, FALSE);
    else if (!sendRequest(request, device))
        return 0;

    switch (delivery) {
    case Delivery::Nothing:
        return 1;
    case Delivery::TestFile:
        readTestFrame(request, job.buffer);
        break;
    case Delivery::InBuffer:
        break;
    case Delivery::SecondCamera:
        convertSecondCamera(memory.frameMemory + sourceOffset, job.buffer,
                            static_cast<uint32_t>(job.width), static_cast<uint32_t>(job.height),
                            job.flip);
        break;
    case Delivery::Copy:
        if (job.frameBytes)
            memcpy(job.buffer, memory.frameMemory + sourceOffset, job.frameBytes);
        break;
    }
    *bytesOut = job.frameBytes;
    return 1;
}
