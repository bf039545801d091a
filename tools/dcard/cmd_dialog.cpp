// dcard dialog and dcard capture: the capture interface as a video-capture
// host uses it, the settings dialogs and one captured picture.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <saa7146/tavdig.h>

#include "card.h"
#include "commands.h"
#include "platform/platform.h"

namespace {

// Key paths of this length or longer are refused.
constexpr size_t kTavDigKeyLimit = 128;

void printSettings()
{
    TavDigVFWMode mode{};
    mode.size = sizeof(mode);
    TavDigGetVFWMode(&mode);
    printf("picture %dx%d, %d bits per pixel%s, %d bytes; camera %d\n", int(mode.width),
           int(mode.height), int(mode.bitsPerPixel), mode.yuv ? " (YUV 4:2:2)" : "",
           int(mode.imageSize), int(mode.camera));
}

// The packed DIB of a capture as a BMP file: a file header before it.
bool writeBmp(HGLOBAL picture, const std::string& path, std::string& why)
{
    auto* header = static_cast<const BITMAPINFOHEADER*>(GlobalLock(picture));
    if (!header) {
        why = "the picture cannot be read";
        return false;
    }
    uint32_t palette = header->biBitCount == 8 ? 1024 : 0;
    uint32_t row = ((uint32_t(header->biWidth) * header->biBitCount + 31) / 32) * 4;
    int32_t rows = header->biHeight < 0 ? -header->biHeight : header->biHeight;
    uint32_t body = header->biSize + palette + row * uint32_t(rows);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + header->biSize + palette;
    file.bfSize = sizeof(file) + body;
    FILE* out = fopen(path.c_str(), "wb");
    bool written = out && fwrite(&file, sizeof(file), 1, out) == 1 &&
                   fwrite(header, body, 1, out) == 1;
    if (!written)
        why = strerror(errno);
    if (out && fclose(out) != 0 && written) {
        why = strerror(errno);
        written = false;
    }
    GlobalUnlock(picture);
    return written;
}

// The capture interface knows card 0 only.
bool cardZero(const Arguments& arguments, const char* command)
{
    int64_t number = 0;
    if (!arguments.has("card") || (parseNumber(arguments.value("card"), number) && number == 0))
        return true;
    usage(command, "the capture interface uses card 0 only, not --card " + arguments.value("card"));
    return false;
}

} // namespace

int runDialog(const Arguments& arguments)
{
    const char* command = "dialog";
    const auto& words = arguments.words;
    if (words.size() > 2)
        return unexpected(command, words[2]);
    int64_t type = 0;
    if (words.size() < 2 || !parseNumber(words[1], type) ||
        (type != TAVDIG_FORMAT && type != TAVDIG_SOURCE && type != TAVDIG_FULL))
        return usage(command, "say 1 (picture format), 2 (input and registers) or 7 (all)" +
                                  (words.size() < 2 ? "" : ", not '" + words[1] + "'"));
    if (!cardZero(arguments, command))
        return kUsage;
    // Open, as a capture host has it, so that the dialog shows the card's
    // inputs and registers.
    auto card = openCard(arguments, command);
    if (!card)
        return kFailed;
    std::string key = arguments.value("key");
    int result = TavDigDialog(nullptr, static_cast<int>(type), key.empty() ? nullptr : key.c_str());
    // The library refuses a long key path without a word, as if cancelled.
    if (!result && key.size() >= kTavDigKeyLimit)
        return fail(command, "TavDigDialog refused the key path: it takes at most " +
                                 std::to_string(kTavDigKeyLimit - 1) +
                                 " characters, this one has " + std::to_string(key.size()));
    printf("%s\n", result ? "OK" : "cancelled");
    printSettings();
    return kSuccess;
}

int runCapture(const Arguments& arguments)
{
    const char* command = "capture";
    if (arguments.words.size() > 1)
        return unexpected(command, arguments.words[1]);
    if (!cardZero(arguments, command))
        return kUsage;
    std::string output = arguments.value("output", "capture.bmp");
    HGLOBAL picture = TavDigCapture(nullptr);
    if (!picture)
        return fail(command, "no picture (no card, no memory, or the dialog was cancelled)");
    std::string why;
    bool written = writeBmp(picture, output, why);
    GlobalFree(picture);
    if (!written)
        return fail(command, "cannot write " + output + ": " + why);
    printf("%s\n", output.c_str());
    printSettings();
    return kSuccess;
}
