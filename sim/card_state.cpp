#include "card_state.h"

#include <cstdio>
#include <cstring>

namespace sim {

const int32_t* DriverParams::find(int32_t camera, int32_t param) const
{
    for (int32_t i = 0; i < used_ && i < kSlots; ++i)
        if (entries_[i].camera == camera && entries_[i].param == param)
            return &entries_[i].value;
    return nullptr;
}

bool DriverParams::set(int32_t camera, int32_t param, int32_t value)
{
    if (const int32_t* found = find(camera, param)) {
        *const_cast<int32_t*>(found) = value;
        return true;
    }
    if (used_ < 0 || used_ >= kSlots)
        return false;
    entries_[used_++] = {camera, param, value};
    return true;
}

void CardState::powerOn(const CardSettings& with)
{
    settings = with;
    registers.reset(with.decoderType);
    bus.reset(with.decoderType, with.expanderAddress);
    bus.setInputs(with.expanderInputs);
    params.clear();
    memset(frameCounters, 0, sizeof(frameCounters));
    memset(signals, 0, sizeof(signals));
    memset(cameraNames, 0, sizeof(cameraNames));
    for (int camera = 0; camera < kMaxCards; ++camera)
        snprintf(cameraNames[camera], sizeof(cameraNames[camera]), "Camera %d", camera + 1);
}

} // namespace sim
