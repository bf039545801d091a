#include "card/test_frame.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "platform/platform.h"

namespace {

constexpr size_t kNameSize = 256;
constexpr long kLargestField = 255;

// Skips the digits of a width or precision; false when it is too large.
bool skipNumber(const char*& p)
{
    long value = 0;
    for (; isdigit(static_cast<unsigned char>(*p)); ++p) {
        value = value * 10 + (*p - '0');
        if (value > kLargestField)
            return false;
    }
    return true;
}

} // namespace

bool stemFormatIsSafe(const char* format)
{
    int conversions = 0;
    for (const char* p = format; *p; ++p) {
        if (*p != '%')
            continue;
        ++p;
        if (*p == '%')
            continue;
        while (*p && strchr("-+ #0", *p))
            ++p;
        if (!skipNumber(p))
            return false;
        if (*p == '.') {
            ++p;
            if (!skipNumber(p))
                return false;
        }
        if (*p == 'h')
            p += p[1] == 'h' ? 2 : 1;
        else if (*p == 'l' && p[1] != 'l')
            ++p;
        if (!*p || !strchr("diuxXo", *p))
            return false;
        if (++conversions > 1)
            return false;
    }
    return true;
}

bool testFrameName(const CameraSource& camera, const driver::DigitRequest& request, char* name,
                   size_t size)
{
    if (!stemFormatIsSafe(camera.camFormat))
        return false;
    int used = snprintf(name, size, "%s%d_%d_%d%s\\", camera.camPath, request.width,
                        request.height, request.bitsPerPixel, request.rgb ? "_RGB" : "");
    if (used < 0 || static_cast<size_t>(used) >= size)
        return false;
    size_t length = static_cast<size_t>(used);
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#endif
    used = snprintf(name + length, size - length, camera.camFormat, camera.camCounter);
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
    if (used < 0 || static_cast<size_t>(used) >= size - length)
        return false;
    length += static_cast<size_t>(used);
    used = snprintf(name + length, size - length, ".raw");
    return used >= 0 && static_cast<size_t>(used) < size - length;
}

void readTestFrame(const driver::DigitRequest& request, uint8_t* buffer)
{
    int n = request.camera - 1;
    if (n < 0 || n > 9)
        return;
    TestSources& sources = testSources();
    std::lock_guard<std::mutex> hold(sources.lock);
    CameraSource& camera = sources.cameras[n];
    for (int attempt = 0; attempt < 2; ++attempt) {
        char name[kNameSize];
        int file = -1;
        if (testFrameName(camera, request, name, sizeof(name)))
            file = _open(name, _O_RDONLY | _O_BINARY);
        if (file >= 0) {
            uint32_t done = 0;
            while (buffer && done < request.frameBytes) {
                uint32_t chunk = request.frameBytes - done;
                if (chunk > 0x40000000u)
                    chunk = 0x40000000u;
                int got = _read(file, buffer + done, chunk);
                if (got <= 0)
                    break;
                done += static_cast<uint32_t>(got);
            }
            _close(file);
            break;
        }
        camera.camCounter = camera.camCounterStart;
    }
    ++camera.camCounter;
}
