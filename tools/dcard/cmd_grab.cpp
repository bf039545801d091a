// dcard grab: frames to BMP or raw files.
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cerrno>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "card.h"
#include "commands.h"

namespace {

struct Format {
    int mode = -1; // a mode of the table, or -1 for a free format
    int width = 0;
    int height = 0;
    int bits = 0;
    int colourType = DCARD_COLOUR_RGB;
    uint32_t frameBytes = 0;
};

bool endsWith(const std::string& text, const std::string& tail)
{
    if (text.size() < tail.size())
        return false;
    for (size_t i = 0; i < tail.size(); ++i)
        if (tolower(static_cast<unsigned char>(text[text.size() - tail.size() + i])) != tail[i])
            return false;
    return true;
}

// name.ext -> name-0007.ext
std::string numbered(const std::string& path, int number)
{
    size_t slash = path.find_last_of("/\\");
    size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        dot = path.size();
    char suffix[16];
    snprintf(suffix, sizeof(suffix), "-%04d", number);
    return path.substr(0, dot) + suffix + path.substr(dot);
}

// WxHxBITS
bool parseSize(const std::string& text, Format& format)
{
    int64_t parts[3];
    size_t start = 0;
    for (int i = 0; i < 3; ++i) {
        size_t end = i < 2 ? text.find('x', start) : text.size();
        if (end == std::string::npos || !parseNumber(text.substr(start, end - start), parts[i]))
            return false;
        start = end + 1;
    }
    if (parts[0] < 1 || parts[0] > 4096 || parts[1] < 1 || parts[1] > 4096)
        return false;
    int bytes = parts[2] == 8 ? 1 : parts[2] == 15 || parts[2] == 16 ? 2 : parts[2] == 24 ? 3 : parts[2] == 32 ? 4 : 0;
    if (!bytes)
        return false;
    format.width = static_cast<int>(parts[0]);
    format.height = static_cast<int>(parts[1]);
    format.bits = static_cast<int>(parts[2]);
    format.colourType = format.bits == 8 ? DCARD_COLOUR_GREY : DCARD_COLOUR_RGB;
    format.frameBytes = uint32_t(format.width) * uint32_t(format.height) * uint32_t(bytes);
    return true;
}

// "" when written, else the system's reason.
std::string writeRaw(const std::string& path, const std::vector<uint8_t>& frame, uint32_t bytes)
{
    FILE* file = fopen(path.c_str(), "wb");
    if (!file)
        return strerror(errno);
    bool whole = fwrite(frame.data(), 1, bytes, file) == bytes;
    int error = whole ? 0 : errno;
    if (fclose(file) != 0 && whole) {
        whole = false;
        error = errno;
    }
    return whole ? "" : error ? strerror(error) : "short write";
}

} // namespace

int runGrab(const Arguments& arguments)
{
    const char* command = "grab";
    if (arguments.words.size() > 1)
        return unexpected(command, arguments.words[1]);
    int64_t camera = 0, count = 1, mode = -1, every = 0;
    if (!numberOption(arguments, command, "camera", 0, 9, 0, camera) ||
        !numberOption(arguments, command, "count", 1, 1000000, 1, count) ||
        !numberOption(arguments, command, "mode", 0, 27, -1, mode) ||
        !numberOption(arguments, command, "every", 0, 3600000, 0, every))
        return kUsage;
    bool raw = arguments.has("raw");
    std::string output = arguments.value("output", raw ? "frame.raw" : "frame.bmp");
    raw = raw || endsWith(output, ".raw");
    bool flip = arguments.has("flip");

    Format format;
    if (arguments.has("size") == (mode >= 0))
        return usage(command, "give either --mode M or --size WxHxBITS");
    if (arguments.has("size") && !parseSize(arguments.value("size"), format))
        return usage(command, "--size must be WIDTHxHEIGHTxBITS (1..4096 pixels; 8, 15, 16, 24 "
                              "or 32 bits), not '" + arguments.value("size") + "'");
    if (arguments.has("yuv")) {
        if (format.bits != 16)
            return usage(command, "--yuv goes with --size WxHx16");
        format.colourType = DCARD_COLOUR_YUV422;
    }

    auto card = openCard(arguments, command);
    if (!card)
        return kFailed;
    if (mode >= 0) {
        DCardFrameMode record;
        record.size = sizeof(record);
        beginCall();
        if (!DCardGetMode(card->handle(), static_cast<int>(mode), &record))
            return refused(command, "DCardGetMode", "mode " + std::to_string(mode));
        format = {static_cast<int>(mode), record.width,      record.height,
                  record.bitsPerPixel,    record.colourType, static_cast<uint32_t>(record.frameBytes)};
    }
    DCardParam param;
    memset(&param, 0, sizeof(param));
    param.size = sizeof(param);
    if (DCardGetParamEx(card->handle(), &param) && param.frameMemorySize &&
        format.frameBytes > param.frameMemorySize)
        return fail(command, "a " + std::to_string(format.width) + "x" +
                                 std::to_string(format.height) + " frame of " +
                                 std::to_string(format.bits) + " bits takes " +
                                 std::to_string(format.frameBytes) + " bytes, more than the " +
                                 std::to_string(param.frameMemorySize) +
                                 " of the card's frame memory");
    if (!raw) {
        if (format.colourType == DCARD_COLOUR_YUV422)
            return usage(command, "a BMP file cannot hold YUV 4:2:2 frames; write a .raw file");
        if (format.bits == 32)
            return usage(command, "a BMP file holds 8, 15, 16 or 24 bits per pixel; write a .raw file");
    }

    std::vector<uint8_t> frame(raw ? format.frameBytes : 0);
    bool progress = count > 1 && progressShown();
    auto start = std::chrono::steady_clock::now();
    auto lastStart = start;
    for (int64_t n = 1; n <= count; ++n) {
        // With --every, frame n starts (n - 1) * MS after the first.
        if (every > 0 && n > 1)
            std::this_thread::sleep_until(start + std::chrono::milliseconds(every * (n - 1)));
        lastStart = std::chrono::steady_clock::now();
        std::string path = count > 1 ? numbered(output, static_cast<int>(n)) : output;
        bool ok;
        if (raw) {
            uint32_t bytes = 0;
            ok = format.mode >= 0
                     ? DCardDigit(card->handle(), static_cast<int>(camera), format.mode, frame.data(),
                                  format.frameBytes, &bytes, flip)
                     : DCardDigitEx(card->handle(), static_cast<int>(camera), format.width,
                                    format.height, format.bits, format.colourType, frame.data(),
                                    format.frameBytes, &bytes, flip);
            if (!ok)
                return refused(command, format.mode >= 0 ? "DCardDigit" : "DCardDigitEx",
                               "frame " + std::to_string(n));
            std::string why = writeRaw(path, frame, bytes);
            if (!why.empty())
                return fail(command, "could not write " + path + ": " + why);
        } else {
            // The library says only that it failed: find out whether the
            // file could be written at all, and say why not.
            std::string why = whyNotWritable(path);
            if (!why.empty())
                return fail(command, "could not write " + path + ": " + why);
            beginCall();
            if (!DCardSaveDigBMP(card->handle(), static_cast<int>(camera), format.width,
                                 format.height, format.bits, path.c_str()))
                return refused(command, "DCardSaveDigBMP",
                               "frame " + std::to_string(n) + " to " + path);
        }
        if (progress) {
            fprintf(stderr, "\rframe %lld/%lld", static_cast<long long>(n), static_cast<long long>(count));
            fflush(stderr);
        }
    }
    auto end = std::chrono::steady_clock::now();
    double seconds = std::chrono::duration<double>(end - start).count();
    // The rate at which frames were started: one frame takes all the time
    // there is, a series the time from its first start to its last.
    double span = std::chrono::duration<double>(lastStart - start).count();
    double rate = count > 1 ? (span > 0 ? double(count - 1) / span : 0.0)
                            : (seconds > 0 ? 1.0 / seconds : 0.0);
    if (progress)
        fprintf(stderr, "\n");
    printf("wrote %s%s (%dx%d, %d bits%s, camera %lld)\n",
           count > 1 ? numbered(output, 1).c_str() : output.c_str(),
           count > 1 ? (" .. " + numbered(output, static_cast<int>(count))).c_str() : "",
           format.width, format.height, format.bits,
           format.colourType == DCARD_COLOUR_YUV422 ? " YUV 4:2:2" : "", static_cast<long long>(camera));
    printf("%lld frame%s in %.2f s (%.1f frames/s", static_cast<long long>(count),
           count > 1 ? "s" : "", seconds, rate);
    if (every > 0)
        printf("; asked for one every %lld ms, %.1f frames/s", static_cast<long long>(every),
               1000.0 / double(every));
    printf(")\n");
    return kSuccess;
}
