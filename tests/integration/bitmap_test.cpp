// Bitmaps from frames: the packed DIB, device-dependent bitmaps and BMP files.
#include <atomic>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <saa7146/dcard.h>

#include "frames.h"
#include "image/dib.h"
#include "support/harness.h"
#include "support/requests.h"

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> readFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), {});
}

uint32_t word32(const std::vector<uint8_t>& bytes, size_t at)
{
    uint32_t value;
    memcpy(&value, &bytes[at], 4);
    return value;
}

uint16_t word16(const std::vector<uint8_t>& bytes, size_t at)
{
    return static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

class BitmapTest : public CardTest {
protected:
    void SetUp() override
    {
        CardTest::SetUp();
        harness::resetAll(2);
        ASSERT_EQ(DCardInit(0), 1);
        sim::card(0).clearRequests();
        directory = fs::path(harness::scratchDirectory()) / "bitmaps";
        fs::create_directories(directory);
    }

    std::string path(const char* name) { return (directory / name).string(); }

    // The frame the card drew last, as it lies in the frame memory.
    std::vector<uint8_t> lastFrame(size_t bytes)
    {
        const uint8_t* memory = sim::card(0).frameMemory();
        return std::vector<uint8_t>(memory, memory + bytes);
    }

    fs::path directory;
};

TEST_F(BitmapTest, GreyFileWithItsPalette)
{
    std::string file = path("grey.bmp");
    ASSERT_EQ(DCardSaveDigBMP(1, 0, 384, 288, 8, file.c_str()), 1);
    auto bytes = readFile(file);
    ASSERT_EQ(bytes.size(), 111670u);
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[1], 'M');
    EXPECT_EQ(word32(bytes, 2), 111670u);
    EXPECT_EQ(word32(bytes, 6), 0u);
    EXPECT_EQ(word32(bytes, 10), 1078u);
    EXPECT_EQ(word32(bytes, 14), 40u);
    EXPECT_EQ(word32(bytes, 18), 384u);
    EXPECT_EQ(word32(bytes, 22), 288u);
    EXPECT_EQ(word16(bytes, 26), 1);
    EXPECT_EQ(word16(bytes, 28), 8);
    EXPECT_EQ(word32(bytes, 30), 0u);
    EXPECT_EQ(word32(bytes, 34), 0u);
    EXPECT_EQ(word32(bytes, 38), 2834u);
    EXPECT_EQ(word32(bytes, 42), 2834u);
    EXPECT_EQ(word32(bytes, 46), 256u);
    EXPECT_EQ(word32(bytes, 50), 0u);
    EXPECT_EQ(word32(bytes, 54 + 4 * 255), 0x00FFFFFFu);
    EXPECT_EQ(word32(bytes, 54 + 4 * 100), 0x00646464u);

    // The request asked for a bottom-up grey frame; the file holds it as drawn.
    auto digits = harness::sent<driver::DigitRequest>();
    ASSERT_EQ(digits.size(), 1u);
    EXPECT_EQ(digits[0].height, -288);
    EXPECT_EQ(digits[0].rgb, 0);
    std::vector<uint8_t> pixels(bytes.begin() + 1078, bytes.end());
    EXPECT_EQ(pixels, lastFrame(110592));
    std::vector<uint8_t> expected(110592);
    sim::renderPattern({384, -288, 8, false}, 0, sim::card(0).framesDigitized(0) - 1, expected.data());
    EXPECT_EQ(pixels, expected) << "bottom row first";
}

TEST_F(BitmapTest, TwentyFourBitFile)
{
    std::string file = path("colour.bmp");
    ASSERT_EQ(DCardSaveDigBMP(1, 0, 384, 288, 24, file.c_str()), 1);
    auto bytes = readFile(file);
    ASSERT_EQ(bytes.size(), 331830u);
    EXPECT_EQ(word32(bytes, 10), 54u);
    EXPECT_EQ(word16(bytes, 28), 24);
    EXPECT_EQ(word32(bytes, 46), 0u);
    std::vector<uint8_t> pixels(bytes.begin() + 54, bytes.end());
    EXPECT_EQ(pixels, lastFrame(331776));
    // File row 0 is the bottom of the picture; the first bar is white, the sixth red.
    EXPECT_EQ(pixels[0], 255);
    const uint8_t* red = &pixels[(10 * 384 + 5 * 48 + 5) * 3];
    EXPECT_EQ(red[0], 0);
    EXPECT_EQ(red[1], 0);
    EXPECT_EQ(red[2], 255);
}

TEST_F(BitmapTest, SixteenBitsAreDigitizedAsFifteen)
{
    std::string file = path("fifteen.bmp");
    ASSERT_EQ(DCardSaveDigBMP(1, 0, 320, 240, 16, file.c_str()), 1);
    EXPECT_EQ(harness::sent<driver::DigitRequest>()[0].bitsPerPixel, 15);
    auto bytes = readFile(file);
    ASSERT_EQ(bytes.size(), 54u + 153600u) << "no colour masks";
    EXPECT_EQ(word16(bytes, 28), 16);
    EXPECT_EQ(word32(bytes, 30), 0u) << "BI_RGB";
    EXPECT_EQ(word16(bytes, 54 + 2 * (10 * 320 + 5 * 40 + 3)), 0x7C00) << "red as 5-5-5";
}

TEST_F(BitmapTest, OtherDepthsWriteNoFile)
{
    std::string file = path("deep.bmp");
    EXPECT_EQ(DCardSaveDigBMP(1, 0, 64, 64, 32, file.c_str()), 0);
    EXPECT_EQ(DCardSaveDigBMP(1, 0, 64, 64, 12, file.c_str()), 0);
    EXPECT_FALSE(fs::exists(file));
    EXPECT_EQ(harness::sentCount(driver::Digit), 0u);
}

TEST_F(BitmapTest, BadArgumentsWriteNoFile)
{
    std::string file = path("bad.bmp");
    EXPECT_EQ(DCardSaveDigBMP(1, 0, 65536, 65536, 24, file.c_str()), 0);
    EXPECT_EQ(DCardSaveDigBMP(1, 0, -8, 8, 24, file.c_str()), 0);
    EXPECT_EQ(DCardSaveDigBMP(1, 0, 8, 8, 24, nullptr), 0);
    EXPECT_EQ(DCardSaveDigBMP(2, 0, 8, 8, 24, file.c_str()), 0);
    EXPECT_EQ(DCardSaveDigBMP(1, 0, 2048, 2048, 24, file.c_str()), 0) << "larger than the frame memory";
    EXPECT_FALSE(fs::exists(file));
    std::string missing = path("no/such/directory/x.bmp");
    EXPECT_EQ(DCardSaveDigBMP(1, 0, 8, 8, 24, missing.c_str()), 0);
}

TEST_F(BitmapTest, ExistingFileIsReplaced)
{
    std::string file = path("old.bmp");
    {
        std::ofstream old(file, std::ios::binary);
        std::string junk(500000, 'x');
        old << junk;
    }
    ASSERT_EQ(DCardSaveDigBMP(1, 0, 384, 288, 8, file.c_str()), 1);
    EXPECT_EQ(fs::file_size(file), 111670u);
}

// Rows that are no multiple of 4 bytes are padded, so the file stays a
// well-formed bitmap.
TEST_F(BitmapTest, OddWidthsArePadded)
{
    std::string file = path("odd.bmp");
    ASSERT_EQ(DCardSaveDigBMP(1, 0, 101, 20, 24, file.c_str()), 1);
    auto bytes = readFile(file);
    ASSERT_EQ(bytes.size(), 54u + 304u * 20u);
    EXPECT_EQ(word32(bytes, 2), 54u + 304u * 20u);
    auto frame = lastFrame(303 * 20);
    for (int row = 0; row < 20; ++row) {
        EXPECT_EQ(memcmp(&bytes[54 + 304 * row], &frame[303 * size_t(row)], 303), 0) << row;
        EXPECT_EQ(bytes[54 + 304 * row + 303], 0) << row;
    }
}

TEST_F(BitmapTest, DeviceBitmapFreesThePackedDib)
{
    std::vector<uint8_t> grey(16 * 8);
    for (size_t i = 0; i < grey.size(); ++i)
        grey[i] = static_cast<uint8_t>(i * 2);
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(MakeDigDIB(screen, grey.data(), 16, 8, 8, 1), nullptr);
    HGLOBAL block = currentDibBlock();
    ASSERT_NE(block, nullptr);
    EXPECT_GE(GlobalSize(block), 40u + 1024u + 128u + 20u);

    HBITMAP bitmap = MakeDigDIB(screen, grey.data(), 16, 8, 8, 0);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(currentDibBlock(), nullptr) << "any build frees the packed DIB";
    harness::Picture picture;
    ASSERT_TRUE(harness::readDeviceBitmap(bitmap, picture));
    EXPECT_EQ(picture.width, 16);
    EXPECT_EQ(picture.height, 8);
    // DIB rows are bottom-up: frame row 0 is the picture's bottom row.
    EXPECT_EQ(picture.pixels[7 * 16 + 1], 0x00020202u);
    EXPECT_EQ(picture.pixels[0], 0x00E0E0E0u);
    DeleteObject(bitmap);

    std::vector<uint8_t> colour(5 * 3 * 4);
    for (size_t i = 0; i < colour.size(); i += 3) {
        colour[i] = 0x10;     // blue
        colour[i + 1] = 0x80; // green
        colour[i + 2] = 0xF0; // red
    }
    bitmap = MakeDigDIB(screen, colour.data(), 5, 4, 24, 0);
    ASSERT_NE(bitmap, nullptr);
    ASSERT_TRUE(harness::readDeviceBitmap(bitmap, picture));
    EXPECT_EQ(picture.pixels[3], 0x00F08010u) << "a width of 5 pixels needs padded rows";
    DeleteObject(bitmap);
    ReleaseDC(nullptr, screen);

    EXPECT_EQ(MakeDigDIB(nullptr, colour.data(), 5, 4, 32, 1), nullptr);
    EXPECT_EQ(currentDibBlock(), nullptr);
    EXPECT_EQ(MakeDigDIB(nullptr, colour.data(), 65536, 65536, 24, 1), nullptr);
    EXPECT_EQ(currentDibBlock(), nullptr);
}

TEST_F(BitmapTest, PackedDibHoldsTheFrameAsIs)
{
    std::vector<uint8_t> frame(384 * 288 * 3);
    for (size_t i = 0; i < frame.size(); ++i)
        frame[i] = static_cast<uint8_t>(i * 7);
    MakeDigDIB(nullptr, frame.data(), 384, 288, 24, 1);
    HGLOBAL block = takeCurrentDibBlock();
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(currentDibBlock(), nullptr) << "taken over by the caller";
    EXPECT_EQ(GlobalSize(block), 40u + 331776u + 20u);
    auto* dib = static_cast<const uint8_t*>(GlobalLock(block));
    ASSERT_NE(dib, nullptr);
    EXPECT_EQ(memcmp(dib + 40, frame.data(), frame.size()), 0);
    BITMAPINFOHEADER header;
    memcpy(&header, dib, sizeof(header));
    EXPECT_EQ(header.biHeight, 288);
    EXPECT_EQ(header.biSizeImage, 0u);
    GlobalUnlock(block);
    GlobalFree(block);
}

// Each picture of a series is its own frame, in the file and in the current
// DIB block, also after the block was taken over by a caller; a picture whose
// frame fails leaves the current block as it was.
TEST_F(BitmapTest, SeriesOfFilesAndTheCurrentBlock)
{
    auto blockPixels = [](size_t bytes) {
        HGLOBAL block = currentDibBlock();
        if (!block)
            return std::vector<uint8_t>();
        auto* dib = static_cast<const uint8_t*>(GlobalLock(block));
        std::vector<uint8_t> pixels(dib + 40, dib + 40 + bytes);
        GlobalUnlock(block);
        return pixels;
    };
    const size_t bytes = 384 * 288 * 3;
    std::string file = path("series.bmp");
    std::vector<uint8_t> previous;
    for (int picture = 0; picture < 4; ++picture) {
        if (picture == 2)
            GlobalFree(takeCurrentDibBlock());
        ASSERT_EQ(DCardSaveDigBMP(1, 0, 384, 288, 24, file.c_str()), 1) << picture;
        auto written = readFile(file);
        ASSERT_EQ(written.size(), 54 + bytes) << picture;
        std::vector<uint8_t> pixels(written.begin() + 54, written.end());
        EXPECT_EQ(pixels, lastFrame(bytes)) << picture;
        EXPECT_EQ(blockPixels(bytes), pixels) << picture;
        EXPECT_NE(pixels, previous) << "the marker moves from frame to frame";
        previous = pixels;
    }

    HGLOBAL before = currentDibBlock();
    sim::Fault fault;
    fault.code = driver::Digit;
    sim::card(0).injectFault(fault);
    EXPECT_EQ(DCardSaveDigBMP(1, 0, 384, 288, 24, path("failed.bmp").c_str()), 0);
    EXPECT_FALSE(fs::exists(path("failed.bmp")));
    EXPECT_EQ(currentDibBlock(), before);
    EXPECT_EQ(blockPixels(bytes), previous);
}

// Several threads write bitmaps of two cards at once: every file is whole.
TEST_F(BitmapTest, ThreadsWriteBitmapsAtOnce)
{
    ASSERT_EQ(DCardInit(1), 2);
    std::vector<std::thread> threads;
    std::atomic<int> failures{0};
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 5; ++i) {
                std::string file = path(("thread" + std::to_string(t) + "-" + std::to_string(i) + ".bmp").c_str());
                if (!DCardSaveDigBMP(1 + t % 2, 0, 128, 96, t % 2 ? 8 : 24, file.c_str()))
                    ++failures;
                else if (fs::file_size(file) != (t % 2 ? 1078u + 12288u : 54u + 36864u))
                    ++failures;
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(failures.load(), 0);
}

} // namespace
