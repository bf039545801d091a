#include "card/frame_modes.h"

namespace {

struct Size {
    int width;
    int height;
};
constexpr Size kSizes[7] = {{768, 576}, {384, 288}, {768, 288}, {512, 576},
                            {512, 288}, {640, 480}, {320, 240}};

struct Format {
    int colourType;
    int bitsPerPixel;
    int bytesPerPixel;
};
constexpr Format kFormats[4] = {
    {DCARD_COLOUR_GREY, 8, 1},
    {DCARD_COLOUR_RGB, 15, 2},
    {DCARD_COLOUR_RGB, 24, 3},
    {DCARD_COLOUR_YUV422, 16, 2},
};

struct ModeTable {
    DCardFrameMode modes[kFrameModeCount];
};

constexpr ModeTable buildModes()
{
    ModeTable table{};
    for (int s = 0; s < 7; ++s) {
        for (int f = 0; f < 4; ++f) {
            DCardFrameMode& mode = table.modes[4 * s + f];
            mode.size = sizeof(DCardFrameMode);
            mode.mode = 4 * s + f;
            mode.width = kSizes[s].width;
            mode.height = kSizes[s].height;
            mode.colourType = kFormats[f].colourType;
            mode.bitsPerPixel = kFormats[f].bitsPerPixel;
            mode.frameBytes = kSizes[s].width * kSizes[s].height * kFormats[f].bytesPerPixel;
        }
    }
    return table;
}

constexpr ModeTable kTable = buildModes();
static_assert(kTable.modes[2].frameBytes == 1327104, "mode 2 is 768 x 576 RGB 24");
static_assert(kTable.modes[27].frameBytes == 153600, "mode 27 is 320 x 240 YUV 4:2:2");

} // namespace

const DCardFrameMode* frameMode(int mode)
{
    if (mode < 0 || mode >= kFrameModeCount)
        return nullptr;
    return &kTable.modes[mode];
}

bool frameBytes(int width, int height, int bitsPerPixel, uint32_t& bytes)
{
    int perPixel = driver::bytesPerPixel(bitsPerPixel);
    if (perPixel == 0 || width < 0 || height < 0)
        return false;
    uint64_t product = static_cast<uint64_t>(width) * static_cast<uint64_t>(height) *
                       static_cast<uint64_t>(perPixel);
    if (product > UINT32_MAX)
        return false;
    bytes = static_cast<uint32_t>(product);
    return true;
}
