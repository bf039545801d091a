// Test-mode file names from any camPath and camFormat: never past the name
// buffer, never a formatting read of an argument that was not passed (ASan
// and UBSan watch), and a name only when it fits.
#include <cstring>

#include "card/test_frame.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 12)
        return 0;
    auto request = driver::makeRequest<driver::DigitRequest>();
    memcpy(&request.width, data, 4);
    memcpy(&request.height, data + 4, 4);
    request.bitsPerPixel = data[8];
    request.rgb = data[9] & 1;
    CameraSource camera{};
    memcpy(&camera.camCounter, data + 10, 2);
    data += 12;
    size -= 12;
    // The settings as the INI reader leaves them: at most 255 and 39 characters.
    const uint8_t* split = static_cast<const uint8_t*>(memchr(data, 0, size));
    size_t pathLength = split ? size_t(split - data) : size;
    if (pathLength > 255)
        pathLength = 255;
    memcpy(camera.camPath, data, pathLength);
    size_t rest = split ? size - size_t(split - data) - 1 : 0;
    const uint8_t* format = split ? split + 1 : data + size;
    if (rest > 39)
        rest = 39;
    memcpy(camera.camFormat, format, rest);
    camera.camFormat[strnlen(camera.camFormat, rest)] = '\0';

    char name[256];
    memset(name, 0x5A, sizeof(name));
    if (testFrameName(camera, request, name, sizeof(name)))
        if (strlen(name) >= sizeof(name))
            __builtin_trap();
    return 0;
}
