// The virtual cards shared between processes: one card whichever process
// opens it, kept consistent when a process dies holding its lock.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <csignal>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <saa7146/dcard.h>

#include "shared_cards.h"
#include "support/harness.h"
#include "virtual_card.h"

namespace {

constexpr int kColourRegister = 0x70; // brightness, contrast, saturation of a camera

class SharedCardTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        harness::resetAll();
        char pattern[] = "/tmp/saa7146-shared-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        base_ = pattern;
        directory_ = base_ + "/cards";
    }

    void TearDown() override
    {
        harness::closeAllCards();
        sim::usePrivateCards();
        std::string command = "rm -rf '" + base_ + "'";
        ASSERT_EQ(system(command.c_str()), 0);
    }

    void share()
    {
        std::string reason;
        ASSERT_TRUE(sim::useSharedCards(directory_, reason)) << reason;
    }

    // Waits for a child's end; its exit status, or -1 when it did not exit.
    static int finish(pid_t child)
    {
        int status = 0;
        if (waitpid(child, &status, 0) != child || !WIFEXITED(status))
            return -1;
        return WEXITSTATUS(status);
    }

    std::string base_, directory_;
};

TEST_F(SharedCardTest, ARegisterSetInOneProcessIsReadInAnother)
{
    share();
    uint32_t framesBefore = sim::card(0).framesDigitized(0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // A process of its own making: it opens the set afresh.
        std::string reason;
        bool ok = sim::useSharedCards(directory_, reason) && DCardInit(0) == 1 &&
                  DCardSetReg(1, 0, kColourRegister, 0x11223344) == 1 && DCardExit(1) == 1;
        _exit(ok ? 0 : 3);
    }
    ASSERT_EQ(finish(child), 0);
    EXPECT_GT(sim::card(0).framesDigitized(0), framesBefore) << "the child's open digitized frames";
    ASSERT_EQ(DCardInit(0), 1);
    int value = 0;
    ASSERT_EQ(DCardGetReg(1, 0, kColourRegister, &value), 1);
    EXPECT_EQ(static_cast<uint32_t>(value), 0x11223344u);
    // This process's frame counts on from the shared counter.
    uint32_t framesNow = sim::card(0).framesDigitized(0);
    uint32_t bytes = 0;
    ASSERT_EQ(DCardDigit(1, 0, 4, nullptr, 0, &bytes, 0), 1);
    EXPECT_EQ(sim::card(0).framesDigitized(0), framesNow + 1);
}

TEST_F(SharedCardTest, AProcessKilledHoldingTheLockLeavesTheCardAsBeforeItsChange)
{
    share();
    ASSERT_TRUE(sim::card(0).writeRegister(0, kColourRegister, 0x01010101));
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(ready[0]);
        sim::card(0).changeState([&](sim::CardState& state) {
            // Half a change: one camera's register written, then the
            // process dies before it finishes.
            state.registers.write(1, kColourRegister, 0x02020202);
            char byte = 1;
            if (write(ready[1], &byte, 1) != 1)
                _exit(3);
            for (;;)
                pause();
        });
        _exit(4);
    }
    close(ready[1]);
    char byte = 0;
    ASSERT_EQ(read(ready[0], &byte, 1), 1) << "the child never held the lock";
    close(ready[0]);
    ASSERT_EQ(kill(child, SIGKILL), 0);
    EXPECT_EQ(finish(child), -1);

    // The next lock finds its holder gone and restores the card.
    int recovered = sim::sharedCards()->recoveries();
    uint32_t value = 0;
    ASSERT_TRUE(sim::card(0).readRegister(0, kColourRegister, value));
    EXPECT_EQ(value, 0x01010101u);
    EXPECT_EQ(sim::sharedCards()->recoveries(), recovered + 1);

    // And the card carries on, through the library too.
    ASSERT_EQ(DCardInit(0), 1);
    ASSERT_EQ(DCardSetReg(1, 0, kColourRegister, 0x03030303), 1);
    int read = 0;
    ASSERT_EQ(DCardGetReg(1, 0, kColourRegister, &read), 1);
    EXPECT_EQ(static_cast<uint32_t>(read), 0x03030303u);
    EXPECT_EQ(sim::sharedCards()->recoveries(), recovered + 1);
}

TEST_F(SharedCardTest, ChangesOfTwoProcessesAtOnceAreNeverLost)
{
    share();
    ASSERT_TRUE(sim::card(0).writeRegister(0, kColourRegister, 0));
    // Each change reads the register and writes it back one higher: without
    // the lock between processes, increments would overwrite each other.
    constexpr uint32_t kRounds = 5000;
    auto increment = [] {
        for (uint32_t n = 0; n < kRounds; ++n)
            sim::card(0).changeState([](sim::CardState& state) {
                uint32_t value = 0;
                state.registers.read(1, kColourRegister, value);
                state.registers.write(1, kColourRegister, value + 1);
            });
    };
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        increment();
        _exit(0);
    }
    increment();
    ASSERT_EQ(finish(child), 0);
    uint32_t value = 0;
    ASSERT_TRUE(sim::card(0).readRegister(0, kColourRegister, value));
    EXPECT_EQ(value, 2 * kRounds);
}

TEST_F(SharedCardTest, OtherSettingsPowerTheCardsOnAfreshTheSameKeepThem)
{
    sim::CardSettings settings;
    std::string reason;
    std::unique_ptr<sim::SharedCards> first = sim::SharedCards::open(directory_, settings, 1, reason);
    ASSERT_NE(first, nullptr) << reason;
    first->state(0).registers.write(1, kColourRegister, 7);
    first->state(0).frameCounters[1] = 9;

    struct Case {
        const char* what;
        int count;
        uint32_t memory;
        bool kept;
    } cases[] = {
        {"the same settings", 1, settings.frameMemorySize, true},
        {"another card count", 2, settings.frameMemorySize, false},
        {"another frame memory size", 1, settings.frameMemorySize + 4096, false},
    };
    for (const Case& c : cases) {
        first->state(0).registers.write(1, kColourRegister, 7);
        first->powerOn(settings, 1);
        first->state(0).registers.write(1, kColourRegister, 7);
        sim::CardSettings other = settings;
        other.frameMemorySize = c.memory;
        std::unique_ptr<sim::SharedCards> second = sim::SharedCards::open(directory_, other, c.count, reason);
        ASSERT_NE(second, nullptr) << reason;
        uint32_t value = 0;
        ASSERT_TRUE(second->state(0).registers.read(1, kColourRegister, value));
        EXPECT_EQ(value, c.kept ? 7u : 0x80400040u) << c.what;
        EXPECT_EQ(second->count(), c.count) << c.what;
    }
}

TEST_F(SharedCardTest, TheDirectoryMustBeClosedToOthers)
{
    struct Case {
        mode_t mode;
        bool usable;
    } cases[] = {{0700, true}, {0710, false}, {0701, false}, {0750, false}};
    for (const Case& c : cases) {
        std::string directory = base_ + "/mode" + std::to_string(c.mode);
        ASSERT_EQ(mkdir(directory.c_str(), 0700), 0);
        ASSERT_EQ(chmod(directory.c_str(), c.mode), 0);
        std::string reason;
        std::unique_ptr<sim::SharedCards> cards =
            sim::SharedCards::open(directory, sim::CardSettings(), 1, reason);
        EXPECT_EQ(cards != nullptr, c.usable) << std::oct << c.mode << ": " << reason;
    }
    // A file where the directory should be is no directory.
    std::string file = base_ + "/file";
    ASSERT_EQ(system(("touch '" + file + "'").c_str()), 0);
    std::string reason;
    EXPECT_EQ(sim::SharedCards::open(file, sim::CardSettings(), 1, reason), nullptr);
    EXPECT_NE(reason.find(file), std::string::npos) << reason;
}

TEST(DriverParamsTest, TheTableHoldsItsSlotsAndRefusesOneMore)
{
    sim::DriverParams params;
    params.clear();
    for (int32_t n = 0; n < sim::DriverParams::kSlots; ++n)
        ASSERT_TRUE(params.set(1, n, n * 10)) << n;
    EXPECT_FALSE(params.set(2, 0, 1)) << "a new parameter past the last slot";
    EXPECT_TRUE(params.set(1, 5, 55)) << "an existing parameter still changes";
    ASSERT_NE(params.find(1, 5), nullptr);
    EXPECT_EQ(*params.find(1, 5), 55);
    ASSERT_NE(params.find(1, sim::DriverParams::kSlots - 1), nullptr);
    EXPECT_EQ(params.find(2, 0), nullptr);
}

} // namespace
