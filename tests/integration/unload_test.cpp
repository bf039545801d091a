// A process that ends with its cards still open: the library closes them as
// it goes, and everything that closing needs is still there.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <sys/wait.h>
#include <atomic>
#include <thread>
#include <vector>
#include <unistd.h>

#include <saa7146/dcard.h>
#include <saa7146/tavdig.h>

#include "device_files.h"
#include "dialogs/dialog_state.h"
#include "image/dib.h"
#include "platform/posix/control.h"
#include "virtual_card.h"
#include "support/harness.h"
#include "support/requests.h"

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

namespace {

// A process that ends as Windows ends one while three threads digitize: they
// stop where they are, maybe holding the card's lock, before the library
// hears of the end; it waits for nothing and the process ends.
TEST(UnloadTest, AProcessEndsWhileItsThreadsDigitize)
{
    harness::resetAll(1);
    sim::CardSettings slow = sim::card(0).settings();
    slow.digitDelayMs = 5;
    sim::card(0).configure(slow);
    ASSERT_EQ(DCardInit(0), 1);
    std::atomic<bool> stop{false};
    std::atomic<int> frames{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 3; ++t) {
        threads.emplace_back([&] {
            std::vector<uint8_t> frame(110592);
            uint32_t bytes = 0;
            while (!stop)
                if (DCardDigit(1, 0, 4, frame.data(), uint32_t(frame.size()), &bytes, 0))
                    ++frames;
        });
    }
    while (frames < 6)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    int status = standin::exitProcessAsWindowsDoes(0, 5000);
    stop = true;
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(status, 0) << "the ending process hung (-1) or failed";
    harness::closeAllCards();
}

} // namespace

namespace {

// The same while another thread's capture dialog shows its live preview:
// the dialog's thread and the preview thread stop where they are, and the
// library lets go of them rather than wait. Where the preview thread may
// stop holding the preview bitmap's lock and the DIB lock, a thread of the
// test's holds them when the process ends.
TEST(UnloadTest, AProcessEndsWhileTheCaptureDialogPreviews)
{
    harness::resetAll(1);
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Zemtra\\Orvik", 0, nullptr, 0,
                              KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    DWORD bitmap = 1;
    RegSetValueExA(key, "Picmode", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&bitmap), 4);
    RegCloseKey(key);
    std::atomic<bool> done{false};
    standin::setDialogDriver([&done](HWND, int) { return !done.load(); });
    std::thread host([] {
        if (HGLOBAL picture = TavDigCapture(nullptr))
            GlobalFree(picture);
    });
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (sim::card(0).countRequests(driver::Digit) < 4 && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::atomic<bool> holding{false}, release{false};
    std::thread holder([&] {
        SemaphoreScope preview(dialogState().previewLock);
        std::lock_guard<std::recursive_mutex> dib(dibLock());
        holding = true;
        while (!release)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    });
    while (!holding)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    int status = standin::exitProcessAsWindowsDoes(0, 5000);
    release = true;
    holder.join();
    done = true;
    host.join();
    standin::setDialogDriver(nullptr);
    EXPECT_EQ(status, 0) << "the ending process hung (-1) or failed";
}

} // namespace
