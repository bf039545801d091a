// The capture interface: dialog types, settings loaded from the registry,
// the capture format, key paths, message texts and the register sets.
#include <cstring>

#include <saa7146/tavdig.h>

#include "dialog_fixture.h"
#include "resources/resource_ids.h"
#include "virtual_card.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID);

namespace {

using CaptureTest = DialogTest;

TEST_F(CaptureTest, SettingsFromTheRegistryAndTheCaptureFormat)
{
    struct Row {
        std::vector<std::pair<const char*, int32_t>> stored;
        int32_t camera, signal, width, height, bits, yuv, square, picMode, imageSize;
        DWORD type = REG_DWORD; // of every stored value
    };
    const Row rows[] = {
        {{}, 0, 3, 768, 576, 15, 0, 1, 0, 884736},
        {{{"CX", 640}, {"Camera", 2}}, 0, 3, 768, 576, 15, 0, 1, 0, 884736, REG_BINARY},
        {{{"CX", 640}}, 0, 3, 768, 576, 15, 0, 1, 0, 884736, REG_SZ},
        {{{"Picmode", 5}, {"Camera", 12}}, 12, 3, 768, 576, 15, 0, 1, 0, 884736},
        {{{"Picmode", -1}}, 0, 3, 768, 576, 15, 0, 1, 0, 884736},
        {{{"Picmode", 2}, {"SignalType", 9}}, 0, 9, 768, 576, 15, 0, 1, 2, 884736},
        {{{"CX", 640}, {"CY", 480}, {"BitsPerPixel", 24}}, 0, 3, 640, 480, 24, 0, 1, 0, 921600},
        {{{"YUV", 1}, {"BitsPerPixel", 16}}, 0, 3, 768, 576, 16, 1, 1, 0, 884736},
        {{{"BitsPerPixel", 32}, {"SquarePixel", 0}}, 0, 3, 768, 576, 32, 0, 0, 0, 1769472},
        {{{"BitsPerPixel", 8}, {"CX", 128}, {"CY", 96}}, 0, 3, 128, 96, 8, 0, 1, 0, 12288},
    };
    for (const Row& row : rows) {
        SetUp();
        for (const auto& [name, value] : row.stored)
            store(name, value, nullptr, kSettingsKey, row.type);
        EXPECT_EQ(TavDigDialog(nullptr, TAVDIG_NONE, nullptr), 0) << "loads, but shows nothing";
        const DigDialogState& state = dialogState();
        EXPECT_EQ(state.signalType, row.signal);
        EXPECT_EQ(state.squarePixel, row.square);
        EXPECT_EQ(state.picMode, row.picMode);
        TavDigVFWMode mode{};
        mode.size = sizeof(mode);
        EXPECT_EQ(TavDigGetVFWMode(&mode), 1);
        EXPECT_EQ(mode.size, 28u);
        EXPECT_EQ(mode.camera, row.camera);
        EXPECT_EQ(mode.width, row.width);
        EXPECT_EQ(mode.height, row.height);
        EXPECT_EQ(mode.bitsPerPixel, row.bits);
        EXPECT_EQ(mode.yuv, row.yuv);
        EXPECT_EQ(mode.imageSize, row.imageSize) << row.width << "x" << row.height << "x" << row.bits;
        EXPECT_TRUE(harness::shownDialogs().empty()) << "type 4 has no template";
    }
}

TEST_F(CaptureTest, CaptureFormatCopiesOnlyWhatTheCallerOffers)
{
    store("CX", 640);
    store("CY", 480);
    TavDigDialog(nullptr, TAVDIG_NONE, nullptr);
    for (uint32_t offered : {0u, 3u, 4u, 12u, 27u, 28u, 29u, 100u}) {
        uint8_t bytes[64];
        memset(bytes, 0xAB, sizeof(bytes));
        memcpy(bytes, &offered, 4);
        EXPECT_EQ(TavDigGetVFWMode(reinterpret_cast<TavDigVFWMode*>(bytes)), 1);
        uint32_t copied = offered < 28 ? offered : 28;
        uint32_t size;
        memcpy(&size, bytes, 4);
        EXPECT_EQ(size, offered < 28 ? offered : 28u) << offered;
        for (uint32_t i = std::max(copied, 4u); i < sizeof(bytes); ++i)
            ASSERT_EQ(bytes[i], 0xAB) << "byte " << i << " written for a size of " << offered;
        if (offered >= 12) {
            int32_t height;
            memcpy(&height, bytes + 8, 4);
            EXPECT_EQ(height, 480);
        }
    }
    EXPECT_EQ(TavDigGetVFWMode(nullptr), 0);
}

// Type 4 has no template: nothing can be shown, which is a failure, however
// the last dialog ended; other types outside 1, 2, 4 and 7 are refused
// before anything is read. Only OK is a yes.
TEST_F(CaptureTest, DialogTypesAndTheirResults)
{
    store("CX", 320);
    for (int refused : {0, 3, 5, 6, 8, -1, 0x7FFFFFFF}) {
        EXPECT_EQ(TavDigDialog(nullptr, refused, nullptr), 0) << refused;
        EXPECT_EQ(dialogState().width, 768) << "type " << refused << " read the registry";
    }
    EXPECT_TRUE(harness::shownDialogs().empty());

    EXPECT_EQ(TavDigDialog(nullptr, TAVDIG_NONE, nullptr), 0) << "right after loading";
    EXPECT_EQ(dialogState().width, 320) << "the settings are loaded all the same";
    EXPECT_EQ(TavDigDialog(nullptr, TAVDIG_FORMAT, nullptr), 0) << "closed with its close box";
    ASSERT_EQ(harness::shownDialogs().size(), 1u);
    EXPECT_EQ(harness::shownDialogs()[0].templateId, IDD_FORMAT);
    EXPECT_EQ(dialogState().cancelFlag, 1);
    drive([](HWND dialog, int) {
        harness::clickControl(dialog, IDOK);
        return true;
    });
    EXPECT_EQ(TavDigDialog(nullptr, TAVDIG_FORMAT, nullptr), 1);
    EXPECT_EQ(TavDigDialog(nullptr, TAVDIG_NONE, nullptr), 0) << "after a confirmed dialog too";
}

// A host's key replaces the default one whole; an empty one is the default;
// a key that does not fit the key path is refused, not cut.
TEST_F(CaptureTest, KeyPathOfTheHost)
{
    const char* own = "Software\\Host\\Capture";
    store("CX", 320, nullptr, own);
    store("CX", 512);
    drive([](HWND dialog, int) {
        harness::clickControl(dialog, IDOK);
        return true;
    });
    EXPECT_EQ(TavDigDialog(nullptr, TAVDIG_FORMAT, own), 1);
    int32_t value = 0;
    EXPECT_TRUE(stored("CY", value, nullptr, own));
    EXPECT_EQ(value, 240) << "320 with the 4:3 option";
    EXPECT_FALSE(stored("CY", value)) << "nothing written under the default key";
    EXPECT_EQ(TavDigDialog(nullptr, TAVDIG_NONE, ""), 0);
    EXPECT_EQ(dialogState().width, 512);

    std::string longest(127, 'k');
    std::string tooLong(128, 'k');
    store("CX", 384, nullptr, longest.c_str());
    EXPECT_EQ(TavDigDialog(nullptr, TAVDIG_NONE, longest.c_str()), 0);
    EXPECT_EQ(dialogState().width, 384);
    EXPECT_STREQ(dialogState().KeyPath, longest.c_str());
    harness::clearShownDialogs();
    EXPECT_EQ(TavDigDialog(nullptr, TAVDIG_FORMAT, tooLong.c_str()), 0);
    EXPECT_TRUE(harness::shownDialogs().empty());
    EXPECT_STREQ(dialogState().KeyPath, longest.c_str()) << "a refused key changes nothing";
}

TEST_F(CaptureTest, CaptureWithoutACardSaysSoInTheUsersLanguage)
{
    struct Row {
        const char* locale;
        const char* text;
    };
    const Row rows[] = {
        {nullptr, "Cannot open digitcard !"},
        {"hu_HU.UTF-8", "A digitaliz\xE1l\xF3 k\xE1rtya megnyit\xE1sa nem siker\xFClt!"},
        {"en_GB.UTF-8", "Cannot open digitcard !"},
    };
    for (const Row& row : rows) {
        SetUp();
        sim::Fault refused;
        refused.kind = sim::Fault::CallFails;
        refused.remaining = 1000;
        sim::card(0).injectFault(refused); // the driver answers nothing: no card opens
        if (row.locale)
            harness::setLanguage(row.locale);
        int blocks = harness::globalBlocks();
        HWND owner = harness::makeWindow({0, 0, 100, 100});
        EXPECT_EQ(TavDigCapture(owner), nullptr);
        auto boxes = harness::messageBoxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, row.text);
        EXPECT_EQ(boxes[0].caption, "Frame grabber") << "the caption is loaded with the library";
        EXPECT_EQ(boxes[0].owner, owner);
        EXPECT_EQ(boxes[0].type, MB_OK | MB_ICONEXCLAMATION);
        EXPECT_EQ(harness::globalBlocks(), blocks);
        EXPECT_EQ(dialogGlobals().previewFrame, nullptr);
        EXPECT_TRUE(harness::shownDialogs().empty());
        harness::setLanguage(nullptr);
    }
}

// Loading calls nothing of the window system: the picture window's class
// is registered by the first dialog and goes at unload, with the cards left
// open; the caption comes with the first message.
TEST_F(CaptureTest, LoadedWithTheLibrary)
{
    HINSTANCE instance = harness::libraryInstance();
    ASSERT_NE(instance, nullptr);
    EXPECT_EQ(dialogGlobals().instance, instance);
    WNDCLASSA picture;
    EXPECT_EQ(TavDigDialog(nullptr, TAVDIG_FULL, nullptr), 0) << "closed with its close box";
    ASSERT_TRUE(GetClassInfoA(nullptr, "SAA7146Pic", &picture)) << "a global class";
    EXPECT_EQ(picture.style, 0x408Bu);
    EXPECT_NE(picture.hCursor, nullptr);

    ASSERT_EQ(DCardInit(0), 1);
    EXPECT_TRUE(DllMain(instance, DLL_PROCESS_DETACH, nullptr)) << "as FreeLibrary";
    EXPECT_FALSE(GetClassInfoA(nullptr, "SAA7146Pic", &picture));
    EXPECT_EQ(DCardExit(1), 0) << "closed at unload";
    EXPECT_TRUE(DllMain(instance, DLL_PROCESS_ATTACH, nullptr));
    EXPECT_TRUE(DllMain(instance, DLL_THREAD_ATTACH, nullptr));
    EXPECT_FALSE(GetClassInfoA(nullptr, "SAA7146Pic", &picture)) << "not at load";
}

// Register sets are applied when a dialog opens, to the open card, for the
// values stored and no others.
TEST_F(CaptureTest, StoredRegisterSetsAreAppliedOnLoad)
{
    ASSERT_EQ(DCardInit(0), 1);
    DCardRegInfo first{}, second{};
    first.size = second.size = sizeof(DCardRegInfo);
    ASSERT_TRUE(DCardGetRegInfoEx(1, 0, &first));
    ASSERT_TRUE(DCardGetRegInfoEx(1, 1, &second));
    int32_t firstValue = first.defValue ^ 1, secondValue = second.defValue ^ 1;
    store(first.name, firstValue, "RegSet3");
    ASSERT_TRUE(DCardSetReg(1, 3, static_cast<int>(second.regNum), secondValue));
    ASSERT_TRUE(DCardSetReg(1, 4, static_cast<int>(first.regNum), first.defValue));
    EXPECT_EQ(TavDigDialog(nullptr, TAVDIG_NONE, nullptr), 0);
    int value = 0;
    EXPECT_TRUE(DCardGetReg(1, 3, static_cast<int>(first.regNum), &value));
    EXPECT_EQ(value, firstValue) << "stored for camera 3";
    EXPECT_TRUE(DCardGetReg(1, 3, static_cast<int>(second.regNum), &value));
    EXPECT_EQ(value, secondValue) << "not stored: left alone";
    EXPECT_TRUE(DCardGetReg(1, 4, static_cast<int>(first.regNum), &value));
    EXPECT_EQ(value, first.defValue) << "camera 4 has no register set";
    DCardExit(1);
}

} // namespace
