// Camera signal, driver parameters, memory configuration, output data, the
// port expander and its probe at open, and the camera records.
#include <cstring>
#include <vector>

#include <saa7146/dcard.h>

#include "api/card_table.h"
#include "device_files.h"
#include "support/harness.h"
#include "support/requests.h"

namespace {

using driver::I2CCommandRequest;
using driver::MemoryConfigRequest;
using driver::OutputRequest;

class ControlsTest : public CardTest {
protected:
    void open(const sim::CardSettings& settings)
    {
        harness::closeAllCards();
        sim::card(0).configure(settings);
        ASSERT_EQ(DCardInit(0), 1);
        sim::card(0).clearRequests();
    }

    void open() { open(sim::card(0).settings()); }

    sim::CardSettings settings() { return sim::card(0).settings(); }
    DigitCard& card() { return cardTable().cards[0]; }

    void openInTestMode()
    {
        harness::closeAllCards();
        harness::writeIni("Debug", 1);
        harness::writeIni("DisplayDialog", 0);
        ASSERT_EQ(DCardInit(0), 1);
    }

    static std::vector<uint32_t> firstWords(const std::vector<I2CCommandRequest>& sent)
    {
        std::vector<uint32_t> words;
        for (const auto& request : sent)
            words.push_back(request.words[0]);
        return words;
    }
};

TEST_F(ControlsTest, CameraSignalGoesToItsCamera)
{
    open();
    ASSERT_EQ(DCardSetCameraSignal(1, 2, 4), 1);
    EXPECT_EQ(sim::card(0).signalType(2), 4);
    auto sent = harness::sent<driver::SetCameraSignalRequest>();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].camera, 3);
    EXPECT_EQ(sent[0].signalType, 4);
    EXPECT_EQ(sent[0].zero, 0u);
}

TEST_F(ControlsTest, DriverParametersPerCamera)
{
    open();
    ASSERT_EQ(DCardSetDriverParam(1, 1, 7, 0x1234), 1);
    int value = 0;
    ASSERT_EQ(DCardGetDriverParam(1, 1, 7, &value), 1);
    EXPECT_EQ(value, 0x1234);
    ASSERT_EQ(DCardGetDriverParam(1, 0, 7, &value), 1);
    EXPECT_EQ(value, 0);
    ASSERT_EQ(DCardGetDriverParam(1, 0, 20, &value), 1);
    EXPECT_EQ(value, 0x10302) << "the board id";
    size_t before = sim::card(0).requests().size();
    EXPECT_EQ(DCardGetDriverParam(1, 0, 20, nullptr), 0);
    EXPECT_EQ(sim::card(0).requests().size(), before) << "refused before sending";
}

TEST_F(ControlsTest, DriverParametersInTestMode)
{
    openInTestMode();
    int value = 99;
    EXPECT_EQ(DCardGetDriverParam(1, 0, 20, &value), 1);
    EXPECT_EQ(value, 0);
    EXPECT_EQ(DCardGetDriverParam(1, 0, 20, nullptr), 1);
    EXPECT_EQ(DCardSetDriverParam(1, 0, 5, 1), 1);
}

TEST_F(ControlsTest, MemoryConfigurationHonoursTheSizeWord)
{
    sim::CardSettings s = settings();
    s.captureOffset = 0x1000;
    s.maskOffset = 0x2000;
    s.outputOffset = 0x3000;
    s.boardType = 0x200;
    s.extraInfo = 7;
    open(s);
    EXPECT_EQ(card().memoryConfig.boardType, 0x200u) << "read at open";

    uint32_t raw[8];
    memset(raw, 0xEE, sizeof(raw));
    raw[0] = 8;
    ASSERT_EQ(DCardGetMemoryConfig(1, reinterpret_cast<DCardMemoryConfig*>(raw)), 1);
    EXPECT_EQ(raw[0], 24u);
    EXPECT_EQ(raw[1], 0x1000u);
    EXPECT_EQ(raw[2], 0xEEEEEEEEu);

    memset(raw, 0xEE, sizeof(raw));
    raw[0] = 100;
    ASSERT_EQ(DCardGetMemoryConfig(1, reinterpret_cast<DCardMemoryConfig*>(raw)), 1);
    EXPECT_EQ(raw[0], 24u);
    EXPECT_EQ(raw[4], 0x200u);
    EXPECT_EQ(raw[5], 7u);
    EXPECT_EQ(raw[6], 0xEEEEEEEEu);

    // Size 0: nothing copied, but the card's copy is refreshed.
    card().memoryConfig = DCardMemoryConfig{};
    memset(raw, 0xEE, sizeof(raw));
    raw[0] = 0;
    ASSERT_EQ(DCardGetMemoryConfig(1, reinterpret_cast<DCardMemoryConfig*>(raw)), 1);
    EXPECT_EQ(raw[0], 0u);
    EXPECT_EQ(raw[1], 0xEEEEEEEEu);
    EXPECT_EQ(card().memoryConfig.captureOffset, 0x1000u);
    EXPECT_EQ(DCardGetMemoryConfig(1, nullptr), 0);
}

TEST_F(ControlsTest, SettingTheMemoryConfiguration)
{
    open();
    DCardMemoryConfig config = {16, 0x100, 0x200, 0x300, 0x200, 9};
    ASSERT_EQ(DCardSetMemoryConfig(1, &config), 1);
    auto sent = harness::sent<MemoryConfigRequest>();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].operation, 1u);
    EXPECT_EQ(sent[0].captureOffset, 0x100u);
    EXPECT_EQ(sent[0].maskOffset, 0x200u);
    EXPECT_EQ(sent[0].outputOffset, 0x300u);
    EXPECT_EQ(card().memoryConfig.size, 16u);
    EXPECT_EQ(card().memoryConfig.outputOffset, 0x300u);
    EXPECT_EQ(card().memoryConfig.boardType, 0u) << "beyond the caller's 16 bytes";
    EXPECT_EQ(card().memoryConfig.extraInfo, 0u);
    EXPECT_EQ(sim::card(0).memoryConfig().outputOffset, 0x300u);

    // A refused configuration is still the card's copy.
    DCardMemoryConfig refused = {24, 0x500000, 0, 0, 0x200, 3};
    EXPECT_EQ(DCardSetMemoryConfig(1, &refused), 0);
    EXPECT_EQ(card().memoryConfig.captureOffset, 0x500000u);
    EXPECT_EQ(card().memoryConfig.boardType, 0x200u);
    EXPECT_EQ(sim::card(0).memoryConfig().captureOffset, 0x100u);
    EXPECT_EQ(DCardSetMemoryConfig(1, nullptr), 0);
}

TEST_F(ControlsTest, MemoryConfigurationInTestMode)
{
    openInTestMode();
    DCardMemoryConfig config;
    config.size = 24;
    ASSERT_EQ(DCardGetMemoryConfig(1, &config), 1);
    EXPECT_EQ(config.captureOffset, 0u);
    EXPECT_EQ(config.boardType, 0x101u);
    EXPECT_EQ(config.extraInfo, 2u);
    DCardMemoryConfig set = {24, 1, 2, 3, 4, 5};
    EXPECT_EQ(DCardSetMemoryConfig(1, &set), 1);
}

TEST_F(ControlsTest, OutputDataMustFitBehindTheOutputOffset)
{
    sim::CardSettings s = settings();
    s.outputOffset = 0x100000;
    open(s);
    std::vector<uint8_t> data(0x380001, 0x5A);
    EXPECT_EQ(DCardOutput(1, 2, 1, 2, 3, data.data(), 0x380001), 0);
    EXPECT_EQ(harness::sentCount(driver::Output), 0u);

    data[0] = 0x11;
    ASSERT_EQ(DCardOutput(1, 2, 1, 2, 3, data.data(), 0x380000), 1);
    auto seen = sim::card(0).outputs();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].mode, 2);
    EXPECT_EQ(seen[0].params[2], 3);
    EXPECT_EQ(seen[0].length, 0x380000u);
    EXPECT_ADDRESS_WORD(seen[0].data, data.data());
    ASSERT_EQ(seen[0].staged.size(), 0x380000u);
    EXPECT_EQ(seen[0].staged[0], 0x11);
    EXPECT_EQ(seen[0].staged.back(), 0x5A);
}

TEST_F(ControlsTest, OutputModeZeroCarriesNothingElse)
{
    open();
    uint8_t data[4] = {1, 2, 3, 4};
    ASSERT_EQ(DCardOutput(1, 0, 7, 8, 9, data, 4), 1);
    auto sent = harness::sent<OutputRequest>();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].mode, 0);
    EXPECT_EQ(sent[0].param1 | sent[0].param2 | sent[0].param3, 0);
    EXPECT_EQ(sent[0].data, 0u);
    EXPECT_EQ(sent[0].length, 0u);
    EXPECT_TRUE(sim::card(0).outputs()[0].staged.empty());
}

TEST_F(ControlsTest, OutputNeverCopiesIntoUnmappedMemory)
{
    sim::CardSettings s = settings();
    s.mapFrameMemory = false;
    open(s);
    uint8_t data[4] = {1, 2, 3, 4};
    EXPECT_EQ(DCardOutput(1, 1, 0, 0, 0, data, 4), 0);
    EXPECT_EQ(harness::sentCount(driver::Output), 0u);
    EXPECT_EQ(DCardOutput(1, 1, 0, 0, 0, nullptr, 4), 1) << "no data, nothing to copy";
    // Digitizing finds no frame memory to copy from either.
    std::vector<uint8_t> frame(110592);
    uint32_t bytes = 0;
    EXPECT_EQ(DCardDigit(1, 0, 4, frame.data(), frame.size(), &bytes, 0), 0);
}

TEST_F(ControlsTest, OutputUnderTheOlderFamilyHandsOverTheAddress)
{
    SKIP_WITHOUT_OLDER_FAMILY();
    harness::closeAllCards();
    harness::setOs("Windows 95");
    ASSERT_EQ(DCardInit(0), 1);
    sim::card(0).clearRequests();
    uint8_t data[4] = {1, 2, 3, 4};
    ASSERT_EQ(DCardOutput(1, 1, 0, 0, 0, data, 0x7FFFFFFF), 1);
    auto sent = harness::sent<OutputRequest>();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].data, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(data)));
}

TEST_F(ControlsTest, OutputInTestModeSendsNothing)
{
    openInTestMode();
    uint8_t data[4] = {};
    EXPECT_EQ(DCardOutput(1, 1, 0, 0, 0, data, 4), 1);
    EXPECT_EQ(sim::deviceCalls().controls, 0);
}

TEST_F(ControlsTest, ExpanderOutputsAndInputs)
{
    open();
    ASSERT_EQ(DCardSetOutputs(1, 0x1F), 1);
    auto sent = harness::sent<I2CCommandRequest>();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].count, 2);
    EXPECT_EQ(sent[0].words[0], 0x30070u);
    EXPECT_EQ(sent[0].words[1], 0x100FFu);
    EXPECT_EQ(sent[0].speedCode, 6u);

    ASSERT_EQ(DCardSetOutputs(1, 5), 1);
    sim::card(0).setExpanderInputs(0xA);
    int inputs = -1;
    ASSERT_EQ(DCardGetInputs(1, &inputs), 1);
    EXPECT_EQ(inputs, 10) << "the port reads 0xA5";
    EXPECT_EQ(harness::sent<I2CCommandRequest>().back().words[0], 0x30071u);

    sim::card(0).nackAddress(0x70);
    inputs = -1;
    EXPECT_EQ(DCardGetInputs(1, &inputs), 0);
    EXPECT_EQ(inputs, 0) << "set to 0 first, also on failure";
    size_t before = sim::card(0).requests().size();
    EXPECT_EQ(DCardGetInputs(1, nullptr), 0);
    EXPECT_EQ(sim::card(0).requests().size(), before);
}

TEST_F(ControlsTest, ExpanderInputsInTestModeReadZero)
{
    openInTestMode();
    int inputs = -1;
    EXPECT_EQ(DCardGetInputs(1, &inputs), 1);
    EXPECT_EQ(inputs, 0);
}

TEST_F(ControlsTest, ProbeFallsBackWhenTheExpanderIsNotAt0x70)
{
    sim::CardSettings s = settings();
    s.boardId = 0x00010302;
    s.expanderAddress = 0x40;
    sim::card(0).configure(s);
    ASSERT_EQ(DCardInit(0), 1);
    EXPECT_EQ(card().ioExpanderAddress, 0x40);
    auto probe = harness::sent<I2CCommandRequest>();
    EXPECT_EQ(firstWords(probe), (std::vector<uint32_t>{0x30070, 0x30071, 0x30071, 0x30071}));
    EXPECT_EQ(probe[0].words[1], 0x100F0u) << "outputs written as 0";
    sim::card(0).clearRequests();
    ASSERT_EQ(DCardSetOutputs(1, 3), 1);
    EXPECT_EQ(harness::sent<I2CCommandRequest>()[0].words[0], 0x30040u);
}

TEST_F(ControlsTest, ProbeStopsAtTheFirstAnswer)
{
    sim::CardSettings s = settings();
    s.boardId = 0xABCD0304;
    sim::card(0).configure(s);
    ASSERT_EQ(DCardInit(0), 1);
    EXPECT_EQ(card().ioExpanderAddress, 0x70);
    EXPECT_EQ(firstWords(harness::sent<I2CCommandRequest>()),
              (std::vector<uint32_t>{0x30070, 0x30071}));
}

TEST_F(ControlsTest, OnlyBoards0x300To0x304AreProbed)
{
    for (uint32_t board : {0x00000305u, 0x000002FFu, 0x03020000u}) {
        sim::CardSettings s = settings();
        s.boardId = board;
        s.expanderAddress = 0;
        harness::closeAllCards();
        sim::card(0).configure(s);
        ASSERT_EQ(DCardInit(0), 1) << board;
        EXPECT_EQ(harness::sentCount(driver::I2CCommand), 0u) << board;
        EXPECT_EQ(card().ioExpanderAddress, 0x70);
    }
}

TEST_F(ControlsTest, OpenFailsWhenItsReadsFail)
{
    for (driver::Code code : {driver::MemoryConfig, driver::GetDriverParam}) {
        harness::resetAll();
        sim::Fault fault;
        fault.code = code;
        sim::card(0).injectFault(fault);
        EXPECT_EQ(DCardInit(0), 0) << code;
        EXPECT_EQ(sim::openDeviceCount(), 0) << code;
        EXPECT_EQ(DCardInit(0), 1) << code;
    }
}

class CameraRecordTest : public ControlsTest {
protected:
    void SetUp() override
    {
        ControlsTest::SetUp();
        DCardFunctions functions;
        functions.size = sizeof(functions);
        ASSERT_EQ(DCardGetFunctions(&functions), 1);
        getRecord = functions.DCardGetCameraRecord;
        ASSERT_NE(getRecord, nullptr);
    }

    DCardGetCameraRecordFn getRecord = nullptr;
};

TEST_F(CameraRecordTest, NamesComeFromTheDriver)
{
    open();
    sim::card(0).setCameraName(2, "Gate");
    DCardCameraRecord record;
    memset(&record, 0xEE, sizeof(record));
    record.size = 40;
    ASSERT_EQ(getRecord(1, 2, &record), 1);
    EXPECT_STREQ(record.name, "Gate");
    EXPECT_EQ(record.size, 40u);
    EXPECT_EQ(harness::sent<driver::CameraRecordRequest>()[0].camera, 3);
    EXPECT_EQ(getRecord(1, 2, nullptr), 0);
    EXPECT_EQ(getRecord(2, 2, &record), 0);
}

TEST_F(CameraRecordTest, TheSizeWordBoundsTheExchange)
{
    open();
    uint8_t raw[64];
    memset(raw, 0xEE, sizeof(raw));
    uint32_t size = 0;
    memcpy(raw, &size, 4);
    ASSERT_EQ(getRecord(1, 0, reinterpret_cast<DCardCameraRecord*>(raw)), 1);
    EXPECT_EQ(raw[4], 0xEE);
    memcpy(&size, raw, 4);
    EXPECT_EQ(size, 0u);

    for (uint32_t large : {48u, 0x80000000u}) {
        memset(raw, 0xEE, sizeof(raw));
        memcpy(raw, &large, 4);
        ASSERT_EQ(getRecord(1, 0, reinterpret_cast<DCardCameraRecord*>(raw)), 1);
        EXPECT_STREQ(reinterpret_cast<char*>(raw + 8), "Camera 1");
        EXPECT_EQ(raw[40], 0xEE) << "nothing beyond 40 bytes";
    }
    sim::Fault fault;
    fault.code = driver::CameraRecord;
    sim::card(0).injectFault(fault);
    memset(raw, 0xEE, sizeof(raw));
    size = 40;
    memcpy(raw, &size, 4);
    EXPECT_EQ(getRecord(1, 0, reinterpret_cast<DCardCameraRecord*>(raw)), 0);
    EXPECT_EQ(raw[8], 0xEE) << "untouched on failure";
}

TEST_F(CameraRecordTest, TestModeGivesTheRecordBack)
{
    openInTestMode();
    DCardCameraRecord record;
    memset(&record, 0, sizeof(record));
    record.size = 40;
    ASSERT_EQ(getRecord(1, 0, &record), 1);
    EXPECT_STREQ(record.name, "");
    EXPECT_EQ(record.size, 40u);
}

} // namespace
