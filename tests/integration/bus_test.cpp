// The card's I2C bus: speeds, transfers and command sequences.
#include <climits>
#include <cstring>
#include <vector>

#include <saa7146/dcard.h>

#include "regs/i2c_speeds.h"
#include "support/harness.h"
#include "support/requests.h"

namespace {

using driver::I2CCommandRequest;
using driver::I2CTransferRequest;

constexpr int kDecoder = 0x9C;   // the SAA7110 on the virtual card
constexpr int kExpander = 0x70;

class BusTest : public CardTest {
protected:
    void SetUp() override
    {
        CardTest::SetUp();
        harness::resetAll(2);
        ASSERT_EQ(DCardInit(0), 1);
        sim::card(0).clearRequests();
    }
};

TEST_F(BusTest, SpeedsAreOneListForEveryCard)
{
    ASSERT_EQ(DCardInit(1), 2);
    const int* speeds = DCardGetI2CSpeeds(1);
    ASSERT_NE(speeds, nullptr);
    EXPECT_EQ(DCardGetI2CSpeeds(2), speeds);
    std::vector<int> listed;
    for (const int* s = speeds; *s; ++s)
        listed.push_back(*s);
    EXPECT_EQ(listed, (std::vector<int>{5, 10, 66, 100, 133, 266, 400, 533}));
    EXPECT_EQ(DCardGetI2CSpeeds(3), nullptr);
    EXPECT_EQ(DCardGetI2CSpeeds(0), nullptr);
}

TEST_F(BusTest, SpeedsRoundDownToAListedOne)
{
    const struct {
        int speed, code;
    } cases[] = {{100, 6}, {101, 6}, {4, 5},   {1000, 3}, {0, 5},   {-7, 5},  {5, 5},
                 {10, 1},  {66, 4},  {150, 7}, {266, 0},  {400, 2}, {533, 3}, {534, 3}};
    for (const auto& c : cases) {
        EXPECT_EQ(i2cSpeedCode(c.speed), c.code) << c.speed;
        uint8_t byte = 0;
        ASSERT_EQ(DCardI2CTransmit(1, c.speed, kDecoder, 0x40, &byte, 1), 1);
        EXPECT_EQ(harness::sent<I2CTransferRequest>().back().speedCode, uint32_t(c.code)) << c.speed;
    }
}

TEST_F(BusTest, TransfersCarryUpTo256Bytes)
{
    std::vector<uint8_t> data(257, 0x11);
    EXPECT_EQ(DCardI2CTransmit(1, 100, kDecoder, 0, data.data(), 257), 0);
    EXPECT_EQ(DCardI2CTransmit(1, 100, kDecoder, 0, data.data(), -1), 0);
    EXPECT_EQ(DCardI2CReceive(1, 100, kDecoder, 0, data.data(), 257), 0);
    EXPECT_EQ(DCardI2CTransmit(1, 100, kDecoder, 0, nullptr, 4), 0);
    EXPECT_EQ(DCardI2CReceive(1, 100, kDecoder, 0, nullptr, 4), 0);
    EXPECT_EQ(harness::sentCount(driver::I2CTransfer), 0u);
    EXPECT_EQ(DCardI2CTransmit(1, 100, kDecoder, 0, data.data(), 256), 1);
    EXPECT_EQ(DCardI2CTransmit(1, 100, kDecoder, 0, nullptr, 0), 1);
    auto sent = harness::sent<I2CTransferRequest>();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].direction, 1u);
    EXPECT_EQ(sent[0].count, 256);
    EXPECT_EQ(sent[0].data[255], 0x11);
    EXPECT_EQ(sent[0].address, uint32_t(kDecoder));
}

TEST_F(BusTest, DecoderSubAddressesAreItsRegisters)
{
    const uint8_t bytes[3] = {0x55, 0x66, 0x77};
    ASSERT_EQ(DCardI2CTransmit(1, 400, kDecoder, 0x19, bytes, 3), 1);
    int value = 0;
    ASSERT_EQ(DCardGetStringReg(1, 0, "BRIG", &value), 1);
    EXPECT_EQ(value, 0x55);
    ASSERT_EQ(DCardSetReg(1, 0, 0x21A, 0x99), 1);
    uint8_t back[4] = {};
    ASSERT_EQ(DCardI2CReceive(1, 400, kDecoder | 1, 0x19, back, 4), 1);
    EXPECT_EQ(back[0], 0x55);
    EXPECT_EQ(back[1], 0x99);
    EXPECT_EQ(back[2], 0x77);
    // The address byte's upper bits beyond 8 are not the card's business.
    ASSERT_EQ(DCardI2CReceive(1, 400, 0x100 | kDecoder, 0x19, back, 1), 1);
    EXPECT_EQ(harness::sent<I2CTransferRequest>().back().address, uint32_t(kDecoder));
}

TEST_F(BusTest, SilentDevicesFail)
{
    uint8_t byte = 0;
    EXPECT_EQ(DCardI2CTransmit(1, 100, 0x52, 0, &byte, 1), 0);
    sim::card(0).nackAddress(kDecoder);
    EXPECT_EQ(DCardI2CReceive(1, 100, kDecoder, 0, &byte, 1), 0);
}

TEST_F(BusTest, ReceiveInTestModeZeroesTheBuffer)
{
    harness::closeAllCards();
    harness::writeIni("Debug", 1);
    harness::writeIni("DisplayDialog", 0);
    ASSERT_EQ(DCardInit(0), 1);
    std::vector<uint8_t> buffer(64, 0xEE);
    EXPECT_EQ(DCardI2CReceive(1, 100, kDecoder, 0, buffer.data(), 40), 1);
    for (int i = 0; i < 40; ++i)
        EXPECT_EQ(buffer[size_t(i)], 0) << i;
    EXPECT_EQ(buffer[40], 0xEE);
}

TEST_F(BusTest, CommandWordsComeBackWithTheBytesRead)
{
    sim::card(0).setExpanderInputs(0x6);
    uint32_t words[4] = {0x30000 | kExpander, 0x100F3, 0x30001 | kExpander, 0x10000};
    ASSERT_EQ(DCardI2CCommand(1, 100, words, 4), 1);
    EXPECT_EQ(words[0], 0x30070u);
    EXPECT_EQ(words[3], 0x10063u) << "inputs 6 over outputs 3";
    EXPECT_EQ(sim::card(0).expanderLatch(), 0xF3);
}

TEST_F(BusTest, CommandWordsComeBackAlsoAfterAFailure)
{
    sim::card(0).setExpanderInputs(0xA);
    // Read the expander, then address a device that does not answer.
    uint32_t words[4] = {0x30001 | kExpander, 0x00000, 0x30052, 0x10000};
    EXPECT_EQ(DCardI2CCommand(1, 100, words, 4), 0);
    EXPECT_EQ(words[1] & 0xF0, 0xA0u) << "the byte read before the failure";
}

TEST_F(BusTest, CommandLimitsAndEmptySequences)
{
    std::vector<uint32_t> words(257, 0x30000 | kExpander);
    EXPECT_EQ(DCardI2CCommand(1, 100, words.data(), 257), 0);
    EXPECT_EQ(harness::sentCount(driver::I2CCommand), 0u);
    EXPECT_EQ(DCardI2CCommand(1, 100, nullptr, 0), 1);
    auto sent = harness::sent<I2CCommandRequest>();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].count, 0);
    EXPECT_EQ(sent[0].speedCode, 6u);
}

TEST_F(BusTest, ANegativeCommandCountGoesToTheDriverWhichRefusesIt)
{
    uint32_t words[1] = {0x30000 | kExpander};
    for (int count : {-1, INT_MIN}) {
        SCOPED_TRACE(count);
        sim::card(0).clearRequests();
        EXPECT_EQ(DCardI2CCommand(1, 100, words, count), 0);
        auto sent = harness::sent<I2CCommandRequest>();
        ASSERT_EQ(sent.size(), 1u);
        EXPECT_EQ(sent[0].count, count);
        EXPECT_EQ(words[0], 0x30000u | kExpander) << "nothing copied back";
    }
}

TEST_F(BusTest, CommandInTestModeLeavesTheWords)
{
    harness::closeAllCards();
    harness::writeIni("Debug", 1);
    harness::writeIni("DisplayDialog", 0);
    ASSERT_EQ(DCardInit(0), 1);
    uint32_t words[2] = {0x30001 | kExpander, 0x10000};
    EXPECT_EQ(DCardI2CCommand(1, 100, words, 2), 1);
    EXPECT_EQ(words[0], 0x30071u);
    EXPECT_EQ(words[1], 0x10000u);
}

} // namespace
