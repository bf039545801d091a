#include "support/harness.h"

#include <saa7146/dcard.h>

#include <cstdlib>
#include <ftw.h>
#include <unistd.h>

#include "card/switches.h"
#include "platform/posix/control.h"
#include "platform/platform.h"
#include "support/log.h"
#include "virtual_card.h"

namespace harness {

namespace {

int removeEntry(const char* path, const struct stat*, int, struct FTW*)
{
    return remove(path);
}

void removeScratch();

} // namespace

std::string scratchDirectory();

namespace {

void removeScratch()
{
    nftw(scratchDirectory().c_str(), removeEntry, 16, FTW_DEPTH | FTW_PHYS);
}

} // namespace

std::string scratchDirectory()
{
    // A plain array: it must outlive the exit handler that removes it.
    static char directory[] = "/tmp/saa7146-tests-XXXXXX";
    static bool made = [] {
        if (!mkdtemp(directory))
            return false;
        atexit(removeScratch);
        return true;
    }();
    return made ? directory : "/tmp";
}

void closeAllCards()
{
    for (int handle = 1; handle <= 10; ++handle)
        DCardExit(handle);
}

void resetAll(int cards)
{
    closeAllCards();
    standin::setWindowsDirectory(scratchDirectory() + "/windows");
    standin::setRegistryFile(scratchDirectory() + "/registry");
    clearIni();
    standin::clearMessageBoxes();
    standin::setMessageBoxAnswer(IDOK);
    setLogSink({});
    setOs("Windows_NT");
    sim::reset();
    sim::setCardCount(cards);
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

std::vector<MessageBoxSeen> messageBoxes()
{
    std::vector<MessageBoxSeen> seen;
    for (const auto& box : standin::messageBoxes())
        seen.push_back({box.caption, box.text});
    return seen;
}

} // namespace harness
