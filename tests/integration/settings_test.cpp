// The INI settings that every open reads, and test mode.
#include <cstring>
#include <string>

#include "api/card_table.h"
#include "card/switches.h"
#include "card/test_sources.h"
#include "device_files.h"
#include "support/harness.h"

namespace {

class SettingsTest : public CardTest {};

constexpr char kNotice[] =
    "Test mode SAA7146.DLL\nYou may set this feature in SAA7146.INI/[Settings]/Debug=1|0";

TEST_F(SettingsTest, WithoutAnIniFileTheCardOpensThroughTheDriver)
{
    testMode = true;
    logEnabled = true;
    ASSERT_EQ(DCardInit(0), 1);
    EXPECT_FALSE(testMode.load());
    EXPECT_FALSE(logEnabled.load());
    EXPECT_EQ(sim::deviceCalls().opens, 1);
    EXPECT_TRUE(harness::messageBoxes().empty());
}

TEST_F(SettingsTest, TestModeOpensCardZeroWithoutADriver)
{
    harness::resetAll(2);
    harness::writeIni("Debug", 1);
    EXPECT_EQ(DCardInit(1), 0);
    ASSERT_EQ(DCardInit(0), 1);
    EXPECT_TRUE(testMode.load());
    int type = 0;
    EXPECT_EQ(DCardGetDecoderType(1, &type), 1);
    EXPECT_EQ(type, 2);
    DCardParam param = {};
    param.size = sizeof(param);
    ASSERT_EQ(DCardGetParamEx(1, &param), 1);
    EXPECT_EQ(param.frameMemory, 0u);
    EXPECT_EQ(param.frameMemorySize, 0x480000u);
    EXPECT_EQ(cardTable().cards[0].device, reinterpret_cast<HANDLE>(1));
    EXPECT_EQ(DCardExit(1), 1);
    sim::DeviceCalls calls = sim::deviceCalls();
    EXPECT_EQ(calls.opens + calls.controls + calls.closes, 0) << "test mode makes no device call";
}

TEST_F(SettingsTest, NoticeOnlyWhenDisplayDialogIsOne)
{
    harness::writeIni("Debug", 1);
    ASSERT_EQ(DCardInit(0), 1);
    auto boxes = harness::messageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "SAA7146.DLL");
    EXPECT_EQ(boxes[0].text, kNotice);

    const struct {
        const char* value;
        size_t notices;
    } cases[] = {{"2", 0}, {"0", 0}, {"-1", 0}, {"01x", 1}, {" 1", 1}};
    for (const auto& c : cases) {
        harness::resetAll();
        harness::writeIni("Debug", 1);
        harness::writeIni("DisplayDialog", c.value);
        ASSERT_EQ(DCardInit(0), 1);
        EXPECT_EQ(harness::messageBoxes().size(), c.notices) << c.value;
    }
}

TEST_F(SettingsTest, AnyNonZeroDebugOrLogSwitchesOn)
{
    harness::writeIni("Debug", 2);
    harness::writeIni("Log", -1);
    harness::writeIni("DisplayDialog", 0);
    ASSERT_EQ(DCardInit(0), 1);
    EXPECT_TRUE(testMode.load());
    EXPECT_TRUE(logEnabled.load());
    // The switches are global and follow the next open of any card.
    harness::writeIni("Debug", 0);
    harness::writeIni("Log", "0x0");
    EXPECT_EQ(DCardInit(1), 0);
    EXPECT_FALSE(testMode.load());
    EXPECT_FALSE(logEnabled.load());
}

TEST_F(SettingsTest, CameraSourcesAreReadOnlyInTestMode)
{
    harness::writeIni("Debug", 1);
    harness::writeIni("DisplayDialog", 0);
    harness::writeIni("CamPath3", "C:\\frames");
    harness::writeIni("CamPath4", "C:\\frames\\");
    harness::writeIni("CamFormat3", "cam%03d");
    harness::writeIni("CamCounterStart0", 100);
    ASSERT_EQ(DCardInit(0), 1);
    {
        TestSources& sources = testSources();
        EXPECT_STREQ(sources.cameras[3].camPath, "C:\\frames\\");
        EXPECT_STREQ(sources.cameras[4].camPath, "C:\\frames\\");
        EXPECT_STREQ(sources.cameras[5].camPath, "");
        EXPECT_STREQ(sources.cameras[3].camFormat, "cam%03d");
        EXPECT_STREQ(sources.cameras[0].camFormat, "%08d");
        EXPECT_EQ(sources.cameras[0].camCounterStart, 100);
        EXPECT_EQ(sources.cameras[0].camCounter, 100);
        sources.cameras[0].camCounter = 105;
    }
    // Debug 0: the camera keys are not read; the counters stay as they were.
    harness::writeIni("Debug", 0);
    EXPECT_EQ(DCardInit(1), 0);
    TestSources& sources = testSources();
    EXPECT_STREQ(sources.cameras[3].camPath, "");
    EXPECT_STREQ(sources.cameras[3].camFormat, "%08d");
    EXPECT_EQ(sources.cameras[0].camCounterStart, 0);
    EXPECT_EQ(sources.cameras[0].camCounter, 105);
}

TEST_F(SettingsTest, LongValuesAreCutAndTheSeparatorStillFits)
{
    harness::writeIni("Debug", 1);
    harness::writeIni("DisplayDialog", 0);
    std::string longPath(300, 'p');
    std::string longFormat(60, 'f');
    harness::writeIni("CamPath1", longPath.c_str());
    harness::writeIni("CamFormat1", longFormat.c_str());
    ASSERT_EQ(DCardInit(0), 1);
    TestSources& sources = testSources();
    EXPECT_EQ(std::string(sources.cameras[1].camPath), std::string(254, 'p') + "\\");
    EXPECT_EQ(std::string(sources.cameras[1].camFormat), std::string(38, 'f'));
}

TEST_F(SettingsTest, CloseInTestModeDoesNotCloseAHandle)
{
    harness::writeIni("Debug", 1);
    harness::writeIni("DisplayDialog", 0);
    ASSERT_EQ(DCardInit(0), 1);
    EXPECT_EQ(DCardExit(1), 1);
    EXPECT_EQ(sim::deviceCalls().closes, 0);
    // A card opened through the driver is closed through it even when another
    // open has switched test mode on meanwhile.
    harness::resetAll(2);
    ASSERT_EQ(DCardInit(0), 1);
    harness::writeIni("Debug", 1);
    harness::writeIni("DisplayDialog", 0);
    EXPECT_EQ(DCardInit(1), 0);
    ASSERT_TRUE(testMode.load());
    EXPECT_EQ(DCardExit(1), 1);
    EXPECT_EQ(sim::deviceCalls().closes, 1);
    EXPECT_EQ(sim::openDeviceCount(), 0);
}

} // namespace
