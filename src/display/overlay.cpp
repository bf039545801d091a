// The card's overlay: live video written by the card straight into the
// display's frame buffer, in a screen rectangle.
#include <cstring>

#include "card/digit_card.h"
#include "card/send_request.h"
#include "display/card_display.h"
#include "display/display_mode.h"

namespace {

// A board of type 0x200 shows its one overlay for whichever camera is asked.
int overlayCamera(const DigitCard& card, int camera)
{
    return camera >= 0 && card.memoryConfig.boardType == 0x200 ? 0 : camera;
}

} // namespace

int cardOverlay(DigitCard& card, int camera, const RECT* rect)
{
    DEVMODEA settings;
    memset(&settings, 0, sizeof(settings));
    // The structure without its panning fields, as every Windows takes it.
    settings.dmSize = offsetof(DEVMODEA, dmPanningWidth);
    if (!EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &settings))
        return 0;
    auto request = driver::makeRequest<driver::OverlayRequest>();
    request.width = static_cast<int32_t>(settings.dmPelsWidth);
    request.height = static_cast<int32_t>(settings.dmPelsHeight);
    request.bitsPerPixel = static_cast<int32_t>(settings.dmBitsPerPel);
    request.bytesPerPixel = static_cast<int32_t>((settings.dmBitsPerPel + 7u) / 8u);
    request.bytesPerLine = request.width * request.bytesPerPixel;
    queryDisplayMode(cardDisplay(card), request);
    SemaphoreScope hold(card.cardLock);
    camera = overlayCamera(card, camera);
    request.camera = camera < 0 ? 0 : camera + 1;
    if (rect) {
        request.left = rect->left;
        request.top = rect->top;
        request.right = rect->right;
        request.bottom = rect->bottom;
    }
    return sendRequest(request, card.device);
}

int cardOverlayEx(DigitCard& card, int camera, const int32_t (&values)[8])
{
    SemaphoreScope hold(card.cardLock);
    auto request = driver::makeRequest<driver::OverlayExRequest>();
    camera = overlayCamera(card, camera);
    int32_t v[8];
    memcpy(v, values, sizeof(v));
    if (camera < 0) {
        // Off: the first six values go as 0, the last two as given.
        memset(v, 0, 6 * sizeof(v[0]));
        request.camera = 0;
    } else {
        request.camera = camera + 1;
    }
    // The payload interleaves the arguments: 1 4 2 5 7 3 6 8.
    static constexpr int kPayloadOrder[8] = {0, 3, 1, 4, 6, 2, 5, 7};
    for (int slot = 0; slot < 8; ++slot)
        request.values[slot] = v[kPayloadOrder[slot]];
    return sendRequest(request, card.device);
}
