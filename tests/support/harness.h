// What every card test starts from, the same on Linux (over the stand-in)
// and under Wine: cards closed, virtual cards fresh, an INI file of the test's
// own, OS=Windows_NT, and no message boxes seen.
#pragma once

#include <gtest/gtest.h>

#include "platform/platform.h"

#include <string>
#include <vector>

namespace harness {

// Closes every card, resets the virtual cards (count cards answering),
// empties the INI file and the messages seen.
void resetAll(int cards = 1);
void closeAllCards();

// Writes a key of section Settings of SAA7146.INI.
void writeIni(const char* key, const char* value);
void writeIni(const char* key, int value);
void clearIni();

// The environment variable OS as the library sees it; null removes it.
void setOs(const char* value);

// The older driver family exists on 32-bit systems only: a 64-bit build
// opens the newer one whatever OS says.
constexpr bool kOlderFamily = sizeof(void*) == 4;
#define SKIP_WITHOUT_OLDER_FAMILY()                                                   \
    do {                                                                              \
        if (!harness::kOlderFamily)                                                   \
            GTEST_SKIP() << "the older driver family exists on 32-bit systems only"; \
    } while (0)

// A request's word for an address: the address where it fits 32 bits (every
// address of a 32-bit process), else 0, never the address cut short.
#define EXPECT_ADDRESS_WORD(word, address)                                               \
    do {                                                                                 \
        const uintptr_t wanted_ = reinterpret_cast<uintptr_t>(address);                  \
        EXPECT_EQ(uint64_t(word), wanted_ <= UINT32_MAX ? uint64_t(wanted_) : uint64_t(0)); \
    } while (0)

struct MessageBoxSeen {
    std::string caption;
    std::string text;
    HWND owner = nullptr;
    UINT type = 0; // buttons and icon, as MessageBoxA took them
};
std::vector<MessageBoxSeen> messageBoxes();

// A device-dependent bitmap's pixels as 0x00RRGGBB, top row first.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
};
bool readDeviceBitmap(HBITMAP bitmap, Picture& picture);

// The display fields the overlay should send, as the system reports them:
// the display settings, refined by DirectDraw's primary surface where it has
// one.
struct DisplayFields {
    int32_t bitsPerPixel = 0;
    int32_t bytesPerPixel = 0;
    int32_t bytesPerLine = 0;
    int32_t width = 0;
    int32_t height = 0;
};
DisplayFields systemDisplay();

// The card maker's physical-memory helper, present and answering so:
// TavHelperInit(i) returns inits[i]; TavHelperVirt2Phys(n, ...) succeeds from
// n = translateFrom on (0: never) with physical. Its calls since then, as
// "TavHelperInit 3", "TavHelperVirt2Phys 1", "TavHelperExit 119".
void setTavHelper(const uint32_t (&inits)[10], int translateFrom, uint32_t physical);
std::vector<std::string> tavHelperCalls();

// Windows of the test's own, for masks: top-level windows on top of the
// z-order (rect in screen coordinates) and child windows (rect in the
// parent's client coordinates). Each counts the WM_PAINT messages it gets.
HWND makeWindow(const RECT& rect, bool visible = true);
HWND makeChild(HWND parent, const RECT& rect);
void placeWindow(HWND window, const RECT& rect);
// Every window made so far destroyed.
void destroyWindows();
int paints(HWND window);
void clearPaints();
// Lets the calling thread's windows take what was posted or made invalid.
void pumpMessages();

// The library's module: SAA7146.dll as the loader knows it (on Windows the
// test program itself, which holds the library and its resources).
HINSTANCE libraryInstance();

// The system's part of every test's deadline: made ready before the tests
// start, and ending the process when a test overruns it.
void prepareProcess();
[[noreturn]] void endProcessAfterOverrun();

// A directory of the test process's own.
std::string scratchDirectory();

// The system's part of resetAll: a fresh INI place and registry where the
// system allows it, and no message boxes seen.
void resetPlatform();

} // namespace harness

class CardTest : public ::testing::Test {
protected:
    void SetUp() override { harness::resetAll(); }
    void TearDown() override { harness::closeAllCards(); }
};
