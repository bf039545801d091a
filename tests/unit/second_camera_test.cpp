// The second camera's conversion: every path, and the one chosen for this
// processor, against a plain reading of the rule, over random widths (every
// width up to 128 among them), line counts, contents, output addresses and
// both row orders.
#include <gtest/gtest.h>

#include <random>
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

// Random bytes, a fifth of them at the 18 threshold or the ends: 0, 17, 18,
// 19, 255. The exact size, so that a sanitizer sees any read past it.
std::vector<uint8_t> randomSource(uint32_t width, uint32_t lines, std::mt19937& random)
{
    static const uint8_t edges[] = {0, 17, 18, 19, 255};
    std::vector<uint8_t> source(secondCameraSourceBytes(uint64_t(width) * lines));
    for (uint8_t& byte : source) {
        uint32_t draw = random();
        byte = draw % 5 == 0 ? edges[(draw >> 8) % 5] : static_cast<uint8_t>(draw >> 16);
    }
    return source;
}

constexpr size_t kGuard = 64;

// Converts into a buffer at offset bytes past a 64-byte boundary, between
// guards that must stay untouched. path -1: convertSecondCamera.
std::vector<uint8_t> converted(int path, const std::vector<uint8_t>& source, uint32_t width,
                               uint32_t lines, bool bottomUp, size_t offset)
{
    const size_t bytes = size_t(width) * lines * 3;
    std::vector<uint8_t> buffer(bytes + 2 * kGuard + 64, 0xEE);
    uint8_t* base = buffer.data() + kGuard;
    base += (offset - reinterpret_cast<uintptr_t>(base)) % 64;
    if (path < 0)
        convertSecondCamera(source.data(), base, width, lines, bottomUp);
    else
        convertSecondCameraBy(SecondCameraPath(path), source.data(), base, width, lines, bottomUp);
    for (const uint8_t* byte = buffer.data(); byte < buffer.data() + buffer.size(); ++byte) {
        if ((byte < base || byte >= base + bytes) && *byte != 0xEE) {
            ADD_FAILURE() << "written " << (byte < base ? "before" : "past") << " the frame";
            break;
        }
    }
    return std::vector<uint8_t>(base, base + bytes);
}

uint32_t randomWidth(int round, std::mt19937& random)
{
    if (round < 128)
        return uint32_t(round + 1);
    switch (random() % 3) {
    case 0: // about a block edge
        return 32 * (1 + random() % 24) + random() % 5 - 2;
    case 1:
        return 1 + random() % 64;
    default:
        return 1 + random() % 800;
    }
}

TEST(SecondCameraConversionTest, EveryPathFollowsTheRule)
{
    const SecondCameraPath paths[] = {SecondCameraPath::Plain, SecondCameraPath::Ssse3,
                                      SecondCameraPath::Avx2};
    std::mt19937 random(20240611);
    for (int round = 0; round < 1500; ++round) {
        const uint32_t width = randomWidth(round, random);
        const uint32_t lines = 1 + (random() % 4 == 0 ? random() % 9 : random() % 3);
        const bool bottomUp = random() % 2;
        const size_t offset = random() % 64;
        const std::vector<uint8_t> source = randomSource(width, lines, random);
        const std::vector<uint8_t> expected = reference(source, width, lines, bottomUp);
        const std::string where = std::to_string(width) + " x " + std::to_string(lines) +
                                  (bottomUp ? " bottom-up" : "") + ", output at 64n + " +
                                  std::to_string(offset) + ", round " + std::to_string(round);
        for (SecondCameraPath path : paths) {
            if (!secondCameraPathRuns(path))
                continue;
            ASSERT_EQ(converted(int(path), source, width, lines, bottomUp, offset), expected)
                << "path " << int(path) << ", " << where;
        }
        ASSERT_EQ(converted(-1, source, width, lines, bottomUp, offset), expected)
            << "the path chosen here, " << where;
    }
}

TEST(SecondCameraConversionTest, TakesTheFastestPathThisProcessorRuns)
{
#if defined(__GNUC__) && (defined(__i386__) || defined(__x86_64__))
    const bool avx2 = __builtin_cpu_supports("avx2");
    const bool ssse3 = __builtin_cpu_supports("ssse3");
    EXPECT_EQ(secondCameraPathRuns(SecondCameraPath::Avx2), avx2);
    EXPECT_EQ(secondCameraPathRuns(SecondCameraPath::Ssse3), ssse3);
    EXPECT_EQ(secondCameraPath(), avx2    ? SecondCameraPath::Avx2
                                  : ssse3 ? SecondCameraPath::Ssse3
                                          : SecondCameraPath::Plain);
#else
    EXPECT_EQ(secondCameraPath(), SecondCameraPath::Plain);
#endif
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
