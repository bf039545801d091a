// The overlay, the caller-driven overlay and physical addresses, as the card
// receives them. Runs the same over the stand-in and under Wine, where the
// display fields come from the real system.
#include <cstring>
#include <string>
#include <vector>

#include <saa7146/dcard.h>

#include "support/harness.h"
#include "support/requests.h"

namespace {

using driver::OverlayExRequest;
using driver::OverlayRequest;

class OverlayTest : public CardTest {
protected:
    void open(uint32_t boardType = 0)
    {
        sim::CardSettings settings = sim::card(0).settings();
        settings.boardType = boardType;
        sim::card(0).configure(settings);
        ASSERT_EQ(DCardInit(0), 1);
        sim::card(0).clearRequests();
    }

    void openInTestMode()
    {
        harness::writeIni("Debug", 1);
        harness::writeIni("DisplayDialog", 0);
        ASSERT_EQ(DCardInit(0), 1);
        sim::card(0).clearRequests();
    }
};

TEST_F(OverlayTest, CameraFieldAndRectangle)
{
    const RECT rect = {10, 20, 394, 308};
    struct Case {
        uint32_t boardType;
        int camera;
        const RECT* rect;
        int32_t cameraField;
    };
    const Case cases[] = {
        {0, 0, &rect, 1},      {0, 3, &rect, 4},       {0, -1, &rect, 0},
        {0, -7, nullptr, 0},   {0x200, 3, &rect, 1},   {0x200, 0, nullptr, 1},
        {0x200, -1, &rect, 0}, {0x201, 3, &rect, 4},
    };
    for (const Case& c : cases) {
        harness::closeAllCards();
        open(c.boardType);
        ASSERT_EQ(DCardOverlay(1, c.camera, c.rect), 1);
        auto sent = harness::sent<OverlayRequest>();
        ASSERT_EQ(sent.size(), 1u);
        const OverlayRequest& r = sent[0];
        SCOPED_TRACE(testing::Message() << "board type " << c.boardType << ", camera " << c.camera);
        EXPECT_EQ(r.header.size, 76u);
        EXPECT_EQ(r.camera, c.cameraField);
        const RECT expected = c.rect ? *c.rect : RECT{0, 0, 0, 0};
        EXPECT_EQ(r.left, expected.left);
        EXPECT_EQ(r.top, expected.top);
        EXPECT_EQ(r.right, expected.right);
        EXPECT_EQ(r.bottom, expected.bottom);
        EXPECT_EQ(sim::card(0).overlay().camera, c.cameraField) << "the card keeps it";
    }
}

TEST_F(OverlayTest, DisplayFieldsAreTheSystems)
{
    open();
    harness::DisplayFields expected = harness::systemDisplay();
    ASSERT_GT(expected.width, 0);
    // Twice: the second answer comes from the cache and must be the same.
    for (int call = 0; call < 2; ++call) {
        ASSERT_EQ(DCardOverlay(1, 0, nullptr), 1);
        OverlayRequest r = sim::card(0).overlay();
        EXPECT_EQ(r.bitsPerPixel, expected.bitsPerPixel) << call;
        EXPECT_EQ(r.bytesPerPixel, expected.bytesPerPixel) << call;
        EXPECT_EQ(r.bytesPerLine, expected.bytesPerLine) << call;
        EXPECT_EQ(r.width, expected.width) << call;
        EXPECT_EQ(r.height, expected.height) << call;
    }
}

TEST_F(OverlayTest, OverlayExInterleavesTheValues)
{
    struct Case {
        uint32_t boardType;
        int camera;
        int32_t cameraField;
        bool firstSixZero;
    };
    const Case cases[] = {
        {0, 2, 3, false}, {0, -1, 0, true}, {0x200, 5, 1, false}, {0x200, -2, 0, true},
    };
    for (const Case& c : cases) {
        harness::closeAllCards();
        open(c.boardType);
        ASSERT_EQ(DCardOverlayEx(1, c.camera, 11, 12, 13, 14, 15, 16, 17, 18), 1);
        auto sent = harness::sent<OverlayExRequest>();
        ASSERT_EQ(sent.size(), 1u);
        SCOPED_TRACE(testing::Message() << "board type " << c.boardType << ", camera " << c.camera);
        EXPECT_EQ(sent[0].header.size, 72u);
        EXPECT_EQ(sent[0].camera, c.cameraField);
        // Payload order: values 1 4 2 5 7 3 6 8.
        std::vector<int32_t> expected = {11, 14, 12, 15, 17, 13, 16, 18};
        if (c.firstSixZero)
            expected = {0, 0, 0, 0, 17, 0, 0, 18};
        EXPECT_EQ(std::vector<int32_t>(sent[0].values, sent[0].values + 8), expected);
    }
}

TEST_F(OverlayTest, Virt2PhysGoesThroughParameterFour)
{
    open();
    uint32_t memory = 0x5A5A5A5A;
    uint32_t physical = 0;
    ASSERT_EQ(DCardVirt2Phys(1, &memory, &physical), 1);
    const auto address = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&memory));
    EXPECT_EQ(physical, address + sim::card(0).settings().physicalOffset);
    EXPECT_EQ(sim::card(0).translations(), std::vector<uint32_t>{address})
        << "the driver got the caller's own memory";
    auto set = harness::sent<driver::SetDriverParamRequest>();
    ASSERT_EQ(set.size(), 1u);
    EXPECT_EQ(set[0].camera, 1);
    EXPECT_EQ(set[0].param, 4);
    EXPECT_EQ(set[0].value, 0) << "cleared before the translation";
    auto get = harness::sent<driver::GetDriverParamRequest>();
    ASSERT_EQ(get.size(), 1u);
    EXPECT_EQ(get[0].param, 4);

    // A driver that leaves parameter 4 alone: 0, and 0 stored.
    sim::CardSettings settings = sim::card(0).settings();
    settings.translateAddresses = false;
    harness::closeAllCards();
    sim::card(0).configure(settings);
    ASSERT_EQ(DCardInit(0), 1);
    physical = 0xFFFFFFFF;
    EXPECT_EQ(DCardVirt2Phys(1, &memory, &physical), 0);
    EXPECT_EQ(physical, 0u);
}

TEST_F(OverlayTest, Virt2PhysFailures)
{
    open();
    uint32_t memory = 0;
    uint32_t physical = 7;
    // Null pointers are refused before anything is sent.
    EXPECT_EQ(DCardVirt2Phys(1, nullptr, &physical), 0);
    EXPECT_EQ(DCardVirt2Phys(1, &memory, nullptr), 0);
    EXPECT_EQ(sim::card(0).requests().size(), 0u);
    EXPECT_EQ(physical, 7u);
    EXPECT_EQ(DCardVirt2Phys(0, &memory, &physical), 0);
    EXPECT_EQ(DCardVirt2Phys(2, &memory, &physical), 0);

    // The clearing refused, the translation failing or answering short.
    struct Case {
        sim::Fault fault;
        const char* what;
    };
    sim::Fault clearing;
    clearing.code = driver::SetDriverParam;
    sim::Fault failing;
    failing.kind = sim::Fault::CallFails;
    failing.code = sim::kTranslationFaultCode;
    sim::Fault shortCount = failing;
    shortCount.kind = sim::Fault::ShortCount;
    shortCount.shortBy = 1;
    sim::Fault readBack;
    readBack.code = driver::GetDriverParam;
    for (const Case& c : {Case{clearing, "clearing"}, Case{failing, "translation fails"},
                          Case{shortCount, "3 bytes returned"}, Case{readBack, "read back"}}) {
        sim::card(0).injectFault(c.fault);
        physical = 7;
        EXPECT_EQ(DCardVirt2Phys(1, &memory, &physical), 0) << c.what;
        EXPECT_EQ(physical, 7u) << c.what;
        sim::card(0).clearFaults();
    }
}

TEST_F(OverlayTest, Virt2PhysOnTheOlderFamilyOnlyClearsParameterFour)
{
    SKIP_WITHOUT_OLDER_FAMILY();
    harness::setOs("Windows_95");
    open();
    uint32_t memory = 0;
    uint32_t physical = 7;
    EXPECT_EQ(DCardVirt2Phys(1, &memory, &physical), 0);
    EXPECT_EQ(physical, 7u);
    auto set = harness::sent<driver::SetDriverParamRequest>();
    ASSERT_EQ(set.size(), 1u);
    EXPECT_EQ(set[0].param, 4);
    EXPECT_EQ(set[0].value, 0);
    EXPECT_TRUE(sim::card(0).translations().empty());
}

TEST_F(OverlayTest, TestModeSendsNothing)
{
    openInTestMode();
    const RECT rect = {0, 0, 64, 48};
    EXPECT_EQ(DCardOverlay(1, 0, &rect), 1);
    EXPECT_EQ(DCardOverlay(1, -1, nullptr), 1);
    EXPECT_EQ(DCardOverlayEx(1, 0, 1, 2, 3, 4, 5, 6, 7, 8), 1);
    uint32_t memory = 0;
    uint32_t physical = 7;
    EXPECT_EQ(DCardVirt2Phys(1, &memory, &physical), 0) << "no driver to translate";
    EXPECT_EQ(sim::card(0).requests().size(), 0u);
    EXPECT_TRUE(sim::card(0).translations().empty());
}

// Opening a card finds the primary surface, has the maker's helper translate
// its address, and gives the result to the driver as parameter 5.
TEST_F(OverlayTest, OpeningHandsThePrimarySurfaceToTheDriver)
{
    const uint32_t inits[10] = {0, 0, 0, 0x77};
    harness::setTavHelper(inits, 2, 0xE0001000);
    ASSERT_EQ(DCardInit(0), 1);
    EXPECT_EQ(sim::card(0).driverParam(0, 5), int32_t(0xE0001000));
    // The first index that opens it, numbers from 1 on, and the exit with
    // what the opening gave.
    std::vector<std::string> expected = {"TavHelperInit 0",      "TavHelperInit 1",
                                         "TavHelperInit 2",      "TavHelperInit 3",
                                         "TavHelperVirt2Phys 1", "TavHelperVirt2Phys 2",
                                         "TavHelperExit 119"};
    EXPECT_EQ(harness::tavHelperCalls(), expected);
}

TEST_F(OverlayTest, OpeningWithoutATranslationLeavesParameterFive)
{
    const uint32_t none[10] = {};
    harness::setTavHelper(none, 0, 0);
    ASSERT_EQ(DCardInit(0), 1);
    for (const auto& set : harness::sent<driver::SetDriverParamRequest>())
        EXPECT_NE(set.param, 5);
    // Every TavHelperInit failing: numbers 1 to 9 are still tried, and no
    // TavHelperExit follows.
    std::vector<std::string> expected;
    for (int i = 0; i < 10; ++i)
        expected.push_back("TavHelperInit " + std::to_string(i));
    for (int n = 1; n <= 9; ++n)
        expected.push_back("TavHelperVirt2Phys " + std::to_string(n));
    EXPECT_EQ(harness::tavHelperCalls(), expected);
}

TEST_F(OverlayTest, ClosedCardsRefuseEverything)
{
    const RECT rect = {0, 0, 1, 1};
    uint32_t memory = 0, physical = 0;
    for (int handle : {0, 1, 10, 11, -1}) {
        EXPECT_EQ(DCardOverlay(handle, 0, &rect), 0) << handle;
        EXPECT_EQ(DCardOverlayEx(handle, 0, 1, 2, 3, 4, 5, 6, 7, 8), 0) << handle;
        EXPECT_EQ(DCardVirt2Phys(handle, &memory, &physical), 0) << handle;
    }
}

} // namespace
