// A process that ends with its cards still open: the library closes them as
// it goes, and everything that closing needs is still there.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include <saa7146/dcard.h>

#include "device_files.h"
#include "support/harness.h"

namespace {

TEST(UnloadTest, ExitWithOpenCardsClosesThem)
{
    harness::resetAll(3);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        bool opened = DCardInit(0) == 1 && DCardInit(2) == 3;
        uint32_t bytes = 0;
        DCardDigit(1, 0, 4, nullptr, 0, &bytes, 0);
        // exit() runs the static destructors, the card table's among them.
        exit(opened && sim::openDeviceCount() == 2 ? 0 : 3);
    }
    int status = 0;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            FAIL() << "the process hung while closing its cards at exit";
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

} // namespace
