// dcard overlay: the card's live picture straight into the display's frame
// buffer, in a screen rectangle, or off.
#include <cstdio>

#include "card.h"
#include "commands.h"
#include "display.h"

namespace {

bool parseRect(const std::string& text, RECT& rect)
{
    long values[4];
    char end = 0;
    if (sscanf(text.c_str(), "%ld,%ld,%ld,%ld%c", &values[0], &values[1], &values[2], &values[3],
               &end) != 4)
        return false;
    rect.left = LONG(values[0]);
    rect.top = LONG(values[1]);
    rect.right = LONG(values[2]);
    rect.bottom = LONG(values[3]);
    return true;
}

} // namespace

int runOverlay(const Arguments& arguments)
{
    const char* command = "overlay";
    if (arguments.words.size() > 2)
        return unexpected(command, arguments.words[2]);
    if (arguments.words.size() != 2 || (arguments.words[1] != "on" && arguments.words[1] != "off"))
        return usage(command, "say on or off");
    bool on = arguments.words[1] == "on";
    int64_t camera = 0;
    if (!numberOption(arguments, command, "camera", 0, 9, 0, camera))
        return kUsage;
    RECT rect = {0, 0, 0, 0};
    bool haveRect = arguments.has("rect");
    if (haveRect && !parseRect(arguments.value("rect"), rect))
        return usage(command, "--rect takes LEFT,TOP,RIGHT,BOTTOM in screen pixels, not '" +
                                  arguments.value("rect") + "'");
    if (haveRect && (rect.right <= rect.left || rect.bottom <= rect.top))
        return usage(command, "--rect " + arguments.value("rect") +
                                  " is empty: RIGHT must lie beyond LEFT, BOTTOM below TOP");
    // The card writes into the display's frame buffer where it is told: keep
    // it on the display.
    DisplayInfo display = haveRect ? queryDisplay() : DisplayInfo();
    if (display.known && (rect.left < 0 || rect.top < 0 || rect.right > display.width ||
                          rect.bottom > display.height))
        return usage(command, "--rect " + arguments.value("rect") + " does not lie on the " +
                                  std::to_string(display.width) + " x " +
                                  std::to_string(display.height) + " display");
    auto card = openCard(arguments, command);
    if (!card)
        return kFailed;
    beginCall();
    if (!DCardOverlay(card->handle(), on ? int(camera) : -1, haveRect ? &rect : nullptr))
        return refused(command, "DCardOverlay",
                       on ? "switching the overlay on" : "switching the overlay off");
    if (on)
        printf("overlay of camera %d on", int(camera));
    else
        printf("overlay off");
    if (haveRect)
        printf(" in %ld,%ld - %ld,%ld", long(rect.left), long(rect.top), long(rect.right),
               long(rect.bottom));
    printf("\n");
    return kSuccess;
}
