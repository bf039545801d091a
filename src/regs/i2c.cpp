// The card's I2C bus: block transfers and command sequences.
#include <cstring>

#include "card/digit_card.h"
#include "card/send_request.h"
#include "card/switches.h"
#include "regs/i2c_speeds.h"

namespace {

constexpr int kI2CLimit = 256;
constexpr int kSpeedCodes[8] = {5, 1, 4, 6, 7, 0, 2, 3};

} // namespace

const int kI2CSpeeds[9] = {5, 10, 66, 100, 133, 266, 400, 533, 0};

int i2cSpeedCode(int speed)
{
    int i = 0;
    for (;; ++i) {
        if (kI2CSpeeds[i] == 0 || speed == kI2CSpeeds[i])
            break;
        if (speed < kI2CSpeeds[i]) {
            if (i > 0)
                --i;
            break;
        }
    }
    if (kI2CSpeeds[i] == 0)
        --i;
    return kSpeedCodes[i];
}

int DigitCard::i2cTransmit(int speed, int address, int subAddress, const void* data, int count)
{
    SemaphoreScope hold(cardLock);
    if (count < 0 || count > kI2CLimit || (!data && count > 0))
        return 0;
    auto request = driver::makeRequest<driver::I2CTransferRequest>();
    request.direction = 1;
    request.count = count;
    if (count > 0)
        memcpy(request.data, data, static_cast<size_t>(count));
    request.address = static_cast<uint32_t>(address) & 0xFF;
    request.subAddress = static_cast<uint32_t>(subAddress) & 0xFF;
    request.speedCode = static_cast<uint32_t>(i2cSpeedCode(speed));
    return sendRequest(request, device);
}

int DigitCard::i2cReceive(int speed, int address, int subAddress, void* buffer, int count)
{
    SemaphoreScope hold(cardLock);
    if (count < 0 || count > kI2CLimit || !buffer)
        return 0;
    auto request = driver::makeRequest<driver::I2CTransferRequest>();
    request.direction = 0;
    request.count = count;
    request.address = static_cast<uint32_t>(address) & 0xFF;
    request.subAddress = static_cast<uint32_t>(subAddress) & 0xFF;
    request.speedCode = static_cast<uint32_t>(i2cSpeedCode(speed));
    if (!sendRequest(request, device))
        return 0;
    if (testMode)
        memset(buffer, 0, static_cast<size_t>(count));
    else
        memcpy(buffer, request.data, static_cast<size_t>(count));
    return 1;
}

int DigitCard::i2cCommand(int speed, uint32_t* words, int count)
{
    SemaphoreScope hold(cardLock);
    if (count > kI2CLimit)
        return 0;
    auto request = driver::makeRequest<driver::I2CCommandRequest>();
    request.count = count;
    request.speedCode = static_cast<uint32_t>(i2cSpeedCode(speed));
    const bool copy = words && count > 0;
    if (copy)
        memcpy(request.words, words, sizeof(uint32_t) * static_cast<size_t>(count));
    int result = sendRequest(request, device);
    // The words come back whether or not the driver succeeded; test mode
    // has no driver to change them.
    if (copy && !testMode)
        memcpy(words, request.words, sizeof(uint32_t) * static_cast<size_t>(count));
    return result;
}
