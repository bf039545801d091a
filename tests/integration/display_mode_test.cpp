// How the overlay finds the display's mode and how opening a card finds the
// primary surface, against the stand-in's display, ddraw.dll and helper.
#include <atomic>
#include <thread>
#include <vector>

#include <saa7146/dcard.h>

#include "api/card_table.h"
#include "platform/posix/control.h"
#include "support/harness.h"
#include "support/requests.h"

namespace {

using driver::OverlayRequest;

class DisplayModeTest : public CardTest {
protected:
    void open()
    {
        ASSERT_EQ(DCardInit(0), 1);
        sim::card(0).clearRequests();
    }

    static OverlayRequest overlayOnce()
    {
        EXPECT_EQ(DCardOverlay(1, 0, nullptr), 1);
        return sim::card(0).overlay();
    }

    static int ddrawLoads() { return standin::moduleCounts("ddraw.dll").loads; }

    static void expectFields(const OverlayRequest& r, int32_t bits, int32_t bytes, int32_t pitch,
                             int32_t width, int32_t height)
    {
        EXPECT_EQ(r.bitsPerPixel, bits);
        EXPECT_EQ(r.bytesPerPixel, bytes);
        EXPECT_EQ(r.bytesPerLine, pitch);
        EXPECT_EQ(r.width, width);
        EXPECT_EQ(r.height, height);
    }

    static std::vector<driver::SetDriverParamRequest> parameterFives()
    {
        std::vector<driver::SetDriverParamRequest> found;
        for (const auto& set : harness::sent<driver::SetDriverParamRequest>())
            if (set.param == 5)
                found.push_back(set);
        return found;
    }
};

TEST_F(DisplayModeTest, DirectDrawIsAskedOncePerDisplayMode)
{
    standin::setDisplayMode({800, 600, 16, 60});
    standin::DirectDrawSettings directDraw;
    directDraw.pitch = 2048; // DirectDraw's pitch wins over width x bytes
    standin::setDirectDraw(directDraw);
    open();
    int loads = ddrawLoads();
    expectFields(overlayOnce(), 16, 2, 2048, 800, 600);
    EXPECT_EQ(ddrawLoads(), loads + 1);
    expectFields(overlayOnce(), 16, 2, 2048, 800, 600);
    EXPECT_EQ(ddrawLoads(), loads + 1) << "the same mode comes from the cache";

    // Another card in the same mode shares the cache.
    harness::resetAll(2);
    standin::setDisplayMode({800, 600, 16, 60});
    standin::setDirectDraw(directDraw);
    ASSERT_EQ(DCardInit(0), 1);
    ASSERT_EQ(DCardInit(1), 2);
    ASSERT_EQ(DCardOverlay(1, 0, nullptr), 1);
    loads = ddrawLoads();
    ASSERT_EQ(DCardOverlay(2, 0, nullptr), 1);
    EXPECT_EQ(ddrawLoads(), loads);
    EXPECT_EQ(sim::card(1).overlay().bytesPerLine, 2048);

    // A new mode is asked again, by the card that held ddraw.dll before:
    // it loads the library again rather than call into a released one.
    standin::setDisplayMode({1280, 1024, 15, 75});
    directDraw.pitch = 0;
    standin::setDirectDraw(directDraw);
    expectFields(overlayOnce(), 15, 1, 1280 * 2, 1280, 1024);
    EXPECT_EQ(ddrawLoads(), loads + 1);
    standin::ModuleCounts counts = standin::moduleCounts("ddraw.dll");
    EXPECT_EQ(counts.loads, counts.releases) << "nothing stays loaded";
    EXPECT_EQ(standin::directDrawCounts().liveObjects, 0);
    EXPECT_EQ(standin::directDrawCounts().lastCooperativeFlags, 8u);
}

TEST_F(DisplayModeTest, DirectDrawFailuresFallBackToTheDisplaySettings)
{
    struct Case {
        const char* what;
        bool noModule, noEntry;
        standin::DirectDrawSettings directDraw;
        bool triesAgain; // whether the next mode loads ddraw.dll again
    };
    standin::DirectDrawSettings create, cooperative, surface, describe;
    create.createFails = true;
    cooperative.cooperativeFails = true;
    surface.createSurfaceFails = true;
    describe.describeFails = true;
    for (auto& s : {&create, &cooperative, &surface, &describe})
        s->pitch = 4000; // never seen: DirectDraw does not answer
    const Case cases[] = {
        {"no ddraw.dll", true, false, {}, false},
        {"no DirectDrawCreate", false, true, {}, false},
        {"DirectDrawCreate fails", false, false, create, true},
        {"SetCooperativeLevel fails", false, false, cooperative, true},
        {"CreateSurface fails", false, false, surface, true},
        {"GetSurfaceDesc fails", false, false, describe, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        harness::resetAll();
        standin::setDisplayMode({640, 480, 24, 60});
        standin::setModuleAvailable("ddraw.dll", !c.noModule);
        standin::setModuleExportMissing("ddraw.dll", "DirectDrawCreate", c.noEntry);
        standin::setDirectDraw(c.directDraw);
        open();
        expectFields(overlayOnce(), 24, 3, 640 * 3, 640, 480);
        // The failed mode keeps its settings values without asking again.
        int loads = ddrawLoads();
        expectFields(overlayOnce(), 24, 3, 640 * 3, 640, 480);
        EXPECT_EQ(ddrawLoads(), loads);
        standin::setDisplayMode({1024, 768, 32, 60});
        standin::setModuleAvailable("ddraw.dll", true);
        standin::setModuleExportMissing("ddraw.dll", "DirectDrawCreate", false);
        standin::setDirectDraw({});
        overlayOnce();
        EXPECT_EQ(ddrawLoads(), loads + (c.triesAgain ? 1 : 0))
            << "a card whose first load failed keeps to the settings";
        standin::ModuleCounts counts = standin::moduleCounts("ddraw.dll");
        EXPECT_EQ(counts.loads, counts.releases);
        EXPECT_EQ(standin::directDrawCounts().liveObjects, 0);
    }
}

TEST_F(DisplayModeTest, UnreadableDisplaySettingsSendNothing)
{
    open();
    standin::setDisplaySettingsFail(true);
    EXPECT_EQ(DCardOverlay(1, 0, nullptr), 0);
    EXPECT_EQ(harness::sentCount(driver::Overlay), 0u);
}

TEST_F(DisplayModeTest, OpeningHandsThePrimarySurfaceToTheDriver)
{
    standin::setModuleAvailable("TavHelpr.dll", true);
    standin::TavHelperSettings helper;
    helper.initResults[3] = 0x77;
    helper.translateFrom = 2;
    helper.physical = 0xE0001000;
    standin::setTavHelper(helper);
    open();
    harness::closeAllCards();
    sim::card(0).clearRequests();
    ASSERT_EQ(DCardInit(0), 1);
    EXPECT_EQ(sim::card(0).driverParam(0, 5), int32_t(0xE0001000));
    auto fives = parameterFives();
    ASSERT_EQ(fives.size(), 1u);
    EXPECT_EQ(fives[0].camera, 1);

    // The helper opened at the first index that answered, translated the
    // locked surface's address from number 1 on, and was closed with what it
    // opened with.
    std::vector<std::string> calls;
    uint32_t surface = standin::primarySurfaceAddress();
    for (const auto& call : standin::helperCalls()) {
        if (call.function == "TavHelperVirt2Phys") {
            EXPECT_EQ(call.arguments[1], surface);
        }
        calls.push_back(call.function + " " + std::to_string(call.arguments[0]));
    }
    std::vector<std::string> expected = {"TavHelperInit 0", "TavHelperInit 1", "TavHelperInit 2",
                                         "TavHelperInit 3", "TavHelperVirt2Phys 1",
                                         "TavHelperVirt2Phys 2", "TavHelperExit 119"};
    ASSERT_GE(calls.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(calls.end() - expected.size(), calls.end()), expected);
    standin::DirectDrawCounts counts = standin::directDrawCounts();
    EXPECT_EQ(counts.locks, counts.unlocks);
    EXPECT_EQ(counts.liveObjects, 0);
    EXPECT_EQ(standin::moduleCounts("TavHelpr.dll").loads,
              standin::moduleCounts("TavHelpr.dll").releases);
}

TEST_F(DisplayModeTest, OpeningSucceedsWithoutParameterFive)
{
    standin::DirectDrawSettings lockFails;
    lockFails.lockFails = true;
    standin::TavHelperSettings noInit; // every TavHelperInit fails
    noInit.translateFrom = 0;
    struct Case {
        const char* what;
        bool ddraw, helper;
        standin::DirectDrawSettings directDraw;
    };
    const Case cases[] = {
        {"no ddraw.dll", false, true, {}},
        {"Lock fails", true, true, lockFails},
        {"no TavHelpr.dll", true, false, {}},
        {"no translation", true, true, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        harness::resetAll();
        standin::setModuleAvailable("ddraw.dll", c.ddraw);
        standin::setModuleAvailable("TavHelpr.dll", c.helper);
        standin::setDirectDraw(c.directDraw);
        standin::setTavHelper(noInit);
        ASSERT_EQ(DCardInit(0), 1);
        EXPECT_TRUE(parameterFives().empty());
        EXPECT_EQ(standin::directDrawCounts().liveObjects, 0);
        EXPECT_EQ(standin::directDrawCounts().locks, standin::directDrawCounts().unlocks);
    }
    // With every TavHelperInit failing, numbers 1 to 9 are still tried, and
    // no TavHelperExit is called.
    std::vector<std::string> calls;
    for (const auto& call : standin::helperCalls())
        calls.push_back(call.function + " " + std::to_string(call.arguments[0]));
    std::vector<std::string> expected;
    for (int i = 0; i < 10; ++i)
        expected.push_back("TavHelperInit " + std::to_string(i));
    for (int n = 1; n <= 9; ++n)
        expected.push_back("TavHelperVirt2Phys " + std::to_string(n));
    EXPECT_EQ(calls, expected);
}

// Two cards overlay at once on two threads while the display mode changes
// under them: every request carries one mode's values, never a mix.
TEST_F(DisplayModeTest, ThreadsShareTheCacheWithoutTearing)
{
    harness::resetAll(2);
    ASSERT_EQ(DCardInit(0), 1);
    ASSERT_EQ(DCardInit(1), 2);
    std::atomic<bool> stop{false};
    std::atomic<int> torn{0};
    auto overlays = [&](int handle) {
        for (int i = 0; i < 200 && !stop; ++i) {
            DCardOverlay(handle, 0, nullptr);
            OverlayRequest r = sim::card(handle - 1).overlay();
            bool small = r.width == 640 && r.height == 480 && r.bitsPerPixel == 16 &&
                         r.bytesPerLine == 1280;
            bool large = r.width == 1024 && r.height == 768 && r.bitsPerPixel == 32 &&
                         r.bytesPerLine == 4096;
            torn += !(small || large);
        }
    };
    std::thread first(overlays, 1), second(overlays, 2);
    for (int i = 0; i < 100; ++i) {
        standin::setDisplayMode(i % 2 ? standin::DisplayMode{640, 480, 16, 60}
                                      : standin::DisplayMode{1024, 768, 32, 60});
        std::this_thread::yield();
    }
    stop = true;
    first.join();
    second.join();
    EXPECT_EQ(torn.load(), 0);
}

} // namespace
