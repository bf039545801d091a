// The harness over the stand-in: a scratch Windows directory and registry,
// and the message boxes it recorded.
#include "support/harness.h"

#include <cstdlib>
#include <unistd.h>

#include "platform/posix/control.h"
#include "support/scratch.h"

namespace harness {

void prepareProcess() {}

void endProcessAfterOverrun()
{
    _exit(3);
}

HINSTANCE libraryInstance()
{
    return GetModuleHandleA("SAA7146.dll");
}

std::string scratchDirectory()
{
    return scratch::directory("saa7146-tests-");
}

void resetPlatform()
{
    standin::setWindowsDirectory(scratchDirectory() + "/windows");
    standin::setRegistryFile(scratchDirectory() + "/registry");
    standin::clearMessageBoxes();
    standin::setMessageBoxAnswer(IDOK);
    standin::resetDisplay();
    standin::destroyAllWindows();
    standin::clearRedraws();
}

void setTavHelper(const uint32_t (&inits)[10], int translateFrom, uint32_t physical)
{
    standin::setModuleAvailable("TavHelpr.dll", true);
    standin::TavHelperSettings helper;
    for (int i = 0; i < 10; ++i)
        helper.initResults[i] = inits[i];
    helper.translateFrom = translateFrom;
    helper.physical = physical;
    standin::setTavHelper(helper);
}

std::vector<std::string> tavHelperCalls()
{
    std::vector<std::string> calls;
    for (const auto& call : standin::helperCalls())
        calls.push_back(call.function + " " + std::to_string(call.arguments[0]));
    return calls;
}

HWND createCountingWindow(DWORD style, const RECT& rect, HWND parent, WNDPROC procedure)
{
    standin::WindowSpec wanted;
    wanted.rect = rect;
    wanted.style = style;
    wanted.parent = parent;
    wanted.procedure = procedure;
    return standin::createWindow(wanted);
}

DisplayFields systemDisplay()
{
    standin::DisplayMode mode = standin::displayMode();
    DisplayFields fields;
    fields.width = int32_t(mode.width);
    fields.height = int32_t(mode.height);
    fields.bitsPerPixel = int32_t(mode.bitsPerPixel);
    fields.bytesPerPixel = int32_t(mode.bitsPerPixel >> 3);
    fields.bytesPerLine = fields.width * int32_t((mode.bitsPerPixel + 7) / 8);
    return fields;
}

std::vector<MessageBoxSeen> messageBoxes()
{
    std::vector<MessageBoxSeen> seen;
    for (const auto& box : standin::messageBoxes())
        seen.push_back({box.caption, box.text, box.owner, box.type});
    return seen;
}

bool readDeviceBitmap(HBITMAP bitmap, Picture& picture)
{
    standin::BitmapPixels pixels;
    if (!standin::readBitmap(bitmap, pixels))
        return false;
    picture.width = pixels.width;
    picture.height = pixels.height;
    picture.pixels = pixels.pixels;
    return true;
}

} // namespace harness
