// The virtual card's registers: the bridge's 32-bit registers (byte offsets
// below 0x100) and the Pellam colour gains (0x2B4..0x2B6, SAA7110 boards
// only) for each camera, and the decoder's sub-addresses (0x200 + n), which
// belong to the one decoder chip and so to every camera alike. Camera 0 in a
// request stands for the power-on values.
#pragma once

#include <cstdint>

namespace sim {

class Registers {
public:
    static constexpr int kCameras = 10;
    static constexpr uint32_t kDecoderBase = 0x200;
    static constexpr int kDecoderSubAddresses = 0x80;

    // Power-on values of a card with this decoder type (2 SAA7110, 3 KS0127B).
    void reset(int decoderType);

    bool exists(uint32_t reg) const;
    uint32_t powerOn(uint32_t reg) const;
    // cameraWord is the request's camera + 1 (1..10); false for no such
    // camera or register.
    bool read(int cameraWord, uint32_t reg, uint32_t& value) const;
    bool write(int cameraWord, uint32_t reg, uint32_t value);

    // The decoder chip as the I2C bus sees it.
    uint8_t decoderByte(uint8_t subAddress) const;
    void setDecoderByte(uint8_t subAddress, uint8_t value);

private:
    uint32_t* slot(int cameraWord, uint32_t reg);

    int decoderType_ = 2;
    uint32_t bridgeDefaults_[64] = {};
    uint32_t bridge_[kCameras][64] = {};
    uint8_t decoderDefaults_[kDecoderSubAddresses] = {};
    uint32_t decoder_[kDecoderSubAddresses] = {};
    uint32_t gains_[kCameras][3] = {};
};

} // namespace sim
