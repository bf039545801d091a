#include "i2c_bus.h"

#include <cstring>

namespace sim {

void I2CBus::reset(int decoderType, int expanderAddress)
{
    decoderAddress_ = decoderType == 3 ? kKs0127bAddress : kSaa7110Address;
    expanderAddress_ = static_cast<uint8_t>(expanderAddress & 0xFE);
    latch_ = 0xFF;
    inputs_ = 0;
    memset(nacked_, 0, sizeof(nacked_));
}

void I2CBus::setInputs(uint8_t levels)
{
    inputs_ = levels & 0x0F;
}

bool I2CBus::answers(uint8_t address) const
{
    uint8_t device = address & 0xFE;
    if (nacked_[device >> 4] & (1u << ((device >> 1) & 7)))
        return false;
    return device == decoderAddress_ || (expanderAddress_ && device == expanderAddress_);
}

uint8_t I2CBus::portValue() const
{
    return static_cast<uint8_t>((latch_ & 0x0F) | ((inputs_ << 4) & latch_ & 0xF0));
}

bool I2CBus::transmit(Registers& registers, uint8_t address, uint8_t subAddress,
                      const uint8_t* data, int count)
{
    if (!answers(address))
        return false;
    if ((address & 0xFE) == decoderAddress_) {
        for (int i = 0; i < count; ++i)
            registers.setDecoderByte(static_cast<uint8_t>(subAddress + i), data[i]);
        return true;
    }
    // The expander has no sub-address: it takes each byte as the new port value.
    latch_ = count > 0 ? data[count - 1] : subAddress;
    return true;
}

bool I2CBus::receive(const Registers& registers, uint8_t address, uint8_t subAddress,
                     uint8_t* data, int count)
{
    if (!answers(address))
        return false;
    for (int i = 0; i < count; ++i)
        data[i] = (address & 0xFE) == decoderAddress_
                      ? registers.decoderByte(static_cast<uint8_t>(subAddress + i))
                      : portValue();
    return true;
}

bool I2CBus::command(Registers& registers, uint32_t* words, int count)
{
    constexpr uint32_t kStart = 3, kStop = 1;
    bool selected = false, reading = false, pointerSet = false;
    uint8_t device = 0, pointer = 0;
    for (int i = 0; i < count; ++i) {
        uint32_t attribute = (words[i] >> 16) & 3;
        uint8_t byte = static_cast<uint8_t>(words[i]);
        if (attribute == kStart) {
            if (!answers(byte))
                return false;
            selected = true;
            device = byte & 0xFE;
            reading = byte & 1;
            pointerSet = false;
        } else if (!selected) {
            return false; // a byte before any start condition
        } else if (reading) {
            byte = device == decoderAddress_ ? registers.decoderByte(pointer++) : portValue();
            words[i] = (words[i] & ~0xFFu) | byte;
        } else if (device == decoderAddress_) {
            if (!pointerSet) {
                pointer = byte;
                pointerSet = true;
            } else {
                registers.setDecoderByte(pointer++, byte);
            }
        } else {
            latch_ = byte;
        }
        if (attribute == kStop)
            selected = false;
    }
    return true;
}

} // namespace sim
