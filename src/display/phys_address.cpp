// Physical addresses through the driver: it stores the translation of the
// caller's memory in driver parameter 4.
#include "card/digit_card.h"
#include "card/switches.h"
#include "display/card_display.h"

int cardVirt2Phys(DigitCard& card, void* address, uint32_t* physical)
{
    if (!address || !physical)
        return 0;
    // Held across clearing, translating and reading back, so that no other
    // thread's translation comes between.
    SemaphoreScope hold(card.cardLock);
    if (!card.setDriverParam(0, 4, 0))
        return 0;
    if (legacyDriver)
        return 0;
    DWORD returned = 0;
    // The caller's memory is both buffers: the driver locks it down and
    // translates it where it lies.
    if (!platform::controlDevice(card.device, driver::kTranslateCode, address, 4, address, 4, &returned))
        return 0;
    if (returned != 4)
        return 0;
    int value = 0;
    if (!card.getDriverParam(0, 4, &value))
        return 0;
    *physical = static_cast<uint32_t>(value);
    return value != 0 ? 1 : 0;
}
