#include "api/card_table.h"

CardTable& cardTable()
{
    static CardTable table;
    return table;
}

DigitCard* cardFromHandle(int handle)
{
    CardTable& table = cardTable();
    SemaphoreScope hold(table.lock);
    if (handle < 1 || handle > kCardSlots)
        return nullptr;
    DigitCard& card = table.cards[handle - 1];
    return card.isOpen() ? &card : nullptr;
}

void closeOpenCards()
{
    CardTable& table = cardTable();
    SemaphoreScope hold(table.lock);
    for (DigitCard& card : table.cards)
        if (card.isOpen())
            card.close();
}
