#include "display/card_display.h"

namespace {

CardDisplay* displays()
{
    static CardDisplay slots[kCardSlots];
    return slots;
}

} // namespace

CardDisplay& cardDisplay(const DigitCard& card)
{
    int slot = card.cardNumber >= 0 && card.cardNumber < kCardSlots ? card.cardNumber : 0;
    return displays()[slot];
}

void forgetCardDisplays()
{
    for (int slot = 0; slot < kCardSlots; ++slot) {
        CardDisplay& display = displays()[slot];
        display.lastCover = CoverList{};
        display.maskOfLastCover = false;
        display.ddrawTried = false;
        display.ddrawLoadable = false;
    }
}
