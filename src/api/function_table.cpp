#include "api/function_table.h"

DCardFunctions functionTable()
{
    DCardFunctions table{};
    table.DCardInit = DCardInit;
    table.DCardExit = DCardExit;
    table.DCardGetMode = DCardGetMode;
    table.DCardDigit = DCardDigit;
    table.DCardDigitEx = DCardDigitEx;
    table.DCardSetReg = DCardSetReg;
    table.DCardGetReg = DCardGetReg;
    table.DCardSetStringReg = DCardSetStringReg;
    table.DCardGetStringReg = DCardGetStringReg;
    table.DCardGetRegInfoEx = DCardGetRegInfoEx;
    table.DCardGetDecoderType = DCardGetDecoderType;
    table.DCardGetParamEx = DCardGetParamEx;
    return table;
}
