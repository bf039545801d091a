// Register descriptors and register access.
#include <saa7146/dcard.h>

#include "api/guard.h"
#include "regs/reg_tables.h"

extern "C" {

int DCARD_CALL DCardGetRegInfo(int index, DCardRegInfo* info)
{
    return guarded([&] { return copyBridgeDescriptor(index, info) ? 1 : 0; });
}

int DCARD_CALL DCardGetRegInfoEx(int handle, int index, DCardRegInfo* info)
{
    return withCard(handle, [&](DigitCard& card) -> int {
        if (index < 0 || !info)
            return 0;
        return findDescriptor(card.decoderType, index, 0xFFFFFFFFu, "", info) ? 1 : 0;
    });
}

int DCARD_CALL DCardSetReg(int handle, int camera, int reg, int value)
{
    return withCard(handle, [&](DigitCard& card) { return card.setReg(camera, reg, value); });
}

int DCARD_CALL DCardGetReg(int handle, int camera, int reg, int* value)
{
    return withCard(handle, [&](DigitCard& card) { return card.getReg(camera, reg, value); });
}

int DCARD_CALL DCardSetStringReg(int handle, int camera, const char* name, int value)
{
    return withCard(handle,
                    [&](DigitCard& card) { return card.setStringReg(camera, name, value); });
}

int DCARD_CALL DCardGetStringReg(int handle, int camera, const char* name, int* value)
{
    return withCard(handle,
                    [&](DigitCard& card) { return card.getStringReg(camera, name, value); });
}

} // extern "C"
