// Two threads computing masks of one card, under Wine with real windows:
// the covering window belongs to a thread that paints by computing a mask
// itself, as the capture dialog's picture window does while the preview
// loop computes the overlay's mask. Repainting it must never wait for that
// thread while the card's lock is held.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include <saa7146/dcard.h>

#include "support/harness.h"
#include "support/requests.h"

namespace {

std::atomic<HWND> paintersVideo{nullptr};
std::atomic<int> painted{0};

LRESULT CALLBACK painterProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        // Like the picture window: a mask of its own under the card's lock.
        DCardWindowsMask(1, paintersVideo.load(), nullptr);
        PAINTSTRUCT paint;
        BeginPaint(window, &paint);
        EndPaint(window, &paint);
        ++painted;
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST(MaskThreadsTest, RepaintingAnotherThreadsWindowNeverDeadlocks)
{
    harness::resetAll();
    // Every mask takes a while at the driver, so the painter meets the lock.
    sim::CardSettings settings = sim::card(0).settings();
    settings.slowCode = driver::Mask;
    settings.slowMs = 20;
    sim::card(0).configure(settings);
    ASSERT_EQ(DCardInit(0), 1);
    HWND video = harness::makeWindow({100, 100, 500, 400});

    std::atomic<bool> stop{false};
    std::atomic<HWND> cover{nullptr};
    std::thread painter([&] {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = painterProcedure;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "Saa7146Painter";
        RegisterClassA(&windowClass);
        HWND own = CreateWindowExA(WS_EX_TOOLWINDOW, "Saa7146Painter", "", WS_POPUP | WS_VISIBLE,
                                   150, 150, 100, 100, nullptr, nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
        paintersVideo = own;
        cover = own;
        while (!stop) {
            InvalidateRect(own, nullptr, FALSE);
            UpdateWindow(own);
            MSG message;
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageA(&message);
        }
        DestroyWindow(own);
    });
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!cover && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_TRUE(cover.load()) << "the painting thread made no window";

    // Alternating targets are a new list of covers each time: every call
    // repaints the painter's window, which is painting with a mask itself.
    std::atomic<int> calls{0};
    std::thread masker([&] {
        const RECT targets[2] = {{120, 120, 320, 320}, {121, 120, 320, 320}};
        for (int i = 0; i < 60 && !stop; ++i) {
            DCardWindowsMask(1, video, &targets[i % 2]);
            ++calls;
        }
    });
    while (calls < 60 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    bool finished = calls == 60;
    stop = true;
    if (!finished) {
        // A deadlock: the threads cannot be joined and the card's lock stays
        // held, so the process ends here with the reason rather than hang.
        ADD_FAILURE() << "deadlocked after " << calls << " masks (" << painted << " paints)";
        fprintf(stderr, "MaskThreadsTest: deadlocked after %d masks\n", calls.load());
        harness::endProcessAfterOverrun();
    }
    masker.join();
    painter.join();
    EXPECT_GT(painted.load(), 0);
    harness::destroyWindows();
    harness::closeAllCards();
}

} // namespace
