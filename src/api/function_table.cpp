#include "api/function_table.h"

extern "C" int DCARD_CALL DCardGetCameraRecord(int handle, int camera, DCardCameraRecord* record);

DCardFunctions functionTable()
{
    DCardFunctions table{};
    table.DCardInit = DCardInit;
    table.DCardExit = DCardExit;
    table.DCardGetMode = DCardGetMode;
    table.DCardSetCameraSignal = DCardSetCameraSignal;
    table.DCardDigit = DCardDigit;
    table.DCardDigitEx = DCardDigitEx;
    table.DCardSetReg = DCardSetReg;
    table.DCardGetReg = DCardGetReg;
    table.DCardSetStringReg = DCardSetStringReg;
    table.DCardGetStringReg = DCardGetStringReg;
    table.DCardGetRegInfoEx = DCardGetRegInfoEx;
    table.DCardGetDecoderType = DCardGetDecoderType;
    table.DCardOverlay = DCardOverlay;
    table.DCardOverlayEx = DCardOverlayEx;
    table.DCardGetParamEx = DCardGetParamEx;
    table.DCardSetDriverParam = DCardSetDriverParam;
    table.DCardGetDriverParam = DCardGetDriverParam;
    table.DCardGetMemoryConfig = DCardGetMemoryConfig;
    table.DCardSetMemoryConfig = DCardSetMemoryConfig;
    table.DCardOutput = DCardOutput;
    table.DCardMask = DCardMask;
    table.DCardI2CTransmit = DCardI2CTransmit;
    table.DCardI2CReceive = DCardI2CReceive;
    table.DCardI2CCommand = DCardI2CCommand;
    table.DCardGetCameraRecord = DCardGetCameraRecord;
    table.DCardVirt2Phys = DCardVirt2Phys;
    table.DCardSetOutputs = DCardSetOutputs;
    table.DCardGetInputs = DCardGetInputs;
    table.DCardGetI2CSpeeds = DCardGetI2CSpeeds;
    table.DCardWindowsMask = DCardWindowsMask;
    table.DCardWindowsMaskEx = DCardWindowsMaskEx;
    return table;
}
