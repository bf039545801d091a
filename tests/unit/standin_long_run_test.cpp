// The stand-in and the virtual card over a long run: what they record of
// calls stays bounded, paint messages go to the right windows however many
// have come and gone, and the window table does not grow with every window.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <set>
#include <string>
#include <thread>

#include "platform/posix/control.h"
#include "platform/posix/recent_records.h"
#include "platform/posix/window_model.h"
#include "support/harness.h"
#include "device_files.h"

namespace {

class StandInLongRunTest : public ::testing::Test {
protected:
    void SetUp() override { harness::resetAll(); }
    void TearDown() override { standin::destroyAllWindows(); }
};

// Each kind of record: make record number n, and read back the numbers kept.
struct RecordKind {
    const char* name;
    std::function<void(int n)> make;
    std::function<std::vector<int>()> kept;
};

TEST_F(StandInLongRunTest, RecordsKeepTheMostRecentOnly)
{
    HWND window = standin::createWindow({});
    const RecordKind kinds[] = {
        {"message boxes",
         [](int n) { MessageBoxA(nullptr, std::to_string(n).c_str(), "c", MB_OK); },
         [] {
             std::vector<int> numbers;
             for (const auto& box : standin::messageBoxes())
                 numbers.push_back(std::stoi(box.text));
             return numbers;
         }},
        {"redraws", [window](int n) { RedrawWindow(window, nullptr, nullptr, UINT(n) << 16); },
         [] {
             std::vector<int> numbers;
             for (const auto& redraw : standin::redraws())
                 numbers.push_back(int(redraw.flags >> 16));
             return numbers;
         }},
        {"the virtual card's device opens",
         [](int n) {
             uint32_t error = 0;
             sim::openDevice(std::to_string(n).c_str(), 0, 0, 0, 0, &error);
         },
         [] {
             std::vector<int> numbers;
             for (const auto& open : sim::deviceOpens())
                 numbers.push_back(std::stoi(open.name));
             return numbers;
         }},
    };
    const int most = int(standin::kRecentRecords);
    for (const RecordKind& kind : kinds) {
        SCOPED_TRACE(kind.name);
        standin::clearMessageBoxes();
        standin::clearRedraws();
        sim::closeAllDevices();
        for (int n = 0; n < most; ++n)
            kind.make(n);
        std::vector<int> kept = kind.kept();
        ASSERT_EQ(kept.size(), size_t(most)) << "all of the first " << most;
        EXPECT_EQ(kept.front(), 0);
        kind.make(most);
        kept = kind.kept();
        ASSERT_EQ(kept.size(), size_t(most / 2 + 1)) << "the older half dropped";
        EXPECT_EQ(kept.front(), most / 2);
        EXPECT_EQ(kept.back(), most);
        for (int n = most + 1; n < 5 * most; ++n)
            kind.make(n);
        kept = kind.kept();
        EXPECT_LE(kept.size(), size_t(most));
        EXPECT_EQ(kept.back(), 5 * most - 1);
    }
}

// The paint message that PeekMessage would hand out now, or null.
HWND nextPaint()
{
    MSG message;
    if (!PeekMessageA(&message, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE))
        return nullptr;
    return message.hwnd;
}

TEST_F(StandInLongRunTest, PaintGoesToLiveInvalidWindowsOfTheThreadOldestFirst)
{
    // Many windows made invalid and destroyed before a paint leave nothing.
    for (int i = 0; i < 20000; ++i) {
        HWND gone = standin::createWindow({});
        InvalidateRect(gone, nullptr, TRUE);
        DestroyWindow(gone);
    }
    EXPECT_EQ(nextPaint(), nullptr);

    HWND older = standin::createWindow({});
    HWND valid = standin::createWindow({});
    HWND newer = standin::createWindow({});
    // A window of a thread that lives on meanwhile (a thread's windows end
    // with it).
    std::atomic<HWND> otherThreads{nullptr};
    std::atomic<bool> done{false};
    std::thread other([&] {
        otherThreads = standin::createWindow({});
        while (!done)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    });
    while (!otherThreads)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    InvalidateRect(otherThreads, nullptr, TRUE);
    InvalidateRect(newer, nullptr, TRUE);
    InvalidateRect(older, nullptr, TRUE);
    (void)valid;

    for (HWND expected : {older, newer}) {
        MSG message;
        ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
        EXPECT_EQ(message.hwnd, expected);
        EXPECT_EQ(message.message, UINT(WM_PAINT));
        DispatchMessageA(&message);
    }
    EXPECT_EQ(nextPaint(), nullptr) << "the other thread's window is painted by its thread";
    EXPECT_TRUE(standin::windowIsInvalid(otherThreads));
    done = true;
    other.join();
    EXPECT_FALSE(IsWindow(otherThreads)) << "gone with its thread";

    // Invalid again after a paint: found again.
    InvalidateRect(newer, nullptr, FALSE);
    EXPECT_EQ(nextPaint(), newer);
    ValidateRect(newer, nullptr);
    EXPECT_EQ(nextPaint(), nullptr);
}

// Windows made and destroyed without end reuse the handle table: the table
// stays the size of the windows alive plus those held free, and a handle
// kept past its window names nothing, nor does any handle made earlier.
TEST_F(StandInLongRunTest, HandlesOfDestroyedWindowsNameNothingWhileTheTableStaysSmall)
{
    standin::restartWindowHandles();
    HWND kept = standin::createWindow({});
    std::set<HWND> made;
    for (int i = 0; i < 40000; ++i) {
        HWND window = standin::createWindow({});
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(made.insert(window).second) << "a handle given twice at window " << i;
        ASSERT_TRUE(IsWindow(window));
        // The same slot's handle of the generation before names nothing.
        auto value = reinterpret_cast<uintptr_t>(window);
        const uintptr_t generation = 4 * uintptr_t(standin::kSlotCount);
        if (value >= standin::kFirstWindow + generation) {
            ASSERT_FALSE(IsWindow(reinterpret_cast<HWND>(value - generation)));
        }
        DestroyWindow(window);
        ASSERT_FALSE(IsWindow(window));
    }
    EXPECT_TRUE(IsWindow(kept));
    EXPECT_EQ(standin::windowCount(), 1);
    std::lock_guard<std::recursive_mutex> hold(standin::windowModel().lock);
    EXPECT_EQ(standin::windowModel().slots.size(), 2 + standin::kSlotsHeldFree);
}

} // namespace
