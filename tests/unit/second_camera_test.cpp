// The second camera's conversion: the plain loop against a plain reading of
// the rule, and every vector path against the plain loop, at widths that are
// no multiple of 16 or 32 and with values at the 18 threshold.
#include <gtest/gtest.h>

#include <vector>

#include "card/second_camera.h"

namespace {

std::vector<uint8_t> reference(const std::vector<uint8_t>& source, uint32_t width, uint32_t lines,
                               bool bottomUp)
{
    std::vector<uint8_t> out(size_t(width) * lines * 3);
    const uint8_t* s = source.data();
    const uint8_t* p = s + 2 * width * lines;
    for (uint32_t i = 0; i < width * lines; ++i) {
        uint32_t row = bottomUp ? lines - 1 - i / width : i / width;
        uint8_t* d = &out[(size_t(row) * width + i % width) * 3];
        const uint8_t values[3] = {p[i], s[2 * i + 1], s[2 * i + 4]};
        for (int c = 0; c < 3; ++c)
            d[c] = values[c] < 18 ? 0 : values[c];
    }
    return out;
}

// Bytes that hit the 18 threshold often: 0, 17, 18, 19, 255 and others.
std::vector<uint8_t> sourceFor(uint32_t width, uint32_t lines, uint32_t seed)
{
    static const uint8_t edges[] = {0, 17, 18, 19, 255};
    std::vector<uint8_t> source(secondCameraSourceBytes(uint64_t(width) * lines));
    uint32_t state = seed * 2654435761u + 1;
    for (uint8_t& byte : source) {
        state = state * 1664525u + 1013904223u;
        byte = (state >> 28) < 6 ? edges[(state >> 8) % 5] : static_cast<uint8_t>(state >> 16);
    }
    return source;
}

// The exact source (so that a sanitizer sees any read past it) and an output
// with a guard behind it.
std::vector<uint8_t> converted(SecondCameraPath path, const std::vector<uint8_t>& source,
                               uint32_t width, uint32_t lines, bool bottomUp)
{
    const size_t bytes = size_t(width) * lines * 3;
    std::vector<uint8_t> out(bytes + 64, 0xEE);
    convertSecondCameraBy(path, source.data(), out.data(), width, lines, bottomUp);
    EXPECT_EQ(std::vector<uint8_t>(out.begin() + bytes, out.end()), std::vector<uint8_t>(64, 0xEE))
        << "written past the frame";
    out.resize(bytes);
    return out;
}

std::vector<uint32_t> widths()
{
    std::vector<uint32_t> all;
    for (uint32_t width = 1; width <= 100; ++width)
        all.push_back(width);
    for (uint32_t width : {127u, 128u, 129u, 255u, 256u, 257u, 383u, 384u, 767u, 768u, 769u})
        all.push_back(width);
    return all;
}

TEST(SecondCameraConversionTest, PlainLoopFollowsTheRule)
{
    for (uint32_t width : {1u, 7u, 16u, 37u, 768u}) {
        for (bool bottomUp : {false, true}) {
            const uint32_t lines = 5;
            std::vector<uint8_t> source = sourceFor(width, lines, width);
            EXPECT_EQ(converted(SecondCameraPath::Plain, source, width, lines, bottomUp),
                      reference(source, width, lines, bottomUp))
                << width << " " << bottomUp;
        }
    }
}

// Every path this processor runs gives the plain loop's bytes: every width up
// to 100 (blocks of 16 and 32 and every remainder), wider lines around the
// block sizes, odd and even line counts, both row orders.
TEST(SecondCameraConversionTest, EveryPathMatchesThePlainLoop)
{
    const SecondCameraPath paths[] = {SecondCameraPath::Ssse3, SecondCameraPath::Avx2};
    int ran = 0;
    for (SecondCameraPath path : paths) {
        if (!secondCameraPathRuns(path))
            continue;
        ++ran;
        for (uint32_t width : widths()) {
            for (uint32_t lines : {1u, 2u, 3u, 5u}) {
                std::vector<uint8_t> source = sourceFor(width, lines, width * 8 + lines);
                for (bool bottomUp : {false, true}) {
                    ASSERT_EQ(converted(path, source, width, lines, bottomUp),
                              converted(SecondCameraPath::Plain, source, width, lines, bottomUp))
                        << "path " << int(path) << ", " << width << " x " << lines
                        << (bottomUp ? " bottom-up" : "");
                }
            }
        }
    }
    std::vector<uint8_t> source = sourceFor(768, 3, 1);
    std::vector<uint8_t> out(768 * 3 * 3);
    convertSecondCamera(source.data(), out.data(), 768, 3, true);
    EXPECT_EQ(out, converted(SecondCameraPath::Plain, source, 768, 3, true))
        << "the path chosen for this processor";
    if (ran == 0)
        GTEST_SKIP() << "this processor runs no vector path";
}

TEST(SecondCameraConversionTest, ReadsNoFurtherThanItSays)
{
    EXPECT_EQ(secondCameraSourceBytes(0), 0u);
    EXPECT_EQ(secondCameraSourceBytes(1), 5u) << "S[4] of a lone pixel";
    EXPECT_EQ(secondCameraSourceBytes(2), 7u);
    EXPECT_EQ(secondCameraSourceBytes(3), 9u);
    EXPECT_EQ(secondCameraSourceBytes(768 * 576), 3u * 768 * 576);
}

} // namespace
