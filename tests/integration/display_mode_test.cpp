// How the overlay finds the display's mode and how opening a card finds the
// primary surface, against the stand-in's display, ddraw.dll and helper.
#include <atomic>
#include <chrono>
#include <memory>
#include <string>
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
    void TearDown() override
    {
        EXPECT_EQ(standin::moduleCounts("ddraw.dll").callsWhileUnloaded, 0)
            << "DirectDraw's objects are released before its library";
        CardTest::TearDown();
    }

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
    // Only the depth changes: a new mode all the same.
    standin::setDisplayMode({1280, 1024, 32, 75});
    expectFields(overlayOnce(), 32, 4, 1280 * 4, 1280, 1024);
    EXPECT_EQ(ddrawLoads(), loads + 2);
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

TEST_F(DisplayModeTest, OpeningSucceedsWithoutDirectDraw)
{
    standin::DirectDrawSettings lockFails;
    lockFails.lockFails = true;
    const uint32_t inits[10] = {1};
    for (bool ddraw : {false, true}) {
        harness::resetAll();
        harness::setTavHelper(inits, 1, 0xE0001000);
        standin::setModuleAvailable("ddraw.dll", ddraw);
        standin::setDirectDraw(lockFails);
        ASSERT_EQ(DCardInit(0), 1) << ddraw;
        EXPECT_TRUE(parameterFives().empty()) << ddraw;
        EXPECT_TRUE(harness::tavHelperCalls().empty()) << "no surface address to translate";
        EXPECT_EQ(standin::directDrawCounts().liveObjects, 0);
        EXPECT_EQ(standin::directDrawCounts().locks, standin::directDrawCounts().unlocks);
    }
    if (sizeof(void*) > 4) {
        // The helper takes 32-bit addresses: a surface above 4 GB is not
        // handed to it cut short.
        harness::resetAll();
        harness::setTavHelper(inits, 1, 0xE0001000);
        standin::DirectDrawSettings high;
        high.surfaceAddress = 0x100001000ull;
        standin::setDirectDraw(high);
        ASSERT_EQ(DCardInit(0), 1);
        EXPECT_TRUE(parameterFives().empty()) << "surface above 4 GB";
        EXPECT_TRUE(harness::tavHelperCalls().empty()) << "surface above 4 GB";
    }
    harness::resetAll();
    standin::setModuleAvailable("TavHelpr.dll", false);
    ASSERT_EQ(DCardInit(0), 1);
    EXPECT_TRUE(parameterFives().empty()) << "no helper";
    EXPECT_EQ(standin::directDrawCounts().locks, 1);
    EXPECT_EQ(standin::directDrawCounts().unlocks, 1);
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

namespace {

// ddraw.dll comes from the system's folder and TavHelpr.dll from the
// library's own, and neither is loaded or freed while a lock of ours is
// held or the primary surface is locked: a thread that takes the card
// table's lock and the card's own gets them at every load and free.
TEST_F(DisplayModeTest, LibrariesLoadFromTheirFoldersOutsideOurLocks)
{
    const uint32_t inits[10] = {1};
    harness::setTavHelper(inits, 1, 0xE0001000);
    std::vector<std::string> heldAt;
    standin::setModuleHook([&heldAt](const std::string& name) {
        auto done = std::make_shared<std::atomic<bool>>(false);
        std::thread([done] {
            DCardParam param{};
            param.size = sizeof(param);
            DCardGetParamEx(1, &param);
            int value = 0;
            DCardGetReg(1, 0, 0x70, &value);
            *done = true;
        }).detach();
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (!*done && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (!*done)
            heldAt.push_back(name);
    });
    ASSERT_EQ(DCardInit(0), 1);
    standin::setDisplayMode({800, 600, 16, 60});
    EXPECT_EQ(DCardOverlay(1, 0, nullptr), 1) << "a mode not seen yet: ddraw.dll is asked";
    standin::setModuleHook(nullptr);
    EXPECT_TRUE(heldAt.empty()) << "a lock of ours held while loading or freeing " << heldAt[0];

    standin::ModuleCounts ddraw = standin::moduleCounts("ddraw.dll");
    standin::ModuleCounts helper = standin::moduleCounts("TavHelpr.dll");
    EXPECT_EQ(ddraw.loads, 2);
    EXPECT_EQ(helper.loads, 1);
    EXPECT_EQ(ddraw.loadsWhileSurfaceLocked + helper.loadsWhileSurfaceLocked, 0);
    char system[MAX_PATH];
    ASSERT_GT(GetSystemDirectoryA(system, sizeof(system)), 0u);
    EXPECT_EQ(ddraw.lastPath, std::string(system) + "\\ddraw.dll");
    char own[MAX_PATH];
    ASSERT_GT(GetModuleFileNameA(harness::libraryInstance(), own, sizeof(own)), 0u);
    std::string folder(own);
    folder.resize(folder.find_last_of("\\/") + 1);
    EXPECT_EQ(helper.lastPath, folder + "TavHelpr.dll");
}

} // namespace
