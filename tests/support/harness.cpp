#include "support/harness.h"

#include <saa7146/dcard.h>

#include "api/card_table.h"
#include "card/switches.h"
#include "display/display_mode.h"
#include "platform/platform.h"
#include "support/log.h"
#include "virtual_card.h"

namespace harness {

void closeAllCards()
{
    for (int handle = 1; handle <= 10; ++handle)
        DCardExit(handle);
}

void resetAll(int cards)
{
    closeAllCards();
    resetPlatform();
    clearIni();
    setLogSink({});
    setOs("Windows_NT");
    sim::reset();
    sim::setCardCount(cards);
    // The display as the module finds it at load: nothing cached, no card
    // has tried ddraw.dll yet.
    forgetDisplayMode();
    // What an empty INI file gives, until a test's next open reads its own.
    testMode = false;
    logEnabled = false;
}

void writeIni(const char* key, const char* value)
{
    ASSERT_TRUE(WritePrivateProfileStringA("Settings", key, value, "SAA7146.INI"));
}

void writeIni(const char* key, int value)
{
    writeIni(key, std::to_string(value).c_str());
}

void clearIni()
{
    WritePrivateProfileStringA("Settings", nullptr, nullptr, "SAA7146.INI");
}

void setOs(const char* value)
{
    SetEnvironmentVariableA("OS", value);
}

} // namespace harness
