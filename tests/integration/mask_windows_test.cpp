// Masks against the stand-in's window manager: random window stacks checked
// pixel by pixel, and the repaints as the window manager records them.
#include <atomic>
#include <chrono>
#include <random>
#include <thread>
#include <vector>

#include <saa7146/dcard.h>

#include "platform/posix/control.h"
#include "support/harness.h"
#include "support/requests.h"

namespace {

class MaskWindowsTest : public CardTest {
protected:
    void SetUp() override
    {
        CardTest::SetUp();
        ASSERT_EQ(DCardInit(0), 1);
    }

    static HWND window(const RECT& rect, DWORD style = WS_POPUP | WS_VISIBLE,
                       HWND parent = nullptr)
    {
        standin::WindowSpec wanted;
        wanted.rect = rect;
        wanted.style = style;
        wanted.parent = parent;
        return standin::createWindow(wanted);
    }
};

// What the mask should be, pixel by pixel: covered where a visible top-level
// window above the video window's top-level window overlaps, counting only
// the nearest 200 of those that overlap the target.
std::vector<uint8_t> reference(HWND video, const RECT& target, const std::vector<uint8_t>* initial)
{
    HWND top = video;
    while ((GetWindowLongA(top, GWL_STYLE) & WS_CHILD) && GetParent(top))
        top = GetParent(top);
    std::vector<RECT> covers;
    for (HWND w = GetWindow(top, GW_HWNDPREV); w && covers.size() < 200;
         w = GetWindow(w, GW_HWNDPREV)) {
        RECT r, meet;
        GetWindowRect(w, &r);
        if (IsWindowVisible(w) && IntersectRect(&meet, &r, &target))
            covers.push_back(r);
    }
    int width = target.right - target.left, height = target.bottom - target.top;
    size_t row = size_t((width + 31) / 32 * 4);
    std::vector<uint8_t> mask = initial ? *initial : std::vector<uint8_t>(row * size_t(height), 0xFF);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (const RECT& r : covers) {
                int sx = target.left + x, sy = target.top + y;
                if (sx >= r.left && sx < r.right && sy >= r.top && sy < r.bottom)
                    mask[size_t(y) * row + size_t(x / 8)] &= uint8_t(~(0x80 >> (x % 8)));
            }
    return mask;
}

TEST_F(MaskWindowsTest, RandomStacksMatchThePixelReference)
{
    std::mt19937 random(1234);
    auto between = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    for (int round = 0; round < 60; ++round) {
        SCOPED_TRACE(round);
        standin::destroyAllWindows();
        // Windows below the video window, then the video window with
        // children, then up to 250 above it.
        for (int i = between(0, 3); i > 0; --i)
            window({between(0, 600), between(0, 600), between(600, 1200), between(600, 900)});
        RECT target = {between(-50, 300), between(-50, 300), 0, 0};
        target.right = target.left + between(0, 769);
        target.bottom = target.top + between(0, 576);
        HWND video = window({target.left - 10, target.top - 10, target.right + 10, target.bottom + 10});
        HWND child = window({5, 5, 200, 200}, WS_CHILD | WS_VISIBLE, video);
        window({0, 0, 50, 50}, WS_CHILD | WS_VISIBLE, child);
        int above = round % 10 == 0 ? 250 : between(0, 40);
        for (int i = 0; i < above; ++i) {
            int left = between(-100, 1100), top = between(-100, 900);
            DWORD style = WS_POPUP | (between(0, 5) ? WS_VISIBLE : 0);
            HWND w = window({left, top, left + between(0, 300), top + between(0, 200)}, style);
            if (between(0, 8) == 0) // a child of a covering window counts as its parent
                window({0, 0, 30, 30}, WS_CHILD | WS_VISIBLE, w);
        }
        HWND asked = between(0, 1) ? video : child;
        std::vector<uint8_t> initial;
        bool withInitial = between(0, 3) == 0;
        size_t row = size_t((target.right - target.left + 31) / 32 * 4);
        for (size_t i = 0; i < row * size_t(target.bottom - target.top); ++i)
            initial.push_back(uint8_t(between(0, 255)));
        ASSERT_EQ(DCardWindowsMaskEx(1, asked, &target, withInitial ? initial.data() : nullptr), 1);
        EXPECT_EQ(sim::card(0).mask().bits, reference(video, target, withInitial ? &initial : nullptr));
    }
}

TEST_F(MaskWindowsTest, RepaintsInListOrderWithTheirFlags)
{
    HWND video = window({0, 0, 400, 400});
    HWND first = window({10, 10, 20, 20});
    HWND second = window({30, 10, 40, 20});
    window({30, 10, 40, 20}, WS_POPUP); // invisible
    standin::clearRedraws();
    const RECT target = {0, 0, 64, 64};
    ASSERT_EQ(DCardWindowsMask(1, video, &target), 1);
    std::vector<standin::RedrawRecord> seen = standin::redraws();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].window, first) << "nearest the video window first";
    EXPECT_EQ(seen[1].window, second);
    for (const auto& redraw : seen) {
        EXPECT_EQ(redraw.flags, 0x587u);
        EXPECT_EQ(redraw.thread, GetCurrentThreadId());
        EXPECT_FALSE(redraw.invalidateRect);
    }
    // The same windows in another order are another list.
    SetWindowPos(first, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    standin::clearRedraws();
    ASSERT_EQ(DCardWindowsMask(1, video, &target), 1);
    seen = standin::redraws();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].window, second);
    EXPECT_EQ(seen[1].window, first);

    // A covering window of a thread that takes no messages now is made
    // invalid, not painted: the mask does not wait for that thread.
    std::atomic<HWND> others{nullptr};
    std::atomic<bool> done{false};
    std::thread busy([&] {
        others = window({50, 10, 60, 20});
        while (!done)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    });
    while (!others)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    standin::clearRedraws();
    ASSERT_EQ(DCardWindowsMask(1, video, &target), 1);
    seen = standin::redraws();
    done = true;
    busy.join();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[2].window, others.load()) << "on top: the last of the list";
    EXPECT_EQ(seen[2].flags, 0x587u & ~UINT(RDW_UPDATENOW));
    EXPECT_EQ(seen[0].flags, 0x587u);
}

} // namespace
