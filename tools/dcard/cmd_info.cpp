// dcard info, dcard modes: what the card and the library report.
#include <cstdio>
#include <cstring>

#include "card.h"
#include "commands.h"
#include "display.h"

namespace {

const char* decoderName(int type)
{
    return type == 2 ? "SAA7110" : type == 3 ? "KS0127B" : "none described";
}

const char* formatName(int colourType, int bits)
{
    if (colourType == DCARD_COLOUR_GREY)
        return "grey";
    if (colourType == DCARD_COLOUR_YUV422)
        return "YUV 4:2:2";
    return bits == 15 ? "RGB 5-5-5" : "RGB";
}

} // namespace

int runInfo(const Arguments& arguments)
{
    if (arguments.words.size() > 1)
        return unexpected("info", arguments.words[1]);
    auto card = openCard(arguments, "info");
    if (!card)
        return kFailed;
    int handle = card->handle();
    int decoder = 0;
    DCardGetDecoderType(handle, &decoder);
    DCardParam param;
    memset(&param, 0, sizeof(param));
    param.size = sizeof(param);
    DCardGetParamEx(handle, &param);
    DCardMemoryConfig config;
    memset(&config, 0, sizeof(config));
    config.size = sizeof(config);
    bool haveConfig = DCardGetMemoryConfig(handle, &config) != 0;
    int boardId = 0;
    bool haveBoard = DCardGetDriverParam(handle, 0, 20, &boardId) != 0;

    printf("Card %d (handle %d)\n", card->number(), handle);
    if (testMode())
        printf("  Test mode:        on (Debug=1 in SAA7146.INI): no driver, frames from raw "
               "files\n");
    printf("  Decoder:          %s (type %d)\n", decoderName(decoder), decoder);
    if (haveBoard)
        printf("  Board id:         0x%08x (driver parameter 20)\n", static_cast<unsigned>(boardId));
    uint32_t frameMemory = param.frameMemory, frameMemorySize = param.frameMemorySize;
    uint32_t mapInfo0 = param.mapInfo0, mapInfo3 = param.mapInfo3;
    printf("  Frame memory:     %u bytes at 0x%08x%s\n", frameMemorySize, frameMemory,
           frameMemory ? "" : " (not mapped)");
    printf("  Mapping words:    0x%08x 0x%08x (version 0x%04x)\n", mapInfo0, mapInfo3,
           static_cast<unsigned>(param.version));
    if (haveConfig) {
        printf("  Memory config:    capture offset 0x%08x, mask offset 0x%08x, output offset 0x%08x\n",
               config.captureOffset, config.maskOffset, config.outputOffset);
        printf("                    board type 0x%04x, extra 0x%08x\n", config.boardType,
               config.extraInfo);
    }
    if (const int* speeds = DCardGetI2CSpeeds(handle)) {
        printf("  I2C speeds (kHz):");
        for (const int* s = speeds; *s; ++s)
            printf(" %d", *s);
        printf("\n");
    }
    int inputs = 0;
    if (DCardGetInputs(handle, &inputs))
        printf("  Expander inputs:  0x%x\n", static_cast<unsigned>(inputs));

    DisplayInfo display = queryDisplay();
    if (display.known) {
        printf("  Display:          %d x %d, %d bits per pixel (%d bytes), pitch %d%s\n",
               display.width, display.height, display.bitsPerPixel, display.bytesPerPixel,
               display.pitch, display.fromDirectDraw ? "" : " (no DirectDraw: display settings)");
        if (display.haveSurface)
            printf("  Primary surface:  0x%08x\n", static_cast<unsigned>(display.surfaceAddress));
        else
            printf("  Primary surface:  not found\n");
    } else {
        printf("  Display:          unknown (the display settings cannot be read)\n");
    }
    int physical = 0;
    if (DCardGetDriverParam(handle, 0, 5, &physical) && physical)
        printf("  Overlay target:   0x%08x (physical, driver parameter 5)\n",
               static_cast<unsigned>(physical));
    else
        printf("  Overlay target:   not given to the driver (no physical address found)\n");

    DCardFunctions functions;
    memset(&functions, 0, sizeof(functions));
    functions.size = sizeof(functions);
    if (DCardGetFunctions(&functions) && functions.DCardGetCameraRecord) {
        printf("  Camera inputs:\n");
        for (int camera = 0; camera < 10; ++camera) {
            DCardCameraRecord record;
            memset(&record, 0, sizeof(record));
            record.size = sizeof(record);
            if (!functions.DCardGetCameraRecord(handle, camera, &record))
                continue;
            record.name[sizeof(record.name) - 1] = '\0';
            printCardText("    %d: %s\n", camera, record.name[0] ? record.name : "(no name)");
        }
    }
    return kSuccess;
}

int runModes(const Arguments& arguments)
{
    if (arguments.words.size() > 1)
        return unexpected("modes", arguments.words[1]);
    auto card = openCard(arguments, "modes");
    if (!card)
        return kFailed;
    printf("mode  width  height  format      bits    bytes\n");
    for (int mode = 0; mode < 28; ++mode) {
        DCardFrameMode record;
        record.size = sizeof(record);
        beginCall();
        if (!DCardGetMode(card->handle(), mode, &record))
            return refused("modes", "DCardGetMode", "mode " + std::to_string(mode));
        printf("%4d  %5d  %6d  %-10s  %4d  %7d\n", record.mode, record.width, record.height,
               formatName(record.colourType, record.bitsPerPixel), record.bitsPerPixel,
               record.frameBytes);
    }
    return kSuccess;
}
