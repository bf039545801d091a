// Card slots and handles, the parameter record, the function table, the
// device names of both driver families, and the open sequence's failures.
#include <cstring>
#include <thread>
#include <vector>

#include <saa7146/dcard.h>

#include "api/card_table.h"
#include "device_files.h"
#include "support/harness.h"
#include "virtual_card.h"

namespace {

class CardTableTest : public CardTest {};

TEST_F(CardTableTest, CardNumbersOutsideTheTableAreRefused)
{
    harness::resetAll(10);
    EXPECT_EQ(DCardInit(-1), 0);
    EXPECT_EQ(DCardInit(10), 0);
    EXPECT_EQ(sim::deviceCalls().opens, 0);
    EXPECT_EQ(DCardInit(0), 1);
    EXPECT_EQ(DCardInit(9), 10);
}

TEST_F(CardTableTest, SecondOpenIsRefusedAndLeavesTheFirstWorking)
{
    ASSERT_EQ(DCardInit(0), 1);
    EXPECT_EQ(DCardInit(0), 0);
    EXPECT_EQ(sim::deviceCalls().opens, 1);
    int type = 0;
    EXPECT_EQ(DCardGetDecoderType(1, &type), 1);
    EXPECT_EQ(type, 2);
}

TEST_F(CardTableTest, HandlesThatNameNoOpenCardFailEverywhere)
{
    harness::resetAll(2);
    ASSERT_EQ(DCardInit(0), 1);
    ASSERT_EQ(DCardInit(1), 2);
    ASSERT_EQ(DCardExit(2), 1);
    // 0 and 11 are outside the table, 3 was never opened, 2 has been closed.
    for (int handle : {0, 11, 3, 2, -5}) {
        int type = -1;
        DCardParam param = {};
        param.size = sizeof(param);
        EXPECT_EQ(DCardGetDecoderType(handle, &type), 0) << handle;
        EXPECT_EQ(type, -1);
        EXPECT_EQ(DCardGetParamEx(handle, &param), 0) << handle;
        EXPECT_EQ(param.size, sizeof(param));
        EXPECT_EQ(DCardExit(handle), 0) << handle;
    }
}

TEST_F(CardTableTest, ExitTwiceAndReopen)
{
    ASSERT_EQ(DCardInit(0), 1);
    EXPECT_EQ(DCardExit(1), 1);
    EXPECT_EQ(DCardExit(1), 0);
    EXPECT_EQ(sim::openDeviceCount(), 0);
    EXPECT_EQ(DCardInit(0), 1);
    EXPECT_EQ(sim::openDeviceCount(), 1);
}

TEST_F(CardTableTest, NullPointersAreRefused)
{
    ASSERT_EQ(DCardInit(0), 1);
    EXPECT_EQ(DCardGetDecoderType(1, nullptr), 0);
    EXPECT_EQ(DCardGetParamEx(1, nullptr), 0);
    EXPECT_EQ(DCardGetParam(nullptr), 0);
    EXPECT_EQ(DCardGetFunctions(nullptr), 0);
}

TEST_F(CardTableTest, GetParamAnswersForCardZeroOnly)
{
    harness::resetAll(2);
    ASSERT_EQ(DCardInit(1), 2);
    DCardParam param = {};
    param.size = sizeof(param);
    EXPECT_EQ(DCardGetParam(&param), 0);
    ASSERT_EQ(DCardInit(0), 1);
    EXPECT_EQ(DCardGetParam(&param), 1);
    EXPECT_EQ(param.frameMemorySize, 0x480000u);
}

TEST_F(CardTableTest, ParameterRecordHonoursTheSizeWord)
{
    sim::CardSettings settings = sim::card(0).settings();
    settings.mapInfo0 = 0x11111111;
    settings.mapInfo3 = 0x33333333;
    sim::card(0).configure(settings);
    ASSERT_EQ(DCardInit(0), 1);

    uint8_t record[40];
    memset(record, 0xEE, sizeof(record));
    uint32_t size = 8;
    memcpy(record, &size, 4);
    ASSERT_EQ(DCardGetParamEx(1, reinterpret_cast<DCardParam*>(record)), 1);
    memcpy(&size, record, 4);
    EXPECT_EQ(size, 8u);
    uint32_t word;
    memcpy(&word, record + 4, 4);
    EXPECT_EQ(word, 0x11111111u);
    EXPECT_EQ(record[8], 0xEE) << "nothing past the size word's 8 bytes";

    memset(record, 0xEE, sizeof(record));
    size = 100;
    memcpy(record, &size, 4);
    ASSERT_EQ(DCardGetParamEx(1, reinterpret_cast<DCardParam*>(record)), 1);
    DCardParam param;
    memcpy(&param, record, sizeof(param));
    EXPECT_EQ(param.size, 22u);
    EXPECT_EQ(param.mapInfo0, 0x11111111u);
    EXPECT_EQ(param.frameMemory,
              static_cast<uint32_t>(reinterpret_cast<uintptr_t>(sim::card(0).frameMemory())));
    EXPECT_EQ(param.frameMemorySize, 0x480000u);
    EXPECT_EQ(param.version, 0x0101);
    uint32_t mapInfo3 = param.mapInfo3; // packed: not to be bound to a reference
    EXPECT_EQ(mapInfo3, 0x33333333u);
    EXPECT_EQ(record[22], 0xEE);

    memset(record, 0xEE, sizeof(record));
    size = 0;
    memcpy(record, &size, 4);
    ASSERT_EQ(DCardGetParamEx(1, reinterpret_cast<DCardParam*>(record)), 1);
    memcpy(&size, record, 4);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(record[4], 0xEE);
}

TEST_F(CardTableTest, FunctionTableHonoursTheSizeWord)
{
    // 128 bytes on 32 bits, 256 on 64: the same entries, pointers wider.
    constexpr uint32_t whole = sizeof(DCardFunctions);
    constexpr uint32_t first = offsetof(DCardFunctions, DCardInit);
    uint8_t raw[whole + 80];
    memset(raw, 0xEE, sizeof(raw));
    uint32_t size = whole + 72;
    memcpy(raw, &size, 4);
    ASSERT_EQ(DCardGetFunctions(reinterpret_cast<DCardFunctions*>(raw)), 1);
    memcpy(&size, raw, 4);
    EXPECT_EQ(size, whole + 72);
    DCardFunctions table;
    memcpy(&table, raw, sizeof(table));
    EXPECT_EQ(table.DCardInit, &DCardInit);
    EXPECT_EQ(table.DCardExit, &DCardExit);
    EXPECT_EQ(table.DCardGetDecoderType, &DCardGetDecoderType);
    EXPECT_EQ(table.DCardGetParamEx, &DCardGetParamEx);
    for (uint32_t i = whole; i < whole + 72; ++i)
        EXPECT_EQ(raw[i], 0) << i;
    EXPECT_EQ(raw[whole + 72], 0xEE);

    // A short table gets the leading entries only.
    memset(raw, 0xEE, sizeof(raw));
    size = first + sizeof(void*);
    memcpy(raw, &size, 4);
    ASSERT_EQ(DCardGetFunctions(reinterpret_cast<DCardFunctions*>(raw)), 1);
    void* entry;
    memcpy(&entry, raw + first, sizeof(entry));
    EXPECT_EQ(entry, reinterpret_cast<void*>(&DCardInit));
    EXPECT_EQ(raw[size], 0xEE);

    // Below 4 nothing is written; an absurd size is taken as a bad size word.
    for (uint32_t bad : {3u, 0u, 0x7FFFFFFFu}) {
        memset(raw, 0xEE, sizeof(raw));
        memcpy(raw, &bad, 4);
        EXPECT_EQ(DCardGetFunctions(reinterpret_cast<DCardFunctions*>(raw)), 0);
        EXPECT_EQ(raw[4], 0xEE);
    }
}

TEST_F(CardTableTest, NewerFamilyOpensTheNumberedDevice)
{
    harness::resetAll(10);
    ASSERT_EQ(DCardInit(3), 4);
    ASSERT_EQ(DCardInit(9), 10);
    auto opens = sim::deviceOpens();
    ASSERT_EQ(opens.size(), 2u);
    EXPECT_EQ(opens[0].name, "\\\\.\\TavSAA71463");
    EXPECT_EQ(opens[0].access, GENERIC_READ | GENERIC_WRITE);
    EXPECT_EQ(opens[0].shareMode, static_cast<uint32_t>(FILE_SHARE_READ | FILE_SHARE_WRITE));
    EXPECT_EQ(opens[0].disposition, static_cast<uint32_t>(OPEN_EXISTING));
    EXPECT_EQ(opens[0].flags, 0u);
    EXPECT_EQ(opens[1].name, "\\\\.\\TavSAA71469");
}

TEST_F(CardTableTest, OlderFamilyServesCardZeroOnly)
{
    SKIP_WITHOUT_OLDER_FAMILY();
    harness::resetAll(2);
    // OS must read exactly Windows_NT for the newer family (an absent OS
    // cannot be shown here: the system itself sets it).
    for (const char* os : {"windows_nt", "Windows_95", "Windows_NT ", ""}) {
        harness::setOs(os);
        EXPECT_EQ(DCardInit(1), 0);
        EXPECT_TRUE(sim::deviceOpens().empty()) << "no device is tried for card 1";
        ASSERT_EQ(DCardInit(0), 1);
        auto opens = sim::deviceOpens();
        ASSERT_EQ(opens.size(), 1u);
        EXPECT_EQ(opens[0].name, "\\\\.\\TAV7146");
        EXPECT_EQ(opens[0].access, 0u);
        EXPECT_EQ(opens[0].shareMode, 0u);
        EXPECT_EQ(opens[0].disposition, 0u);
        EXPECT_EQ(opens[0].flags, static_cast<uint32_t>(FILE_FLAG_DELETE_ON_CLOSE));
        // Requests travel with the older family's control code.
        auto requests = sim::card(0).requests();
        ASSERT_FALSE(requests.empty());
        for (const auto& request : requests)
            EXPECT_EQ(request.controlCode, 0x00FC0000u);
        harness::resetAll(2);
    }
}

TEST_F(CardTableTest, DecoderTypeComesFromTheCard)
{
    sim::CardSettings settings = sim::card(0).settings();
    settings.decoderType = 3;
    sim::card(0).configure(settings);
    ASSERT_EQ(DCardInit(0), 1);
    int type = 0;
    ASSERT_EQ(DCardGetDecoderType(1, &type), 1);
    EXPECT_EQ(type, 3);
}

TEST_F(CardTableTest, FailedOpenStepsCloseTheDevice)
{
    // A refused mapping, a refused CardInfo and a failing call: the device is
    // closed again and the slot can be opened once the card answers.
    for (int32_t code : {2, 7}) {
        harness::resetAll();
        sim::Fault fault;
        fault.code = code;
        fault.status = 1;
        sim::card(0).injectFault(fault);
        EXPECT_EQ(DCardInit(0), 0) << code;
        EXPECT_EQ(sim::openDeviceCount(), 0) << code;
        EXPECT_EQ(sim::deviceCalls().closes, 1) << code;
        EXPECT_EQ(DCardInit(0), 1) << code;
    }
}

TEST_F(CardTableTest, MissingDeviceFailsTheOpen)
{
    harness::resetAll(2);
    EXPECT_EQ(DCardInit(5), 0);
    EXPECT_EQ(sim::deviceCalls().controls, 0);
}

// Many threads open, use and close cards at once; every open card answers,
// nothing deadlocks, and every device is closed in the end.
TEST_F(CardTableTest, ThreadsOpenUseAndCloseCardsAtOnce)
{
    harness::resetAll(10);
    constexpr int kThreads = 8;
    constexpr int kRounds = 150;
    std::vector<std::thread> threads;
    std::atomic<int> opened{0};
    std::atomic<int> wrongAnswers{0};
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &opened, &wrongAnswers] {
            for (int round = 0; round < kRounds; ++round) {
                int number = (t * 7 + round) % 10;
                int handle = DCardInit(number);
                if (handle) {
                    ++opened;
                    if (handle != number + 1)
                        ++wrongAnswers;
                }
                int type = 0;
                if (DCardGetDecoderType(number + 1, &type) && type != 2)
                    ++wrongAnswers;
                DCardParam param = {};
                param.size = sizeof(param);
                if (DCardGetParamEx(number + 1, &param) && param.size != 22)
                    ++wrongAnswers;
                // Work of every family on cards that other threads open and close.
                uint8_t frame[64 * 48];
                uint32_t bytes = 0;
                if (DCardDigitEx(number + 1, 0, 64, 48, 8, 0, frame, sizeof(frame), &bytes, 0) &&
                    bytes != sizeof(frame))
                    ++wrongAnswers;
                DCardSetStringReg(number + 1, t % 2, "Brightness", round);
                uint8_t decoder[4];
                DCardI2CReceive(number + 1, 100, 0x9C, 0x19, decoder, 4);
                DCardMemoryConfig config = {};
                config.size = sizeof(config);
                DCardGetMemoryConfig(number + 1, &config);
                if (round % 3 == 0)
                    DCardExit(number + 1);
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    harness::closeAllCards();
    EXPECT_GT(opened.load(), 0);
    EXPECT_EQ(wrongAnswers.load(), 0);
    EXPECT_EQ(sim::openDeviceCount(), 0);
}

// While one thread holds the card table lock, no other thread gets through a
// handle lookup; the holder itself may enter again.
TEST_F(CardTableTest, TableLockExcludesOtherThreadsAndAdmitsItsHolder)
{
    ASSERT_EQ(DCardInit(0), 1);
    std::atomic<bool> looked{false};
    std::thread other;
    {
        SemaphoreScope hold(cardTable().lock);
        EXPECT_EQ(DCardExit(1), 1) << "the holder enters again";
        EXPECT_EQ(DCardInit(0), 1);
        other = std::thread([&looked] {
            int type = 0;
            DCardGetDecoderType(1, &type);
            looked = true;
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_FALSE(looked.load()) << "the lookup went past a held lock";
    }
    other.join();
    EXPECT_TRUE(looked.load());
}

} // namespace
