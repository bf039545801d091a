#include "registers.h"

#include <cstring>

namespace sim {

namespace {

constexpr uint32_t kGainBase = 0x2B4;
constexpr uint32_t kGainDefault = 152;

bool isBridge(uint32_t reg)
{
    return reg < 0x100 && reg % 4 == 0;
}

} // namespace

void Registers::reset(int decoderType)
{
    decoderType_ = decoderType;
    memset(bridgeDefaults_, 0, sizeof(bridgeDefaults_));
    bridgeDefaults_[0x05C / 4] = 0x00010000; // YStart 0x10
    bridgeDefaults_[0x06C / 4] = 0x00000060; // XStart 96
    bridgeDefaults_[0x070 / 4] = 0x80400040; // brightness 0x80, contrast and saturation 0x40
    bridgeDefaults_[0x074 / 4] = 0x807F807F; // chroma-key limits -128..127
    for (auto& camera : bridge_)
        memcpy(camera, bridgeDefaults_, sizeof(camera));

    memset(decoderDefaults_, 0, sizeof(decoderDefaults_));
    if (decoderType == 3) {
        decoderDefaults_[0x05] = 0x0C;
        decoderDefaults_[0x06] = 0x10;
        decoderDefaults_[0x0B] = 0x60;
        decoderDefaults_[0x15] = 0x40;
    } else {
        decoderDefaults_[0x0A] = 0x30;
        decoderDefaults_[0x11] = 0x2C;
        decoderDefaults_[0x12] = 0x40;
        decoderDefaults_[0x13] = 0x40;
        decoderDefaults_[0x19] = 0x80;
        decoderDefaults_[0x23] = 0x1A;
        decoderDefaults_[0x24] = 0x1B;
        decoderDefaults_[0x25] = 0x1C;
        decoderDefaults_[0x26] = 0x1D;
        decoderDefaults_[0x27] = 0x20;
        decoderDefaults_[0x2A] = 0x20;
        decoderDefaults_[0x2B] = 0x20;
    }
    for (int n = 0; n < kDecoderSubAddresses; ++n)
        decoder_[n] = decoderDefaults_[n];
    for (auto& camera : gains_)
        for (uint32_t& gain : camera)
            gain = kGainDefault;
}

bool Registers::exists(uint32_t reg) const
{
    if (isBridge(reg))
        return true;
    if (reg >= kDecoderBase && reg < kDecoderBase + kDecoderSubAddresses)
        return true;
    return decoderType_ == 2 && reg >= kGainBase && reg < kGainBase + 3;
}

uint32_t Registers::powerOn(uint32_t reg) const
{
    if (isBridge(reg))
        return bridgeDefaults_[reg / 4];
    if (reg >= kDecoderBase && reg < kDecoderBase + kDecoderSubAddresses)
        return decoderDefaults_[reg - kDecoderBase];
    return exists(reg) ? kGainDefault : 0;
}

uint32_t* Registers::slot(int cameraWord, uint32_t reg)
{
    if (cameraWord < 1 || cameraWord > kCameras || !exists(reg))
        return nullptr;
    if (isBridge(reg))
        return &bridge_[cameraWord - 1][reg / 4];
    if (reg >= kDecoderBase && reg < kDecoderBase + kDecoderSubAddresses)
        return &decoder_[reg - kDecoderBase];
    return &gains_[cameraWord - 1][reg - kGainBase];
}

bool Registers::read(int cameraWord, uint32_t reg, uint32_t& value) const
{
    if (cameraWord == 0 && exists(reg)) {
        value = powerOn(reg);
        return true;
    }
    const uint32_t* where = const_cast<Registers*>(this)->slot(cameraWord, reg);
    if (!where)
        return false;
    value = *where;
    return true;
}

bool Registers::write(int cameraWord, uint32_t reg, uint32_t value)
{
    uint32_t* where = slot(cameraWord, reg);
    if (!where)
        return false;
    // The decoder's sub-addresses and the gains are bytes.
    *where = isBridge(reg) ? value : (value & 0xFF);
    return true;
}

uint8_t Registers::decoderByte(uint8_t subAddress) const
{
    return subAddress < kDecoderSubAddresses ? static_cast<uint8_t>(decoder_[subAddress]) : 0;
}

void Registers::setDecoderByte(uint8_t subAddress, uint8_t value)
{
    if (subAddress < kDecoderSubAddresses)
        decoder_[subAddress] = value;
}

} // namespace sim
