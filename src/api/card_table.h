// The ten card slots and the card table lock.
#pragma once

#include "card/digit_card.h"
#include "support/semaphore.h"

struct CardTable {
    CardTable()
    {
        for (int n = 0; n < kCardSlots; ++n)
            cards[n].cardNumber = n;
    }
    DigitCard cards[kCardSlots];
    // Held for every handle lookup and for the whole of opening, closing and
    // the parameter record. A holder may enter again: opening a card calls
    // exported functions that look the card up.
    SEMAPHORE lock{0};
};

// Built on first use and kept for the life of the module, so it is ready for
// anything that runs while the module loads.
CardTable& cardTable();

// Every open card closed, as DCardExit closes it: the library is being
// unloaded.
void closeOpenCards();

// The open card that a handle (1..10) names, or null. The card outlives the
// call; operations on it serialise on its own lock.
DigitCard* cardFromHandle(int handle);
