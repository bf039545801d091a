// The card's I2C bus.
#include <saa7146/dcard.h>

#include "api/guard.h"
#include "regs/i2c_speeds.h"

extern "C" {

int DCARD_CALL DCardI2CTransmit(int handle, int speed, int address, int subAddress,
                                const void* data, int count)
{
    return withCard(handle, [&](DigitCard& card) {
        return card.i2cTransmit(speed, address, subAddress, data, count);
    });
}

int DCARD_CALL DCardI2CReceive(int handle, int speed, int address, int subAddress, void* buffer,
                               int count)
{
    return withCard(handle, [&](DigitCard& card) {
        return card.i2cReceive(speed, address, subAddress, buffer, count);
    });
}

int DCARD_CALL DCardI2CCommand(int handle, int speed, uint32_t* words, int count)
{
    return withCard(handle, [&](DigitCard& card) { return card.i2cCommand(speed, words, count); });
}

const int* DCARD_CALL DCardGetI2CSpeeds(int handle)
{
    return guarded([&]() -> const int* { return cardFromHandle(handle) ? kI2CSpeeds : nullptr; });
}

} // extern "C"
