// The dialog driver over the stand-in, which runs it inside its modal loop.
#include "support/dialog_driver.h"

#include <cstdlib>
#include <unistd.h>

#include "platform/posix/control.h"

namespace harness {

void setDialogDriver(DialogDriver driver)
{
    standin::setDialogDriver(std::move(driver));
}

void clickControl(HWND dialog, int id)
{
    standin::clickControl(dialog, id);
}

void selectListItem(HWND dialog, int id, int index)
{
    standin::selectListItem(dialog, id, index);
}

void typeText(HWND dialog, int id, const std::string& text)
{
    standin::typeText(dialog, id, text);
}

void scrollControl(HWND dialog, int id, int code, int position)
{
    standin::scrollControl(dialog, id, code, position);
}

std::vector<ShownDialog> shownDialogs()
{
    std::vector<ShownDialog> shown;
    for (const standin::ShownDialog& seen : standin::shownDialogs())
        shown.push_back({seen.dialog, seen.templateId, seen.language, seen.caption});
    return shown;
}

void clearShownDialogs()
{
    standin::clearShownDialogs();
}

void setLanguage(const char* locale)
{
    if (locale)
        setenv("LC_ALL", locale, 1);
    else
        unsetenv("LC_ALL");
}

void clearRegistry()
{
    unlink(standin::registryFile().c_str());
}

int globalBlocks()
{
    return standin::globalBlocks();
}

bool showsBitmap(HWND window, HBITMAP bitmap)
{
    standin::clearBlits();
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    auto blits = standin::blits();
    return blits.size() == 1 && blits[0].window == window && blits[0].bitmap == bitmap &&
           blits[0].x == 0 && blits[0].y == 0 && blits[0].width == 384 && blits[0].height == 288;
}

} // namespace harness
