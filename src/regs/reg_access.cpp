// Register reads and writes: whole values through privSetReg and privGetReg,
// described fields read, modified and written under the card's lock, and the
// refresh that numbers the card's descriptors and reads their defaults.
#include "card/digit_card.h"
#include "card/send_request.h"
#include "card/switches.h"
#include "regs/reg_tables.h"
#include "regs/register_fields.h"
#include "support/log.h"

namespace {

constexpr int kRawRegisterLimit = 0x10000;

uintptr_t address(const DigitCard* card)
{
    return reinterpret_cast<uintptr_t>(card);
}

} // namespace

int DigitCard::privSetReg(int camera, uint32_t regNum, uint32_t value)
{
    SemaphoreScope hold(cardLock);
    if (logEnabled)
        Log("privSetReg: Card:0x%08X Camera:%d RegNum:0x%04X Value:0x%08X",
            static_cast<unsigned>(address(this)), camera, regNum, value);
    auto request = driver::makeRequest<driver::SetRegRequest>();
    request.camera = camera + 1;
    request.regNum = regNum;
    request.value = value;
    return sendRequest(request, device);
}

int DigitCard::privGetReg(int camera, uint32_t regNum, uint32_t* value)
{
    SemaphoreScope hold(cardLock);
    auto request = driver::makeRequest<driver::GetRegRequest>();
    request.camera = camera + 1;
    request.regNum = regNum;
    if (!sendRequest(request, device)) {
        if (logEnabled)
            Log("privGetReg: Card:0x%08X Camera:%d RegNum:0x%04X FAILED",
                static_cast<unsigned>(address(this)), camera, regNum);
        return 0;
    }
    *value = request.value;
    if (logEnabled)
        Log("privGetReg: Card:0x%08X Camera:%d RegNum:0x%04X Value:0x%08X",
            static_cast<unsigned>(address(this)), camera, regNum, request.value);
    return 1;
}

int DigitCard::writeField(int camera, const DCardRegInfo& field, int value)
{
    uint32_t regNum = field.regNum & 0xFFFF;
    uint32_t old = 0;
    if (!privGetReg(camera, regNum, &old))
        return 0;
    return privSetReg(camera, regNum, withField(field, old, value));
}

int DigitCard::readField(int camera, const DCardRegInfo& field, int* value)
{
    uint32_t raw = 0;
    if (!privGetReg(camera, field.regNum & 0xFFFF, &raw))
        return 0;
    *value = fieldValue(field, raw);
    return 1;
}

int DigitCard::setReg(int camera, int reg, int value)
{
    SemaphoreScope hold(cardLock);
    if (reg < kRawRegisterLimit)
        return privSetReg(camera, static_cast<uint32_t>(reg), static_cast<uint32_t>(value));
    DCardRegInfo field;
    if (!findDescriptor(decoderType, -1, static_cast<uint32_t>(reg), "", &field))
        return 0;
    return writeField(camera, field, value);
}

int DigitCard::getReg(int camera, int reg, int* value)
{
    SemaphoreScope hold(cardLock);
    if (!value)
        return 0;
    if (reg < kRawRegisterLimit) {
        uint32_t raw = 0;
        if (!privGetReg(camera, static_cast<uint32_t>(reg), &raw))
            return 0;
        *value = static_cast<int>(raw);
        return 1;
    }
    DCardRegInfo field;
    if (!findDescriptor(decoderType, -1, static_cast<uint32_t>(reg), "", &field))
        return 0;
    return readField(camera, field, value);
}

int DigitCard::setStringReg(int camera, const char* name, int value)
{
    SemaphoreScope hold(cardLock);
    DCardRegInfo field;
    if (!name || !findDescriptor(decoderType, -1, 0xFFFFFFFFu, name, &field))
        return 0;
    return writeField(camera, field, value);
}

int DigitCard::getStringReg(int camera, const char* name, int* value)
{
    SemaphoreScope hold(cardLock);
    DCardRegInfo field;
    if (!name || !value || !findDescriptor(decoderType, -1, 0xFFFFFFFFu, name, &field))
        return 0;
    return readField(camera, field, value);
}

int DigitCard::refreshRegisters()
{
    const int type = decoderType;
    uint32_t identifier = 1;
    for (int position = 0;; ++position, ++identifier) {
        struct Renumber {
            uint32_t identifier;
            DCardRegInfo row;
        } renumber{identifier, {}};
        bool present = updateDescriptor(
            type, position,
            [](DCardRegInfo& row, void* context) {
                auto& r = *static_cast<Renumber*>(context);
                row.regNum = r.identifier << 16 | (row.regNum & 0xFFFF);
                r.row = row;
            },
            &renumber);
        if (!present)
            return 1;

        auto request = driver::makeRequest<driver::GetRegRequest>();
        request.camera = 0;
        request.regNum = renumber.row.regNum & 0xFFFF;
        request.mode = 1;
        if (!sendRequest(request, device))
            return 0;

        int32_t value = fieldValue(renumber.row, request.value);
        updateDescriptor(
            type, position,
            [](DCardRegInfo& row, void* context) {
                int32_t defValue = *static_cast<int32_t*>(context);
                if (row.isSigned && row.width >= 1 && row.width < 32) {
                    uint32_t mask = (1u << row.width) - 1;
                    uint32_t sign = 1u << (row.width - 1);
                    if (static_cast<uint32_t>(row.minValue) & sign)
                        row.minValue = static_cast<int32_t>(static_cast<uint32_t>(row.minValue) | ~mask);
                    if (static_cast<uint32_t>(row.maxValue) & sign)
                        row.maxValue = static_cast<int32_t>(static_cast<uint32_t>(row.maxValue) | ~mask);
                }
                row.defValue = defValue;
            },
            &value);
    }
}
