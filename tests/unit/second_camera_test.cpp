// The second camera's conversion at widths that are no multiple of 16 and
// with values at the 18 threshold, against a plain reading of the rule.
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

TEST(SecondCameraConversionTest, MatchesThePlainRuleAtAnyWidth)
{
    for (uint32_t width : {1u, 7u, 16u, 37u, 768u}) {
        for (bool bottomUp : {false, true}) {
            const uint32_t lines = 5;
            std::vector<uint8_t> source(secondCameraSourceBytes(uint64_t(width) * lines));
            for (size_t i = 0; i < source.size(); ++i)
                source[i] = static_cast<uint8_t>(i * 11 + 3); // 17, 18 and 19 all occur
            std::vector<uint8_t> out(size_t(width) * lines * 3, 0xEE);
            convertSecondCamera(source.data(), out.data(), width, lines, bottomUp);
            EXPECT_EQ(out, reference(source, width, lines, bottomUp)) << width << " " << bottomUp;
        }
    }
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
