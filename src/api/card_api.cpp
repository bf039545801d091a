// The card frame: opening and closing cards, the parameter record, the
// decoder type and the table of all card functions.
#include <cstring>

#include <saa7146/dcard.h>

#include "api/card_table.h"
#include "api/function_table.h"
#include "api/guard.h"
#include "api/settings.h"
#include "card/switches.h"
#include "display/display_mode.h"

namespace {

// A caller's table may be longer than ours; beyond this it is taken as a bad
// size word rather than as memory to clear.
constexpr uint32_t kLargestFunctionTable = 0x10000;

uint32_t readSizeWord(const void* record)
{
    uint32_t size;
    memcpy(&size, record, sizeof(size));
    return size;
}

void writeSizeWord(void* record, uint32_t size)
{
    memcpy(record, &size, sizeof(size));
}

} // namespace

extern "C" {

int DCARD_CALL DCardInit(int cardNumber)
{
    return guarded([&]() -> int {
        if (cardNumber < 0 || cardNumber >= kCardSlots)
            return 0;
        // Loaded before the table's lock is taken and freed after it is let
        // go: no library is loaded while a lock of ours is held.
        DisplayModules modules;
        CardTable& table = cardTable();
        SemaphoreScope hold(table.lock);
        DigitCard& card = table.cards[cardNumber];
        if (card.isOpen())
            return 0;
        card.displayDialog = readDisplayDialog();
        testMode = readTestModeSettings();
        logEnabled = readLogSetting();
        if (!card.open())
            return 0;
        displaySetup(cardNumber + 1, modules);
        return cardNumber + 1;
    });
}

int DCARD_CALL DCardExit(int handle)
{
    return guarded([&]() -> int {
        SemaphoreScope hold(cardTable().lock);
        DigitCard* card = cardFromHandle(handle);
        return card ? card->close() : 0;
    });
}

int DCARD_CALL DCardGetParamEx(int handle, DCardParam* record)
{
    return guarded([&]() -> int {
        SemaphoreScope hold(cardTable().lock);
        DigitCard* card = cardFromHandle(handle);
        if (!card || !record)
            return 0;
        FrameMapping mapping = card->mapping();
        DCardParam built;
        built.size = sizeof(DCardParam);
        built.mapInfo0 = mapping.mapInfo0;
        built.frameMemory = driver::addressWord(mapping.frameMemory);
        built.frameMemorySize = mapping.frameMemorySize;
        built.version = 0x0101;
        built.mapInfo3 = mapping.mapInfo3;
        uint32_t n = readSizeWord(record);
        if (n > sizeof(DCardParam))
            n = sizeof(DCardParam);
        memcpy(record, &built, n);
        writeSizeWord(record, n);
        return 1;
    });
}

int DCARD_CALL DCardGetParam(DCardParam* record)
{
    return DCardGetParamEx(1, record);
}

int DCARD_CALL DCardGetDecoderType(int handle, int* type)
{
    return withCard(handle, [&](DigitCard& card) { return card.getDecoderType(type); });
}

int DCARD_CALL DCardGetFunctions(DCardFunctions* table)
{
    return guarded([&]() -> int {
        if (!table)
            return 0;
        uint32_t n = readSizeWord(table);
        if (n < 4 || n > kLargestFunctionTable)
            return 0;
        DCardFunctions built = functionTable();
        built.size = 0;
        memset(table, 0, n);
        memcpy(table, &built, n < sizeof(built) ? n : sizeof(built));
        writeSizeWord(table, n);
        return 1;
    });
}

} // extern "C"
