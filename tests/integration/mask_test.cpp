// Clipping masks, as the card receives them, from windows of the test's own:
// the same through the stand-in and under Wine.
#include <cstring>
#include <vector>

#include <saa7146/dcard.h>

#include "support/harness.h"
#include "support/requests.h"

namespace {

using driver::MaskRequest;

class MaskTest : public CardTest {
protected:
    void SetUp() override
    {
        CardTest::SetUp();
        ASSERT_EQ(DCardInit(0), 1);
        sim::card(0).clearRequests();
        // The video window, and the target rectangles below all inside it.
        video = harness::makeWindow({100, 100, 1000, 800});
    }

    void TearDown() override
    {
        harness::destroyWindows();
        CardTest::TearDown();
    }

    static std::vector<uint8_t> receivedMask() { return sim::card(0).mask().bits; }

    HWND video = nullptr;
};

TEST_F(MaskTest, NothingAboveGivesAllOnesAndNoRepaint)
{
    const RECT target = {200, 200, 200 + 70, 200 + 3};
    ASSERT_EQ(DCardWindowsMask(1, video, &target), 1);
    MaskRequest sent = sim::card(0).mask().request;
    EXPECT_EQ(sent.maskSwitch, 1);
    EXPECT_EQ(sent.width, 70);
    EXPECT_EQ(sent.height, 3);
    EXPECT_EQ(sent.size, 12u * 3u) << "rows of whole words: 70 pixels take 12 bytes";
    EXPECT_EQ(receivedMask(), std::vector<uint8_t>(36, 0xFF)) << "padding bits are ones too";
    EXPECT_EQ(harness::paints(video), 0);
}

TEST_F(MaskTest, CoveredPixelsAreZeroBitsLeftmostFirst)
{
    const RECT target = {200, 200, 200 + 64, 200 + 2};
    struct Case {
        RECT cover; // screen
        std::vector<uint8_t> firstRow;
        std::vector<uint8_t> secondRow;
    };
    const std::vector<uint8_t> ones(8, 0xFF);
    const Case cases[] = {
        {{200, 200, 201, 201}, {0x7F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, ones},
        {{208, 200, 216, 202}, {0xFF, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
         {0xFF, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
        // Across a word boundary, partly outside the target on the right.
        {{229, 201, 300, 250}, ones, {0xFF, 0xFF, 0xFF, 0xF8, 0x00, 0x00, 0x00, 0x00}},
        // Ending exactly on a word boundary, starting left of the target.
        {{150, 200, 232, 201}, {0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF}, ones},
    };
    for (const Case& c : cases) {
        HWND cover = harness::makeWindow(c.cover);
        ASSERT_EQ(DCardWindowsMask(1, video, &target), 1);
        std::vector<uint8_t> mask = receivedMask();
        ASSERT_EQ(mask.size(), 16u);
        EXPECT_EQ(std::vector<uint8_t>(mask.begin(), mask.begin() + 8), c.firstRow)
            << c.cover.left << "," << c.cover.top;
        EXPECT_EQ(std::vector<uint8_t>(mask.begin() + 8, mask.end()), c.secondRow)
            << c.cover.left << "," << c.cover.top;
        DestroyWindow(cover);
    }
}

TEST_F(MaskTest, SizesAreTestedAtTheirLimits)
{
    struct Case {
        int width, height;
        int result;
    };
    const Case cases[] = {{769, 576, 1}, {770, 576, 0}, {769, 577, 0}, {768, 1, 1},
                          {0, 0, 1},     {-1, 10, 0},   {10, -1, 0}};
    for (const Case& c : cases) {
        sim::card(0).clearRequests();
        const RECT target = {0, 0, c.width, c.height};
        EXPECT_EQ(DCardWindowsMask(1, video, &target), c.result) << c.width << "x" << c.height;
        EXPECT_EQ(harness::sentCount(driver::Mask), size_t(c.result)) << c.width << "x" << c.height;
        if (c.result && c.width == 769) {
            EXPECT_EQ(sim::card(0).mask().request.size, 100u * 576u) << "the largest mask fits";
            EXPECT_EQ(receivedMask(), std::vector<uint8_t>(100 * 576, 0xFF));
        }
    }
}

TEST_F(MaskTest, AnInitialMaskKeepsItsZeros)
{
    const RECT target = {200, 200, 232, 202};
    const uint8_t initial[8] = {0x0F, 0xFF, 0xFF, 0x00, 0xFF, 0xFF, 0xFF, 0xFE};
    harness::makeWindow({216, 201, 224, 300});
    const std::vector<uint8_t> overInitial = {0x0F, 0xFF, 0xFF, 0x00, 0xFF, 0xFF, 0x00, 0xFE};
    const std::vector<uint8_t> overOnes = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0xFF};
    // The same covers each time: a mask over ones is kept for the next call
    // without an initial mask, and never stands for one with it.
    const struct {
        const uint8_t* initial;
        const std::vector<uint8_t>& expected;
    } calls[] = {{initial, overInitial}, {nullptr, overOnes}, {nullptr, overOnes},
                 {initial, overInitial}, {nullptr, overOnes}};
    for (const auto& call : calls) {
        ASSERT_EQ(DCardWindowsMaskEx(1, video, &target, call.initial), 1);
        EXPECT_EQ(receivedMask(), call.expected) << (call.initial ? "over the initial mask" : "over ones");
    }
}

TEST_F(MaskTest, ChildWindowsOfTheVideoWindowNeverMask)
{
    HWND child = harness::makeChild(video, {0, 0, 400, 300});
    HWND grandchild = harness::makeChild(child, {0, 0, 100, 100});
    const RECT target = {100, 100, 164, 102};
    for (HWND window : {video, child, grandchild}) {
        ASSERT_EQ(DCardWindowsMask(1, window, &target), 1);
        EXPECT_EQ(receivedMask(), std::vector<uint8_t>(16, 0xFF));
    }
    // Null target: the child's client area in screen coordinates.
    ASSERT_EQ(DCardWindowsMask(1, grandchild, nullptr), 1);
    EXPECT_EQ(sim::card(0).mask().request.width, 100);
    EXPECT_EQ(sim::card(0).mask().request.height, 100);
}

TEST_F(MaskTest, RepaintsOnlyWhenTheCoversChange)
{
    const RECT target = {200, 200, 264, 210};
    HWND lower = harness::makeWindow({190, 190, 210, 205});
    HWND upper = harness::makeWindow({250, 205, 300, 300});
    HWND invisible = harness::makeWindow({200, 200, 300, 300}, false);
    HWND elsewhere = harness::makeWindow({0, 0, 50, 50});
    ASSERT_EQ(DCardWindowsMask(1, video, &target), 1);
    EXPECT_EQ(harness::paints(lower), 1);
    EXPECT_EQ(harness::paints(upper), 1);
    EXPECT_EQ(harness::paints(invisible), 0);
    EXPECT_EQ(harness::paints(elsewhere), 0);

    harness::clearPaints();
    ASSERT_EQ(DCardWindowsMask(1, video, &target), 1);
    EXPECT_EQ(harness::paints(lower) + harness::paints(upper), 0) << "nothing changed";

    // One pixel is a change; the window that left is not repainted.
    harness::placeWindow(upper, {251, 205, 301, 300});
    harness::clearPaints();
    ASSERT_EQ(DCardWindowsMask(1, video, &target), 1);
    EXPECT_EQ(harness::paints(lower), 1);
    EXPECT_EQ(harness::paints(upper), 1);
    harness::placeWindow(upper, {500, 500, 550, 550});
    harness::clearPaints();
    ASSERT_EQ(DCardWindowsMask(1, video, &target), 1);
    EXPECT_EQ(harness::paints(lower), 1);
    EXPECT_EQ(harness::paints(upper), 0) << "only in the old list";

    // A refused mask leaves the last list, so the next call repaints.
    harness::placeWindow(upper, {250, 205, 300, 300});
    sim::Fault refuse;
    refuse.code = driver::Mask;
    sim::card(0).injectFault(refuse);
    harness::clearPaints();
    EXPECT_EQ(DCardWindowsMask(1, video, &target), 0);
    EXPECT_EQ(harness::paints(lower) + harness::paints(upper), 0);
    ASSERT_EQ(DCardWindowsMask(1, video, &target), 1);
    EXPECT_EQ(harness::paints(lower), 1);
    EXPECT_EQ(harness::paints(upper), 1);
}

TEST_F(MaskTest, TwoHundredCoversEndTheWalk)
{
    const RECT target = {100, 100, 100 + 201, 101};
    std::vector<HWND> covers;
    for (int i = 0; i < 201; ++i)
        covers.push_back(harness::makeWindow({100 + i, 100, 101 + i, 101}));
    ASSERT_EQ(DCardWindowsMask(1, video, &target), 1);
    std::vector<uint8_t> mask = receivedMask();
    ASSERT_EQ(mask.size(), 28u);
    // The 200 nearest above the video window are masked; the topmost, at
    // pixel 200, is not.
    for (int x = 0; x < 201; ++x)
        EXPECT_EQ((mask[x / 8] >> (7 - x % 8)) & 1, x == 200 ? 1 : 0) << x;
    EXPECT_EQ(harness::paints(covers[200]), 0);
    EXPECT_EQ(harness::paints(covers[0]), 1);
}

TEST_F(MaskTest, CallerMasksGoThroughTheFrameMemory)
{
    const uint8_t bits[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    ASSERT_EQ(DCardMask(1, 1, 32, 2, bits, sizeof(bits)), 1);
    auto seen = sim::card(0).mask();
    EXPECT_EQ(seen.request.maskSwitch, 1);
    EXPECT_EQ(seen.request.width, 32);
    EXPECT_EQ(seen.request.height, 2);
    EXPECT_ADDRESS_WORD(seen.request.bits, bits);
    EXPECT_EQ(seen.bits, std::vector<uint8_t>(bits, bits + 8)) << "read at the mask offset";

    // Switch 0 sends nothing but the switch; other switches go unchanged.
    ASSERT_EQ(DCardMask(1, 0, 32, 2, bits, sizeof(bits)), 1);
    MaskRequest off = sim::card(0).mask().request;
    EXPECT_EQ(off.maskSwitch, 0);
    EXPECT_EQ(off.width | off.height | int32_t(off.bits) | int32_t(off.size), 0);
    ASSERT_EQ(DCardMask(1, 7, 32, 2, bits, sizeof(bits)), 1);
    EXPECT_EQ(sim::card(0).mask().request.maskSwitch, 7);
    ASSERT_EQ(DCardMask(1, 1, 32, 2, nullptr, 8), 1) << "no bits: nothing to copy";

    // A mask that does not fit the frame memory at the mask offset.
    sim::card(0).clearRequests();
    uint32_t room = sim::card(0).frameMemorySize() - sim::card(0).memoryConfig().maskOffset;
    std::vector<uint8_t> big(size_t(room) + 1, 0xAA);
    EXPECT_EQ(DCardMask(1, 1, 32, 2, big.data(), room + 1), 0);
    EXPECT_EQ(DCardMask(1, 1, 32, 2, big.data(), 0xFFFFFFFFu), 0);
    EXPECT_EQ(harness::sentCount(driver::Mask), 0u);
    EXPECT_EQ(DCardMask(1, 1, 32, 2, big.data(), room), 1);
}

TEST_F(MaskTest, UnmappedFrameMemoryIsNeverWritten)
{
    harness::closeAllCards();
    sim::CardSettings settings = sim::card(0).settings();
    settings.mapFrameMemory = false;
    sim::card(0).configure(settings);
    ASSERT_EQ(DCardInit(0), 1);
    sim::card(0).clearRequests();
    const uint8_t bits[4] = {0};
    EXPECT_EQ(DCardMask(1, 1, 32, 1, bits, 4), 0);
    const RECT target = {0, 0, 32, 1};
    EXPECT_EQ(DCardWindowsMask(1, video, &target), 0);
    EXPECT_EQ(harness::sentCount(driver::Mask), 0u);
}

TEST_F(MaskTest, TheOlderFamilyReadsTheCallersMask)
{
    SKIP_WITHOUT_OLDER_FAMILY();
    harness::closeAllCards();
    harness::setOs("Windows_95");
    ASSERT_EQ(DCardInit(0), 1);
    const uint8_t bits[4] = {0x12, 0x34, 0x56, 0x78};
    uint8_t* frame = sim::card(0).frameMemory();
    memset(frame, 0xEE, 4);
    ASSERT_EQ(DCardMask(1, 1, 32, 1, bits, 4), 1);
    EXPECT_EQ(sim::card(0).mask().request.bits, uint32_t(reinterpret_cast<uintptr_t>(bits)));
    EXPECT_EQ(sim::card(0).mask().bits, std::vector<uint8_t>(bits, bits + 4));
    EXPECT_EQ(frame[0], 0xEE) << "not copied into the frame memory";
}

TEST_F(MaskTest, TestModeDoesNothingAndSucceeds)
{
    harness::closeAllCards();
    harness::writeIni("Debug", 1);
    harness::writeIni("DisplayDialog", 0);
    ASSERT_EQ(DCardInit(0), 1);
    sim::card(0).clearRequests();
    harness::makeWindow({0, 0, 2000, 2000});
    const RECT huge = {0, 0, 5000, 5000};
    EXPECT_EQ(DCardWindowsMask(1, video, &huge), 1);
    EXPECT_EQ(DCardWindowsMaskEx(1, nullptr, nullptr, nullptr), 1);
    EXPECT_EQ(DCardMask(1, 1, -5, -5, nullptr, 0xFFFFFFFFu), 1);
    EXPECT_EQ(sim::card(0).requests().size(), 0u);
    EXPECT_EQ(harness::paints(video), 0);
}

TEST_F(MaskTest, ClosedCardsAndBadWindows)
{
    const RECT target = {0, 0, 32, 1};
    for (int handle : {0, 2, 11, -1}) {
        EXPECT_EQ(DCardWindowsMask(handle, video, &target), 0) << handle;
        EXPECT_EQ(DCardMask(handle, 1, 32, 1, nullptr, 4), 0) << handle;
    }
    // A window whose client area cannot be read gives no mask.
    EXPECT_EQ(DCardWindowsMask(1, reinterpret_cast<HWND>(0x7777), nullptr), 0);
    EXPECT_EQ(harness::sentCount(driver::Mask), 0u);
    // With a target given, a bad window masks nothing and the mask still goes.
    EXPECT_EQ(DCardWindowsMask(1, reinterpret_cast<HWND>(0x7777), &target), 1);
}

} // namespace
