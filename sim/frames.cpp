#include "frames.h"

#include "card/driver_request.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace sim {

namespace {

constexpr Rgb kBars[8] = {{255, 255, 255}, {255, 255, 0}, {0, 255, 255}, {0, 255, 0},
                          {255, 0, 255},   {255, 0, 0},   {0, 0, 255},   {0, 0, 0}};
constexpr Rgb kMarker = {255, 128, 0};
constexpr Rgb kTextBackground = {0, 0, 0};
constexpr Rgb kTextColour = {255, 255, 255};

// 3 x 5 digits and the colon, one row per 3 bits.
constexpr uint8_t kGlyphs[11][5] = {
    {7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7}, {7, 1, 7, 1, 7}, {5, 5, 7, 1, 1},
    {7, 4, 7, 1, 7}, {7, 4, 7, 5, 7}, {7, 1, 1, 1, 1}, {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7},
    {0, 2, 0, 2, 0}};

struct Layout {
    int32_t width, height;
    int32_t markerSide, markerX, markerY;
    int32_t scale;          // text pixel size
    char text[24];
    int32_t textWidth, textHeight;
};

Layout layoutOf(int32_t width, int32_t height, uint32_t camera, uint32_t frame)
{
    Layout layout{};
    layout.width = width;
    layout.height = height;
    layout.markerSide = std::max<int32_t>(2, height / 12);
    int32_t travel = std::max<int32_t>(1, width - layout.markerSide);
    layout.markerX = static_cast<int32_t>((uint64_t(frame) * 8) % uint32_t(travel));
    layout.markerY = (height - layout.markerSide) / 2;
    layout.scale = std::max<int32_t>(1, height / 96);
    snprintf(layout.text, sizeof(layout.text), "%u:%u", camera, frame);
    int32_t glyphs = static_cast<int32_t>(strlen(layout.text));
    layout.textWidth = (glyphs * 4 + 1) * layout.scale;
    layout.textHeight = 7 * layout.scale;
    return layout;
}

// The bars and the marker, as if there were no text.
Rgb barsAt(const Layout& l, int32_t x, int32_t y)
{
    if (x >= l.markerX && x < l.markerX + l.markerSide && y >= l.markerY &&
        y < l.markerY + l.markerSide)
        return kMarker;
    return kBars[static_cast<int64_t>(x) * 8 / l.width];
}

Rgb colourAt(const Layout& l, int32_t x, int32_t y)
{
    if (x < l.textWidth && y < l.textHeight) {
        int32_t gx = x / l.scale - 1;
        int32_t gy = y / l.scale - 1;
        if (gx >= 0 && gy >= 0 && gy < 5 && gx % 4 < 3) {
            char c = l.text[gx / 4];
            int glyph = c == ':' ? 10 : c - '0';
            if (kGlyphs[glyph][gy] & (4 >> (gx % 4)))
                return kTextColour;
        }
        return kTextBackground;
    }
    return barsAt(l, x, y);
}

uint8_t luma(Rgb c)
{
    return static_cast<uint8_t>((77 * c.r + 150 * c.g + 29 * c.b + 128) >> 8);
}

void putWord(uint8_t* out, uint32_t word)
{
    out[0] = static_cast<uint8_t>(word);
    out[1] = static_cast<uint8_t>(word >> 8);
}

void yuv(Rgb c, int& y, int& u, int& v)
{
    y = ((66 * c.r + 129 * c.g + 25 * c.b + 128) >> 8) + 16;
    u = ((-38 * c.r - 74 * c.g + 112 * c.b + 128) >> 8) + 128;
    v = ((112 * c.r - 94 * c.g - 18 * c.b + 128) >> 8) + 128;
}

void encodeRow(const FrameFormat& format, const Rgb* row, int32_t width, uint8_t* out)
{
    switch (format.bitsPerPixel) {
    case 8:
        for (int32_t x = 0; x < width; ++x)
            out[x] = luma(row[x]);
        break;
    case 15:
        for (int32_t x = 0; x < width; ++x)
            putWord(out + 2 * x, (row[x].r >> 3) << 10 | (row[x].g >> 3) << 5 | row[x].b >> 3);
        break;
    case 16:
        if (format.rgb) {
            for (int32_t x = 0; x < width; ++x)
                putWord(out + 2 * x, (row[x].r >> 3) << 11 | (row[x].g >> 2) << 5 | row[x].b >> 3);
            break;
        }
        for (int32_t x = 0; x < width; x += 2) {
            int y0, u0, v0, y1, u1, v1;
            yuv(row[x], y0, u0, v0);
            if (x + 1 < width)
                yuv(row[x + 1], y1, u1, v1);
            else
                y1 = y0, u1 = u0, v1 = v0;
            out[2 * x] = static_cast<uint8_t>(y0);
            out[2 * x + 1] = static_cast<uint8_t>((u0 + u1) / 2);
            if (x + 1 < width) {
                out[2 * x + 2] = static_cast<uint8_t>(y1);
                out[2 * x + 3] = static_cast<uint8_t>((v0 + v1) / 2);
            }
        }
        break;
    case 24:
        for (int32_t x = 0; x < width; ++x) {
            out[3 * x] = row[x].b;
            out[3 * x + 1] = row[x].g;
            out[3 * x + 2] = row[x].r;
        }
        break;
    case 32:
        for (int32_t x = 0; x < width; ++x) {
            out[4 * x] = row[x].b;
            out[4 * x + 1] = row[x].g;
            out[4 * x + 2] = row[x].r;
            out[4 * x + 3] = 0;
        }
        break;
    default:
        break;
    }
}

// The bars alone, encoded, for the format and width asked for last on this
// thread: the same for every frame of a size.
const std::vector<uint8_t>& plainBars(const FrameFormat& format, int32_t width, size_t rowBytes)
{
    struct Line {
        int32_t bitsPerPixel = 0;
        bool rgb = false;
        int32_t width = -1;
        std::vector<uint8_t> bytes;
    };
    thread_local Line line;
    if (line.width != width || line.bitsPerPixel != format.bitsPerPixel || line.rgb != format.rgb) {
        std::vector<Rgb> row(static_cast<size_t>(width));
        for (int32_t x = 0; x < width; ++x)
            row[size_t(x)] = kBars[static_cast<int64_t>(x) * 8 / width];
        line.bytes.assign(rowBytes, 0);
        encodeRow(format, row.data(), width, line.bytes.data());
        line.bitsPerPixel = format.bitsPerPixel;
        line.rgb = format.rgb;
        line.width = width;
    }
    return line.bytes;
}

} // namespace

uint64_t frameSize(const FrameFormat& format)
{
    if (format.width < 0)
        return 0;
    return uint64_t(format.width) * lineCount(format.height) *
           uint64_t(driver::bytesPerPixel(format.bitsPerPixel));
}

Rgb patternColour(int32_t x, int32_t y, int32_t width, int32_t height, uint32_t camera,
                  uint32_t frame)
{
    return colourAt(layoutOf(width, height, camera, frame), x, y);
}

void renderPattern(const FrameFormat& format, uint32_t camera, uint32_t frame, uint8_t* out)
{
    uint64_t size = frameSize(format);
    if (size == 0 || lineCount(format.height) > INT32_MAX)
        return;
    int32_t width = format.width;
    int32_t lines = static_cast<int32_t>(lineCount(format.height));
    size_t rowBytes = size / size_t(lines);
    Layout layout = layoutOf(width, lines, camera, frame);
    // Drawn pixel by pixel, a frame costs most of what a test that digitizes
    // spends. Every line is the bars, kept from frame to frame, or the bars
    // with the marker drawn over them once; the text then goes over its
    // lines' first pixels, drawn once for each of its rows, which are scale
    // lines high. YUV 4:2:2 encodes pixels in pairs: what is drawn over
    // starts and ends with a whole pair.
    const size_t pixelBytes = size_t(driver::bytesPerPixel(format.bitsPerPixel));
    const int32_t step = format.bitsPerPixel == 16 && !format.rgb ? 2 : 1;
    auto pairStart = [step](int32_t x) { return x - x % step; };
    auto pairEnd = [step, width](int32_t x) {
        return std::min(width, x + (step - x % step) % step);
    };
    const std::vector<uint8_t>& bars = plainBars(format, width, rowBytes);
    std::vector<uint8_t> marked(bars);
    std::vector<Rgb> row(static_cast<size_t>(width));
    const int32_t markerFrom = pairStart(std::min(layout.markerX, width));
    const int32_t markerTo = pairEnd(std::min(layout.markerX + layout.markerSide, width));
    for (int32_t x = markerFrom; x < markerTo; ++x)
        row[size_t(x)] = barsAt(layout, x, layout.markerY);
    encodeRow(format, row.data() + markerFrom, markerTo - markerFrom,
              marked.data() + size_t(markerFrom) * pixelBytes);
    const int32_t textPixels = pairEnd(std::min(width, layout.textWidth));
    for (int32_t y = 0; y < lines; ++y) {
        const bool inMarker = y >= layout.markerY && y < layout.markerY + layout.markerSide;
        int32_t outLine = format.height < 0 ? lines - 1 - y : y;
        uint8_t* line = out + rowBytes * size_t(outLine);
        const bool sameAsAbove = y % layout.scale != 0 && y < layout.textHeight &&
                                 inMarker == (y - 1 >= layout.markerY &&
                                              y - 1 < layout.markerY + layout.markerSide);
        if (sameAsAbove) {
            memcpy(line, format.height < 0 ? line + rowBytes : line - rowBytes, rowBytes);
            continue;
        }
        memcpy(line, (inMarker ? marked : bars).data(), rowBytes);
        if (y < layout.textHeight) {
            for (int32_t x = 0; x < textPixels; ++x)
                row[size_t(x)] = colourAt(layout, x, y);
            encodeRow(format, row.data(), textPixels, line);
        }
    }
}

void renderSecondCameraPlanes(int32_t width, int32_t height, uint32_t camera, uint32_t frame,
                              uint8_t* out)
{
    if (width <= 0 || height <= 0)
        return;
    uint64_t pixels = uint64_t(width) * uint64_t(height);
    uint8_t* s = out;
    uint8_t* p = out + 2 * pixels;
    memset(out, 0, 3 * pixels);
    Layout layout = layoutOf(width, height, camera, frame);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            uint64_t i = uint64_t(y) * uint64_t(width) + uint64_t(x);
            Rgb c = colourAt(layout, x, y);
            p[i] = c.b;
            s[2 * i + 1] = c.g;
            // The conversion takes a pixel's red from S[4], the first byte of
            // the pixel two further on.
            if (i + 2 < pixels)
                s[2 * (i + 2)] = c.r;
        }
    }
}

} // namespace sim
