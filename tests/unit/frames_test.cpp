// The virtual card's test pattern in every depth it draws.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "card/second_camera.h"
#include "frames.h"

namespace {

using sim::FrameFormat;

std::vector<uint8_t> render(const FrameFormat& format, uint32_t frame = 0)
{
    std::vector<uint8_t> out(sim::frameSize(format), 0xEE);
    sim::renderPattern(format, 0, frame, out.data());
    return out;
}

uint16_t word(const std::vector<uint8_t>& frame, size_t pixel)
{
    return static_cast<uint16_t>(frame[2 * pixel] | frame[2 * pixel + 1] << 8);
}

// Bar 5 (red) on line 200 of a 640 x 480 picture.
constexpr size_t kRedPixel = 200 * 640 + 5 * 80 + 10;

TEST(PatternTest, EveryDepthDrawsTheBars)
{
    EXPECT_EQ(render({640, 480, 8, false})[kRedPixel], 77);
    EXPECT_EQ(word(render({640, 480, 15, true}), kRedPixel), 0x7C00);
    EXPECT_EQ(word(render({640, 480, 16, true}), kRedPixel), 0xF800);
    auto rgb24 = render({640, 480, 24, true});
    EXPECT_EQ(rgb24[3 * kRedPixel], 0);
    EXPECT_EQ(rgb24[3 * kRedPixel + 2], 255);
    auto rgb32 = render({640, 480, 32, true});
    EXPECT_EQ(memcmp(&rgb32[4 * kRedPixel], "\x00\x00\xff\x00", 4), 0);
    // YUV 4:2:2: white is Y 235 with neutral colour, red has V high.
    auto yuv = render({640, 480, 16, false});
    size_t white = 200 * 640 + 40;
    EXPECT_EQ(yuv[2 * white], 235);
    EXPECT_EQ(yuv[2 * white + 1], 128);
    EXPECT_GT(yuv[2 * kRedPixel + 3], 200);
    EXPECT_EQ(sim::frameSize({640, 480, 12, false}), 0u);
    EXPECT_EQ(sim::frameSize({640, -480, 24, true}), 921600u);
}

// Every pixel of a frame is the pattern's colour there, at sizes that put
// the marker and the text in every place, the lines either way up.
TEST(PatternTest, EveryPixelIsThePatternColour)
{
    for (int32_t width : {1, 7, 33, 320, 768})
        for (int32_t height : {1, 10, 96, 97, -241, 576})
            for (uint32_t frame : {0u, 3u, 4321u}) {
                std::vector<uint8_t> out = render({width, height, 24, true}, frame);
                int32_t lines = height < 0 ? -height : height;
                for (int32_t y = 0; y < lines; ++y) {
                    const size_t stored = size_t(height < 0 ? lines - 1 - y : y);
                    const uint8_t* line = &out[3 * size_t(width) * stored];
                    for (int32_t x = 0; x < width; ++x) {
                        sim::Rgb want = sim::patternColour(x, y, width, lines, 0, frame);
                        ASSERT_TRUE(line[3 * x] == want.b && line[3 * x + 1] == want.g &&
                                    line[3 * x + 2] == want.r)
                            << width << " x " << height << ", frame " << frame << ": (" << x
                            << ", " << y << ")";
                    }
                }
            }
}

TEST(PatternTest, BottomUpReversesTheLines)
{
    auto down = render({100, 60, 24, true}, 3);
    auto flipped = render({100, -60, 24, true}, 3);
    for (int line = 0; line < 60; ++line)
        EXPECT_EQ(memcmp(&down[size_t(line) * 300], &flipped[size_t(59 - line) * 300], 300), 0) << line;
}

TEST(PatternTest, MarkerMovesWithTheFrameNumber)
{
    int side = 480 / 12;
    int y = (480 - side) / 2 + 1;
    for (uint32_t frame : {0u, 1u, 10u}) {
        sim::Rgb at = sim::patternColour(int(frame) * 8 + 1, y, 640, 480, 0, frame);
        EXPECT_EQ(at.r, 255);
        EXPECT_EQ(at.g, 128);
        EXPECT_EQ(at.b, 0);
    }
    sim::Rgb before = sim::patternColour(78, y, 640, 480, 0, 10);
    EXPECT_EQ(before.g, 255) << "left of the marker: the white bar";
}

TEST(PatternTest, NumberBoxAtTheTopLeft)
{
    sim::Rgb corner = sim::patternColour(0, 0, 768, 576, 3, 42);
    EXPECT_EQ(corner.r + corner.g + corner.b, 0);
    // Somewhere in the box the digits are white.
    int white = 0;
    for (int y = 0; y < 42; ++y)
        for (int x = 0; x < 80; ++x)
            white += sim::patternColour(x, y, 768, 576, 3, 42).g == 255;
    EXPECT_GT(white, 0);
}

TEST(PatternTest, SecondCameraPlanesConvertToThePattern)
{
    const int width = 64, height = 48;
    std::vector<uint8_t> planes(width * height * 3);
    sim::renderSecondCameraPlanes(width, height, 1, 5, planes.data());
    std::vector<uint8_t> converted(planes.size());
    convertSecondCamera(planes.data(), converted.data(), width, height, false);
    auto expected = render({width, height, 24, true}, 0);
    sim::renderPattern({width, height, 24, true}, 1, 5, expected.data());
    for (int i = 0; i < width * height - 2; ++i) {
        for (int c = 0; c < 3; ++c) {
            uint8_t want = expected[size_t(i) * 3 + size_t(c)];
            ASSERT_EQ(converted[size_t(i) * 3 + size_t(c)], want < 18 ? 0 : want) << i;
        }
    }
}

} // namespace
