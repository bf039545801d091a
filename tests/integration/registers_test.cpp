// Register descriptors and register access against the virtual card.
#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include <saa7146/dcard.h>

#include "api/card_table.h"
#include "card/switches.h"
#include "device_files.h"
#include "regs/reg_tables.h"
#include "support/harness.h"
#include "support/log.h"
#include "support/requests.h"

namespace {

using driver::GetRegRequest;
using driver::SetRegRequest;

class RegistersTest : public CardTest {
protected:
    void SetUp() override
    {
        CardTest::SetUp();
        resetDescriptorTables();
    }

    void openWithDecoder(int decoderType, int card = 0)
    {
        sim::CardSettings settings = sim::card(card).settings();
        settings.decoderType = decoderType;
        sim::card(card).configure(settings);
        ASSERT_EQ(DCardInit(card), card + 1);
        sim::card(card).clearRequests();
    }

    static DCardRegInfo at(int handle, int index)
    {
        DCardRegInfo info;
        memset(&info, 0xEE, sizeof(info));
        info.size = sizeof(info);
        EXPECT_EQ(DCardGetRegInfoEx(handle, index, &info), 1) << index;
        return info;
    }

    static int viewLength(int handle)
    {
        DCardRegInfo info;
        int n = 0;
        while (n < 1000 && DCardGetRegInfoEx(handle, n, &info))
            ++n;
        return n;
    }

    uint32_t registerOf(int camera, uint32_t reg)
    {
        uint32_t value = 0;
        EXPECT_TRUE(sim::card(0).readRegister(camera, reg, value));
        return value;
    }
};

TEST_F(RegistersTest, BridgeTableAsStored)
{
    const char* names[10] = {"YstartHPS", "Brightness", "Invert", "Contrast", "Saturation",
                             "VL",        "VU",         "UL",     "UU",       "Xstart"};
    const uint32_t regNums[10] = {0x0001005C, 0x00020070, 0x00030070, 0x00040070, 0x00060070,
                                  0x00070074, 0x00080074, 0x00090074, 0x000A0074, 0x0018006C};
    for (int i = 0; i < 10; ++i) {
        DCardRegInfo info;
        ASSERT_EQ(DCardGetRegInfo(i, &info), 1);
        EXPECT_STREQ(info.name, names[i]);
        EXPECT_EQ(info.regNum, regNums[i]) << names[i];
        EXPECT_EQ(info.size, 0u);
        EXPECT_EQ(info.scale, 1.0);
        EXPECT_STREQ(info.unit, "");
    }
    DCardRegInfo info;
    memset(&info, 0xEE, sizeof(info));
    EXPECT_EQ(DCardGetRegInfo(10, &info), 0);
    EXPECT_EQ(DCardGetRegInfo(-1, &info), 0);
    EXPECT_EQ(info.size, 0xEEEEEEEEu) << "a refused index writes nothing";
    EXPECT_EQ(DCardGetRegInfo(0, nullptr), 0);

    ASSERT_EQ(DCardGetRegInfo(1, &info), 1);
    EXPECT_STREQ(info.label, "(7146) Brightness (BRIG)");
    EXPECT_EQ(info.shift, 24);
    EXPECT_EQ(info.width, 8);
    ASSERT_EQ(DCardGetRegInfo(5, &info), 1);
    EXPECT_EQ(info.isSigned, 1);
    EXPECT_EQ(info.minValue, 0x80) << "stored as the pattern 0x80 until an open";
    ASSERT_EQ(DCardGetRegInfo(2, &info), 1);
    EXPECT_EQ(info.isBoolean, 1);
    ASSERT_EQ(DCardGetRegInfo(9, &info), 1);
    EXPECT_EQ(info.defValue, 1);
    EXPECT_EQ(info.maxValue, 4095);
}

TEST_F(RegistersTest, Saa7110ViewAfterAnOpen)
{
    openWithDecoder(2);
    EXPECT_EQ(viewLength(1), 27);
    const char* names[17] = {"Hue",   "PLSI",  "CHCV",  "SATN",    "CONT",  "BRIG",
                             "CLL21", "CLL22", "CLL31", "CLL32",   "VTRMODE", "GAIN2",
                             "GAIN3", "GAIN4", "RedGain", "GreenGain", "BlueGain"};
    const uint32_t regs[17] = {0x207, 0x20A, 0x211, 0x212, 0x213, 0x219, 0x223, 0x224, 0x225,
                               0x226, 0x20D, 0x227, 0x22A, 0x22B, 0x2B4, 0x2B5, 0x2B6};
    for (int i = 0; i < 17; ++i) {
        DCardRegInfo info = at(1, 10 + i);
        EXPECT_STREQ(info.name, names[i]);
        EXPECT_EQ(info.regNum, uint32_t(11 + i) << 16 | regs[i]) << names[i];
    }
    EXPECT_EQ(at(1, 26).regNum, 0x001B02B6u);
    DCardRegInfo hue = at(1, 10);
    EXPECT_STREQ(hue.unit, "\xB0");
    EXPECT_EQ(hue.scale, 1.40629);
    EXPECT_EQ(hue.minValue, -128);
    EXPECT_EQ(at(1, 13).scale, 0.01562);
    EXPECT_EQ(at(1, 20).isBoolean, 1);
    EXPECT_STREQ(at(1, 24).label, "Pellam Red gain");
    EXPECT_EQ(at(1, 9).regNum, 0x000A006Cu) << "Xstart renumbered";
    EXPECT_EQ(at(1, 5).minValue, -128) << "VL extended";
    EXPECT_EQ(at(1, 5).maxValue, 127);
    DCardRegInfo info;
    EXPECT_EQ(DCardGetRegInfoEx(1, 27, &info), 0);
    EXPECT_EQ(DCardGetRegInfoEx(1, -1, &info), 0);
    EXPECT_EQ(DCardGetRegInfoEx(1, 0, nullptr), 0);
    EXPECT_EQ(DCardGetRegInfoEx(2, 0, &info), 0);
    // The bridge-only view follows the renumbering too.
    ASSERT_EQ(DCardGetRegInfo(1, &info), 1);
    EXPECT_EQ(info.regNum, 0x00020070u);
    ASSERT_EQ(DCardGetRegInfo(9, &info), 1);
    EXPECT_EQ(info.regNum, 0x000A006Cu);
}

TEST_F(RegistersTest, Ks0127bViewAfterAnOpen)
{
    openWithDecoder(3);
    EXPECT_EQ(viewLength(1), 17);
    DCardRegInfo first = at(1, 10);
    EXPECT_STREQ(first.name, "CON0127B");
    EXPECT_EQ(first.regNum, 0x000B0210u);
    EXPECT_EQ(first.minValue, -128);
    DCardRegInfo last = at(1, 16);
    EXPECT_STREQ(last.name, "HAVELO0127B");
    EXPECT_EQ(last.regNum, 0x00110206u);
    EXPECT_EQ(last.defValue, 0x10);
    int value = 0;
    EXPECT_EQ(DCardGetStringReg(1, 0, "BRIG", &value), 0) << "a SAA7110 name";
    EXPECT_EQ(DCardGetStringReg(1, 0, "AGC0127B", &value), 1);
    EXPECT_EQ(value, 0x60);
}

TEST_F(RegistersTest, OtherDecodersSeeTheBridgeOnly)
{
    openWithDecoder(7);
    EXPECT_EQ(viewLength(1), 10);
    int value = 0;
    EXPECT_EQ(DCardGetStringReg(1, 0, "Hue", &value), 0);
}

TEST_F(RegistersTest, RefreshReadsTheCardsDefaults)
{
    sim::card(0).clearRequests();
    openWithDecoder(2);
    EXPECT_EQ(at(1, 1).defValue, 0x80) << "Brightness of 0x80400040";
    EXPECT_EQ(at(1, 3).defValue, 0x40);
    EXPECT_EQ(at(1, 5).defValue, -128) << "VL of 0x807F807F, extended";
    EXPECT_EQ(at(1, 6).defValue, 127);
    EXPECT_EQ(at(1, 9).defValue, 96);
    EXPECT_EQ(at(1, 24).defValue, 152);
    EXPECT_EQ(at(1, 15).defValue, 0x80);

    harness::closeAllCards();
    sim::card(0).clearRequests();
    ASSERT_EQ(DCardInit(0), 1);
    auto reads = harness::sent<GetRegRequest>();
    ASSERT_EQ(reads.size(), 27u);
    for (const GetRegRequest& read : reads) {
        EXPECT_EQ(read.camera, 0);
        EXPECT_EQ(read.mode, 1u);
        EXPECT_EQ(read.value, 0u);
    }
    EXPECT_EQ(reads[0].regNum, 0x05Cu);
    EXPECT_EQ(reads[26].regNum, 0x2B6u);
}

TEST_F(RegistersTest, TestModeDefaultsAreZero)
{
    harness::writeIni("Debug", 1);
    harness::writeIni("DisplayDialog", 0);
    ASSERT_EQ(DCardInit(0), 1);
    for (int i = 0; i < 27; ++i)
        EXPECT_EQ(at(1, i).defValue, 0) << i;
    int value = -1;
    EXPECT_EQ(DCardGetReg(1, 0, 0x70, &value), 1);
    EXPECT_EQ(value, 0);
}

TEST_F(RegistersTest, FailedRefreshFailsTheOpen)
{
    sim::Fault fault;
    fault.code = driver::GetReg;
    fault.reg = 0x219;
    sim::card(0).injectFault(fault);
    EXPECT_EQ(DCardInit(0), 0);
    EXPECT_EQ(sim::openDeviceCount(), 0);
    EXPECT_EQ(DCardInit(0), 1);
}

TEST_F(RegistersTest, RawRegistersPassStraightThrough)
{
    openWithDecoder(2);
    ASSERT_EQ(DCardSetReg(1, 0, 0x70, 0x13572468), 1);
    EXPECT_EQ(harness::sentCount(driver::GetReg), 0u);
    auto writes = harness::sent<SetRegRequest>();
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].camera, 1);
    EXPECT_EQ(writes[0].regNum, 0x70u);
    EXPECT_EQ(writes[0].value, 0x13572468u);
    int value = 0;
    ASSERT_EQ(DCardGetReg(1, 0, 0x70, &value), 1);
    EXPECT_EQ(static_cast<uint32_t>(value), 0x13572468u);
    // Each camera has its own bridge registers.
    ASSERT_EQ(DCardGetReg(1, 3, 0x70, &value), 1);
    EXPECT_EQ(static_cast<uint32_t>(value), 0x80400040u);
    EXPECT_EQ(DCardGetReg(1, 0, 0x70, nullptr), 0);
    EXPECT_EQ(DCardSetReg(1, 0, 0x71, 1), 0) << "no such register on the card";
}

TEST_F(RegistersTest, FieldsAreReadModifiedAndWritten)
{
    openWithDecoder(2);
    ASSERT_TRUE(sim::card(0).writeRegister(0, 0x70, 0x12345678));
    ASSERT_EQ(DCardSetReg(1, 0, 0x00020070, 0x1FF), 1);
    EXPECT_EQ(registerOf(0, 0x70), 0xFF345678u);
    auto reads = harness::sent<GetRegRequest>();
    auto writes = harness::sent<SetRegRequest>();
    ASSERT_EQ(reads.size(), 1u);
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(reads[0].mode, 0u);
    EXPECT_EQ(writes[0].value, 0xFF345678u);

    ASSERT_EQ(DCardSetStringReg(1, 0, "VL", -1), 1);
    EXPECT_EQ(registerOf(0, 0x74) >> 24, 0xFFu);
    int value = 0;
    ASSERT_EQ(DCardGetReg(1, 0, 0x00060074, &value), 1) << "VL, position 5, renumbered 6";
    EXPECT_EQ(value, -1);
    ASSERT_TRUE(sim::card(0).writeRegister(0, 0x74, 0x80000000));
    ASSERT_EQ(DCardGetStringReg(1, 0, "VL", &value), 1);
    EXPECT_EQ(value, -128);

    ASSERT_TRUE(sim::card(0).writeRegister(0, 0x70, 0x00800000));
    ASSERT_EQ(DCardGetStringReg(1, 0, "Invert", &value), 1);
    EXPECT_EQ(value, 1) << "a one-bit field is unsigned";

    ASSERT_EQ(DCardSetStringReg(1, 0, "BRIG", 300), 1);
    EXPECT_EQ(registerOf(0, 0x219), 44u) << "300 AND 0xFF, no range check";
    ASSERT_EQ(DCardGetStringReg(1, 0, "BRIG", &value), 1);
    EXPECT_EQ(value, 44);
}

TEST_F(RegistersTest, UnknownFieldsSendNothing)
{
    openWithDecoder(2);
    int value = 0;
    EXPECT_EQ(DCardSetReg(1, 0, 0x00FF0070, 5), 0);
    EXPECT_EQ(DCardGetReg(1, 0, 0x00FF0070, &value), 0);
    EXPECT_EQ(DCardSetStringReg(1, 0, "brightness", 5), 0) << "names compare case-sensitively";
    EXPECT_EQ(DCardSetStringReg(1, 0, "(7146) Brightness (BRIG)", 5), 0) << "labels are no names";
    EXPECT_EQ(DCardSetStringReg(1, 0, nullptr, 5), 0);
    EXPECT_EQ(DCardGetStringReg(1, 0, "Brightness", nullptr), 0);
    EXPECT_EQ(DCardSetReg(1, 0, 0x0018006C, 5), 0) << "the stored identifier is gone after an open";
    EXPECT_TRUE(sim::card(0).requests().empty());
    EXPECT_EQ(DCardSetStringReg(1, 0, "Brightness", 5), 1);
}

TEST_F(RegistersTest, FailedReadSendsNoWrite)
{
    openWithDecoder(2);
    sim::Fault fault;
    fault.code = driver::GetReg;
    sim::card(0).injectFault(fault);
    EXPECT_EQ(DCardSetStringReg(1, 0, "Contrast", 5), 0);
    EXPECT_EQ(harness::sentCount(driver::SetReg), 0u);
    int value = 1234;
    sim::card(0).injectFault(fault);
    EXPECT_EQ(DCardGetReg(1, 0, 0x00040070, &value), 0);
    EXPECT_EQ(value, 1234);
}

TEST_F(RegistersTest, LogLinesOfARegisterWrite)
{
    harness::writeIni("Log", 1);
    openWithDecoder(2);
    std::vector<std::string> lines;
    setLogSink([&](const std::string& line) { lines.push_back(line); });
    ASSERT_TRUE(sim::card(0).writeRegister(2, 0x70, 0x12345678));
    ASSERT_EQ(DCardSetStringReg(1, 2, "Brightness", 0xAB), 1);
    char card[16];
    snprintf(card, sizeof(card), "0x%08X", unsigned(reinterpret_cast<uintptr_t>(&cardTable().cards[0])));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], std::string("privGetReg: Card:") + card +
                            " Camera:2 RegNum:0x0070 Value:0x12345678");
    EXPECT_EQ(lines[1], std::string("privSetReg: Card:") + card +
                            " Camera:2 RegNum:0x0070 Value:0xAB345678");

    lines.clear();
    sim::Fault fault;
    fault.code = driver::GetReg;
    sim::card(0).injectFault(fault);
    EXPECT_EQ(DCardSetStringReg(1, 2, "Brightness", 1), 0);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], std::string("privGetReg: Card:") + card + " Camera:2 RegNum:0x0070 FAILED");
    setLogSink({});
}

TEST_F(RegistersTest, NoLogLinesWhenLoggingIsOff)
{
    openWithDecoder(2);
    std::vector<std::string> lines;
    setLogSink([&](const std::string& line) { lines.push_back(line); });
    ASSERT_EQ(DCardSetStringReg(1, 0, "Brightness", 1), 1);
    setLogSink({});
    EXPECT_TRUE(lines.empty());
}

// Readers copy rows while other threads open cards of both decoder types,
// which renumber the shared rows and rewrite their defaults: every copy is
// a whole row, its identifier and register number belonging to its name.
TEST_F(RegistersTest, ThreadsReadRowsWhileCardsOpen)
{
    harness::resetAll(4);
    for (int card = 0; card < 4; ++card) {
        sim::CardSettings settings = sim::card(card).settings();
        settings.decoderType = card % 2 ? 3 : 2;
        sim::card(card).configure(settings);
    }
    std::atomic<int> torn{0};
    std::vector<std::thread> threads;
    for (int card = 0; card < 2; ++card) {
        threads.emplace_back([card] {
            for (int round = 0; round < 20; ++round) {
                DCardInit(card);
                DCardExit(card + 1);
            }
        });
    }
    const uint32_t regs[10] = {0x5C, 0x70, 0x70, 0x70, 0x70, 0x74, 0x74, 0x74, 0x74, 0x6C};
    const uint32_t storedIds[10] = {1, 2, 3, 4, 6, 7, 8, 9, 10, 0x18};
    for (int reader = 0; reader < 2; ++reader) {
        threads.emplace_back([&] {
            for (int round = 0; round < 300; ++round) {
                for (int i = 0; i < 10; ++i) {
                    DCardRegInfo info;
                    if (!DCardGetRegInfo(i, &info))
                        ++torn;
                    uint32_t id = info.regNum >> 16;
                    bool whole = (info.regNum & 0xFFFF) == regs[i] &&
                                 (id == uint32_t(i + 1) || id == storedIds[i]) &&
                                 (!info.isSigned || info.minValue == 0x80 || info.minValue == -128);
                    if (!whole)
                        ++torn;
                }
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(torn.load(), 0);
}

} // namespace
