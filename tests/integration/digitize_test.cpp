// Digitizing: the mode table, the buffer and frame-memory checks, and each way
// a frame reaches the caller's buffer.
#include <chrono>
#include <cstring>
#include <vector>

#include <saa7146/dcard.h>

#include "api/card_table.h"
#include "card/switches.h"
#include "frames.h"
#include "support/harness.h"
#include "support/requests.h"

namespace {

using driver::DigitRequest;

class DigitizeTest : public CardTest {
protected:
    void SetUp() override
    {
        CardTest::SetUp();
        open();
    }

    void open(const sim::CardSettings* settings = nullptr)
    {
        harness::closeAllCards();
        if (settings)
            sim::card(0).configure(*settings);
        ASSERT_EQ(DCardInit(0), 1);
        sim::card(0).clearRequests();
    }

    DigitCard& card() { return cardTable().cards[0]; }
    const uint8_t* frameMemory() { return sim::card(0).frameMemory(); }

    // Places the capture where the card and the library both expect it.
    void captureAt(uint32_t offset, uint32_t boardType = 0)
    {
        sim::CardSettings settings = sim::card(0).settings();
        settings.captureOffset = offset;
        settings.boardType = boardType;
        open(&settings);
        card().memoryConfig.captureOffset = offset;
        card().memoryConfig.boardType = boardType;
    }

    uint32_t bytesOut = 0xDEADBEEF;
};

TEST_F(DigitizeTest, ModeTableHoldsTheTwentyEightModes)
{
    const int sizes[7][2] = {{768, 576}, {384, 288}, {768, 288}, {512, 576},
                             {512, 288}, {640, 480}, {320, 240}};
    const int colour[4] = {0, 1, 1, 2};
    const int bits[4] = {8, 15, 24, 16};
    const int bytes[4] = {1, 2, 3, 2};
    for (int mode = 0; mode < 28; ++mode) {
        DCardFrameMode record;
        memset(&record, 0xEE, sizeof(record));
        record.size = sizeof(record);
        ASSERT_EQ(DCardGetMode(1, mode, &record), 1);
        int s = mode / 4, f = mode % 4;
        EXPECT_EQ(record.size, 28);
        EXPECT_EQ(record.mode, mode);
        EXPECT_EQ(record.width, sizes[s][0]);
        EXPECT_EQ(record.height, sizes[s][1]);
        EXPECT_EQ(record.colourType, colour[f]);
        EXPECT_EQ(record.bitsPerPixel, bits[f]);
        EXPECT_EQ(record.frameBytes, sizes[s][0] * sizes[s][1] * bytes[f]);
    }
    DCardFrameMode record;
    record.size = 28;
    EXPECT_EQ(DCardGetMode(1, 2, &record), 1);
    EXPECT_EQ(record.frameBytes, 1327104);
    EXPECT_EQ(DCardGetMode(1, 28, &record), 0);
    EXPECT_EQ(DCardGetMode(1, -1, &record), 0);
    EXPECT_EQ(DCardGetMode(1, 0, nullptr), 0);
    EXPECT_EQ(DCardGetMode(2, 0, &record), 0);
}

TEST_F(DigitizeTest, ModeRecordHonoursTheSizeWord)
{
    int32_t raw[10];
    memset(raw, 0xEE, sizeof(raw));
    raw[0] = 12;
    ASSERT_EQ(DCardGetMode(1, 6, reinterpret_cast<DCardFrameMode*>(raw)), 1);
    EXPECT_EQ(raw[0], 12);
    EXPECT_EQ(raw[1], 6);
    EXPECT_EQ(raw[2], 384);
    EXPECT_EQ(raw[3], static_cast<int32_t>(0xEEEEEEEE));
    raw[0] = 100;
    ASSERT_EQ(DCardGetMode(1, 6, reinterpret_cast<DCardFrameMode*>(raw)), 1);
    EXPECT_EQ(raw[0], 28);
    EXPECT_EQ(raw[6], 331776);
    EXPECT_EQ(raw[7], static_cast<int32_t>(0xEEEEEEEE));
    EXPECT_EQ(harness::sentCount(driver::Digit), 0u);
}

TEST_F(DigitizeTest, ModeTwoNeedsItsWholeFrameInTheBuffer)
{
    std::vector<uint8_t> buffer(1327104, 0xEE);
    EXPECT_EQ(DCardDigit(1, 0, 2, buffer.data(), 1327103, &bytesOut, 0), 0);
    EXPECT_EQ(bytesOut, 0xDEADBEEFu) << "refused before anything is sent";
    EXPECT_EQ(harness::sentCount(driver::Digit), 0u);

    ASSERT_EQ(DCardDigit(1, 0, 2, buffer.data(), 1327104, &bytesOut, 0), 1);
    EXPECT_EQ(bytesOut, 1327104u);
    auto digits = harness::sent<DigitRequest>();
    ASSERT_EQ(digits.size(), 1u);
    EXPECT_EQ(digits[0].camera, 1);
    EXPECT_EQ(digits[0].bitsPerPixel, 24);
    EXPECT_EQ(digits[0].width, 768);
    EXPECT_EQ(digits[0].height, 576);
    EXPECT_EQ(digits[0].rgb, 1);
    EXPECT_ADDRESS_WORD(digits[0].buffer, buffer.data());
    EXPECT_EQ(digits[0].frameBytes, 1327104u);
    EXPECT_EQ(memcmp(buffer.data(), frameMemory(), buffer.size()), 0);
    // The second bar is yellow: blue 0, green and red full.
    const uint8_t* pixel = &buffer[(300 * 768 + 150) * 3];
    EXPECT_EQ(pixel[0], 0);
    EXPECT_EQ(pixel[1], 255);
    EXPECT_EQ(pixel[2], 255);

    // A power-on leaves no trace of the frame in the card's memory.
    harness::closeAllCards();
    sim::card(0).configure(sim::card(0).settings());
    const std::vector<uint8_t> blank(sim::card(0).frameMemorySize(), 0);
    EXPECT_EQ(memcmp(frameMemory(), blank.data(), blank.size()), 0);
}

TEST_F(DigitizeTest, BadModesAndPointersAreRefusedBeforeSending)
{
    std::vector<uint8_t> buffer(1327104);
    EXPECT_EQ(DCardDigit(1, 0, 28, buffer.data(), 1327104, &bytesOut, 0), 0);
    EXPECT_EQ(DCardDigit(1, 0, -1, buffer.data(), 1327104, &bytesOut, 0), 0);
    EXPECT_EQ(bytesOut, 0xDEADBEEFu);
    EXPECT_EQ(DCardDigit(1, 0, 2, buffer.data(), 1327104, nullptr, 0), 0);
    EXPECT_EQ(DCardDigitEx(1, 0, 64, 64, 8, 0, buffer.data(), 4096, nullptr, 0), 0);
    EXPECT_EQ(DCardDigit(2, 0, 2, buffer.data(), 1327104, &bytesOut, 0), 0);
    EXPECT_EQ(harness::sentCount(driver::Digit), 0u);
}

TEST_F(DigitizeTest, NoBufferSendsTheRequestAndDeliversNothing)
{
    EXPECT_EQ(DCardDigit(1, 3, 6, nullptr, 0, &bytesOut, 0), 1);
    EXPECT_EQ(bytesOut, 0u);
    auto digits = harness::sent<DigitRequest>();
    ASSERT_EQ(digits.size(), 1u);
    EXPECT_EQ(digits[0].camera, 4);
    EXPECT_EQ(digits[0].buffer, 0u);
    EXPECT_EQ(digits[0].frameBytes, 331776u);
}

TEST_F(DigitizeTest, FreeFormatsSendTheirDepthAndRgbFlag)
{
    std::vector<uint8_t> buffer(320 * 240 * 4);
    EXPECT_EQ(DCardDigitEx(1, 0, 64, 64, 12, 1, buffer.data(), 64 * 64 * 2, &bytesOut, 0), 0);
    EXPECT_EQ(harness::sentCount(driver::Digit), 0u);
    ASSERT_EQ(DCardDigitEx(1, 0, 64, 64, 16, 1, buffer.data(), 64 * 64 * 2, &bytesOut, 0), 1);
    ASSERT_EQ(DCardDigitEx(1, 0, 64, 64, 8, 2, buffer.data(), 64 * 64, &bytesOut, 0), 1);
    ASSERT_EQ(DCardDigitEx(1, 0, 320, 240, 32, 1, nullptr, 0, &bytesOut, 0), 1);
    auto digits = harness::sent<DigitRequest>();
    ASSERT_EQ(digits.size(), 3u);
    EXPECT_EQ(digits[0].bitsPerPixel, 16);
    EXPECT_EQ(digits[0].rgb, 1);
    EXPECT_EQ(digits[1].bitsPerPixel, 8);
    EXPECT_EQ(digits[1].rgb, 0);
    EXPECT_EQ(digits[2].frameBytes, 307200u);
}

TEST_F(DigitizeTest, SizesThatDoNotFitAreRefused)
{
    std::vector<uint8_t> buffer(16);
    // 65536 x 65536 bytes wraps to 0 in 32 bits.
    EXPECT_EQ(DCardDigitEx(1, 0, 65536, 65536, 8, 0, buffer.data(), 16, &bytesOut, 0), 0);
    EXPECT_EQ(DCardDigitEx(1, 0, 65536, 65536, 8, 0, nullptr, 0, &bytesOut, 0), 0);
    EXPECT_EQ(DCardDigitEx(1, 0, 0x10000, 0x8000, 32, 1, buffer.data(), 16, &bytesOut, 0), 0);
    EXPECT_EQ(DCardDigitEx(1, 0, -4, 4, 8, 0, buffer.data(), 16, &bytesOut, 0), 0);
    EXPECT_EQ(DCardDigitEx(1, 0, 4, -4, 8, 0, buffer.data(), 16, &bytesOut, 0), 0);
    EXPECT_EQ(bytesOut, 0xDEADBEEFu);
    EXPECT_EQ(harness::sentCount(driver::Digit), 0u);
}

TEST_F(DigitizeTest, FlipSendsANegativeHeightAndTheSameBytes)
{
    std::vector<uint8_t> buffer(1327104);
    ASSERT_EQ(DCardDigit(1, 0, 2, buffer.data(), 1327104, &bytesOut, 1), 1);
    EXPECT_EQ(bytesOut, 1327104u);
    auto digits = harness::sent<DigitRequest>();
    ASSERT_EQ(digits.size(), 1u);
    EXPECT_EQ(digits[0].height, -576);
    EXPECT_EQ(digits[0].frameBytes, 1327104u);
    EXPECT_EQ(memcmp(buffer.data(), frameMemory(), buffer.size()), 0);
    // The last line of the buffer holds the top of the picture: the number box.
    EXPECT_EQ(buffer[575 * 768 * 3], 0) << "black box at the top left";
    EXPECT_EQ(buffer[0], 255) << "white bar at the bottom left";
}

TEST_F(DigitizeTest, FrameMustFitTheFrameMemory)
{
    sim::CardSettings settings = sim::card(0).settings();
    settings.frameMemorySize = 1327103;
    open(&settings);
    std::vector<uint8_t> buffer(1327104);
    EXPECT_EQ(DCardDigit(1, 0, 2, buffer.data(), 1327104, &bytesOut, 0), 0);
    EXPECT_EQ(DCardDigit(1, 0, 6, buffer.data(), 1327104, &bytesOut, 0), 1);
    EXPECT_EQ(harness::sentCount(driver::Digit), 1u);
}

// The frame starts at the capture offset; offset and frame together must fit.
TEST_F(DigitizeTest, CaptureOffsetAndFrameMustFitTogether)
{
    const uint32_t size = 0x480000;
    std::vector<uint8_t> buffer(1327104);
    captureAt(size - 1327104 + 1);
    EXPECT_EQ(DCardDigit(1, 0, 2, buffer.data(), 1327104, &bytesOut, 0), 0);
    EXPECT_EQ(harness::sentCount(driver::Digit), 0u);
    // An offset past the end is no wrap-around either.
    card().memoryConfig.captureOffset = 0xFFFFFFFFu;
    EXPECT_EQ(DCardDigit(1, 0, 2, buffer.data(), 1327104, &bytesOut, 0), 0);

    captureAt(size - 1327104);
    ASSERT_EQ(DCardDigit(1, 0, 2, buffer.data(), 1327104, &bytesOut, 0), 1);
    EXPECT_EQ(memcmp(buffer.data(), frameMemory() + (size - 1327104), buffer.size()), 0);
    EXPECT_EQ(buffer[(300 * 768 + 150) * 3 + 1], 255);
}

// DigitEx takes the frame from the start of the frame memory.
TEST_F(DigitizeTest, FreeFormatCopiesFromTheStartOfTheFrameMemory)
{
    std::vector<uint8_t> buffer(384 * 288 * 3);
    ASSERT_EQ(DCardDigitEx(1, 0, 384, 288, 24, 1, buffer.data(), buffer.size(), &bytesOut, 0), 1);
    EXPECT_EQ(bytesOut, buffer.size());
    EXPECT_EQ(memcmp(buffer.data(), frameMemory(), buffer.size()), 0);
    ASSERT_EQ(DCardDigitEx(1, 0, 0, 0, 24, 1, buffer.data(), 0, &bytesOut, 0), 1);
    EXPECT_EQ(bytesOut, 0u);
}

TEST_F(DigitizeTest, OlderFamilyWritesTheCallersBuffer)
{
    SKIP_WITHOUT_OLDER_FAMILY();
    harness::closeAllCards();
    harness::setOs("Windows 98");
    ASSERT_EQ(DCardInit(0), 1);
    std::vector<uint8_t> buffer(331776, 0xEE);
    ASSERT_EQ(DCardDigit(1, 0, 6, buffer.data(), buffer.size(), &bytesOut, 0), 1);
    EXPECT_EQ(bytesOut, 331776u);
    std::vector<uint8_t> expected(buffer.size());
    sim::renderPattern({384, 288, 24, true}, 0, sim::card(0).framesDigitized(0) - 1, expected.data());
    EXPECT_EQ(buffer, expected);
    for (size_t i = 0; i < buffer.size(); i += 997)
        ASSERT_EQ(frameMemory()[i], 0) << "the frame memory is not used";
}

TEST_F(DigitizeTest, OpenResetsBothCameras)
{
    harness::closeAllCards();
    sim::card(0).clearRequests();
    ASSERT_EQ(DCardInit(0), 1);
    auto digits = harness::sent<DigitRequest>();
    ASSERT_EQ(digits.size(), 2u);
    EXPECT_EQ(digits[0].camera, 2);
    EXPECT_EQ(digits[1].camera, 1);
    for (const DigitRequest& digit : digits) {
        EXPECT_EQ(digit.width, 0);
        EXPECT_EQ(digit.height, 0);
        EXPECT_EQ(digit.bitsPerPixel, 8);
        EXPECT_EQ(digit.rgb, 0);
        EXPECT_EQ(digit.buffer, 0u);
        EXPECT_EQ(digit.frameBytes, 0u);
    }
}

TEST_F(DigitizeTest, TestModeWaitsAtLeastSixtyMillisecondsPerFrame)
{
    harness::closeAllCards();
    harness::writeIni("Debug", 1);
    harness::writeIni("DisplayDialog", 0);
    ASSERT_EQ(DCardInit(0), 1);
    std::vector<uint8_t> buffer(110592);
    for (int frame = 0; frame < 3; ++frame) {
        auto start = std::chrono::steady_clock::now();
        ASSERT_EQ(DCardDigit(1, 0, 4, buffer.data(), buffer.size(), &bytesOut, 0), 1);
        EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(60));
        EXPECT_EQ(bytesOut, 110592u);
    }
    // Test mode takes the frame memory as 0x480000 bytes.
    std::vector<uint8_t> large(2048 * 1024 * 3);
    EXPECT_EQ(DCardDigitEx(1, 0, 2048, 1024, 24, 1, large.data(), large.size(), &bytesOut, 0), 0);
}

// The second camera of a board of type 0x200, checked against a plain
// reading of the conversion: D = P[0], S[1], S[4], values below 18 made 0.
class SecondCameraTest : public DigitizeTest {
protected:
    static std::vector<uint8_t> reference(const uint8_t* s, int width, int height, bool flip)
    {
        std::vector<uint8_t> out(size_t(width) * height * 3);
        const uint8_t* p = s + 2 * width * height;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                int i = y * width + x;
                int row = flip ? height - 1 - y : y;
                uint8_t* d = &out[size_t(row * width + x) * 3];
                uint8_t values[3] = {p[i], s[2 * i + 1], s[2 * i + 4]};
                for (int c = 0; c < 3; ++c)
                    d[c] = values[c] < 18 ? 0 : values[c];
            }
        }
        return out;
    }
};

TEST_F(SecondCameraTest, ConvertsThePlanesOfTheCard)
{
    captureAt(0x1000, 0x200);
    std::vector<uint8_t> buffer(331776);
    ASSERT_EQ(DCardDigit(1, 1, 6, buffer.data(), buffer.size(), &bytesOut, 0), 1);
    EXPECT_EQ(bytesOut, 331776u);
    EXPECT_EQ(buffer, reference(frameMemory() + 0x1000, 384, 288, false));
    // The planes hold the pattern: the second bar is yellow.
    const uint8_t* pixel = &buffer[(150 * 384 + 70) * 3];
    EXPECT_EQ(pixel[0], 0);
    EXPECT_EQ(pixel[1], 255);
    EXPECT_EQ(pixel[2], 255);
}

TEST_F(SecondCameraTest, ValuesBelowEighteenBecomeBlack)
{
    sim::CardSettings settings = sim::card(0).settings();
    settings.renderFrames = false;
    settings.boardType = 0x200;
    open(&settings);
    card().memoryConfig.boardType = 0x200;
    card().memoryConfig.captureOffset = 0;
    uint8_t* memory = sim::card(0).frameMemory();
    for (int i = 0; i < 320 * 240 * 3; ++i)
        memory[i] = static_cast<uint8_t>(i * 7);
    std::vector<uint8_t> buffer(230400);
    ASSERT_EQ(DCardDigit(1, 2, 26, buffer.data(), buffer.size(), &bytesOut, 0), 1);
    EXPECT_EQ(buffer, reference(memory, 320, 240, false));
    size_t zeros = 0, seventeens = 0;
    for (uint8_t b : buffer) {
        zeros += b == 0;
        seventeens += b == 17;
    }
    EXPECT_GT(zeros, 0u);
    EXPECT_EQ(seventeens, 0u);
    // Bottom-up: the same picture with its lines reversed, all of them.
    ASSERT_EQ(DCardDigit(1, 2, 26, buffer.data(), buffer.size(), &bytesOut, 1), 1);
    EXPECT_EQ(bytesOut, 230400u);
    EXPECT_EQ(buffer, reference(memory, 320, 240, true));
}

TEST_F(SecondCameraTest, OnlyTwentyFourBitModesAndOnlyWithinTheFrameMemory)
{
    captureAt(0, 0x200);
    std::vector<uint8_t> buffer(1327104, 0xEE);
    // A grey frame has no room for 3-byte pixels.
    EXPECT_EQ(DCardDigit(1, 1, 4, buffer.data(), 110592, &bytesOut, 0), 0);
    EXPECT_EQ(DCardDigit(1, 1, 5, buffer.data(), 221184, &bytesOut, 0), 0);
    EXPECT_EQ(harness::sentCount(driver::Digit), 0u);
    EXPECT_EQ(buffer[110592], 0xEE);
    // Camera 0 copies as any card does.
    ASSERT_EQ(DCardDigit(1, 0, 4, buffer.data(), 110592, &bytesOut, 0), 1);
    EXPECT_EQ(memcmp(buffer.data(), frameMemory(), 110592), 0);
    // Both planes must lie inside the frame memory.
    captureAt(0x480000 - 331776 + 1, 0x200);
    EXPECT_EQ(DCardDigit(1, 1, 6, buffer.data(), 331776, &bytesOut, 0), 0);
    captureAt(0x480000 - 331776, 0x200);
    EXPECT_EQ(DCardDigit(1, 1, 6, buffer.data(), 331776, &bytesOut, 0), 1);
}

} // namespace
