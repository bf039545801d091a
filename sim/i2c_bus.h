// The virtual card's I2C bus: the video decoder, whose sub-addresses are the
// decoder registers, and a PCF8574-style port expander: one byte whose bits
// 0-3 are outputs and 4-7 inputs (an input reads its level only where a 1 was
// written). Addresses are 8-bit, bit 0 selects reading. Plain data, so that
// it can live in memory shared between processes.
#pragma once

#include <cstdint>

#include "registers.h"

namespace sim {

class I2CBus {
public:
    static constexpr uint8_t kSaa7110Address = 0x9C;
    static constexpr uint8_t kKs0127bAddress = 0xD8;

    // decoderType picks the decoder's address; expander 0 means none.
    void reset(int decoderType, int expanderAddress);

    // Levels of the four input pins (0..15) as the outside world drives them.
    void setInputs(uint8_t levels);
    // What was last written to the expander.
    uint8_t expanderLatch() const { return latch_; }
    void nack(uint8_t address) { nacked_[(address & 0xFE) >> 4] |= uint8_t(1u << ((address >> 1) & 7)); }

    // A block transfer; false when no device answers.
    bool transmit(Registers& registers, uint8_t address, uint8_t subAddress, const uint8_t* data,
                  int count);
    bool receive(const Registers& registers, uint8_t address, uint8_t subAddress, uint8_t* data,
                 int count);
    // A command sequence: each start word addresses a device; read bytes land
    // in bits 0-7 of their words. False when a device does not answer.
    bool command(Registers& registers, uint32_t* words, int count);

private:
    bool answers(uint8_t address) const;
    uint8_t portValue() const;

    uint8_t decoderAddress_ = kSaa7110Address;
    uint8_t expanderAddress_ = 0x70;
    uint8_t latch_ = 0xFF;
    uint8_t inputs_ = 0;
    uint8_t nacked_[16] = {}; // one bit per 7-bit address
};

} // namespace sim
