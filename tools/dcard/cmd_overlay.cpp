// dcard overlay: the card's live picture straight into the display's frame
// buffer, in a screen rectangle, or off.
#include <cstdio>

#include "card.h"
#include "commands.h"

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
    if (arguments.words.size() != 2 || (arguments.words[1] != "on" && arguments.words[1] != "off"))
        return usage(command, "say on or off");
    bool on = arguments.words[1] == "on";
    int64_t camera = 0;
    if (!numberOption(arguments, command, "camera", 0, 9, 0, camera))
        return kUsage;
    RECT rect = {0, 0, 0, 0};
    bool haveRect = arguments.has("rect");
    if (haveRect && !parseRect(arguments.value("rect"), rect))
        return usage(command, "--rect takes LEFT,TOP,RIGHT,BOTTOM in screen pixels");
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
