// What a virtual card holds as the driver and the chips would: its settings,
// registers, I2C devices, signals, driver parameters, camera names and frame
// counters. Plain data, so that it can live in the memory of one process or
// in memory that every process shares (shared_cards.h).
#pragma once

#include <cstdint>
#include <tuple>
#include <type_traits>

#include "i2c_bus.h"
#include "registers.h"

namespace sim {

constexpr int kMaxCards = 10;

struct CardSettings {
    int32_t decoderType = 2;          // 2 SAA7110, 3 KS0127B
    int32_t cardInfo0 = 0x0101;
    int32_t cardInfo1 = 0x0002;
    uint32_t frameMemorySize = 0x480000;
    uint32_t mapInfo0 = 0x00000001;
    uint32_t mapInfo3 = 0x00000000;
    uint32_t boardId = 0x00010302;    // driver parameter 20
    uint32_t boardType = 0;           // memory configuration
    uint32_t captureOffset = 0;
    uint32_t maskOffset = 0;
    uint32_t outputOffset = 0;
    uint32_t extraInfo = 0;
    int32_t expanderAddress = 0x70;   // 0: no port expander on the bus
    uint8_t expanderInputs = 0;       // levels of the expander's four inputs
    bool renderFrames = true;         // false: Digit leaves the frame memory alone
    uint32_t digitDelayMs = 0;        // how long a Digit request blocks
    int32_t slowCode = -1;            // a request code that blocks for slowMs too
    uint32_t slowMs = 0;
    bool logRequests = true;          // keep every request for requests()
    bool mapFrameMemory = true;       // false: MapMemory succeeds without an address
    bool translateAddresses = true;   // false: the translation leaves parameter 4 alone
    uint32_t physicalOffset = 0x40000000; // a translated address is the user address plus this
};

// Field by field: the padding between fields is nobody's, and differs from
// one process to the next.
inline bool operator==(const CardSettings& a, const CardSettings& b)
{
    auto fields = [](const CardSettings& s) {
        return std::tie(s.decoderType, s.cardInfo0, s.cardInfo1, s.frameMemorySize, s.mapInfo0,
                        s.mapInfo3, s.boardId, s.boardType, s.captureOffset, s.maskOffset,
                        s.outputOffset, s.extraInfo, s.expanderAddress, s.expanderInputs,
                        s.renderFrames, s.digitDelayMs, s.slowCode, s.slowMs, s.logRequests,
                        s.mapFrameMemory, s.translateAddresses, s.physicalOffset);
    };
    return fields(a) == fields(b);
}

// Driver parameters by (camera word, parameter), in a table of fixed size as
// a driver keeps them.
class DriverParams {
public:
    static constexpr int kSlots = 128;

    void clear() { used_ = 0; }
    // Null when the parameter was never set.
    const int32_t* find(int32_t camera, int32_t param) const;
    // False when the table is full.
    bool set(int32_t camera, int32_t param, int32_t value);

private:
    struct Entry {
        int32_t camera, param, value;
    };
    Entry entries_[kSlots];
    int32_t used_ = 0;
};

struct CardState {
    CardSettings settings;
    Registers registers;
    I2CBus bus;
    DriverParams params;
    uint32_t frameCounters[kMaxCards + 1]; // by camera word
    int32_t signals[kMaxCards + 1];        // by camera word
    char cameraNames[kMaxCards][32];       // NUL-terminated

    // Power-on: the settings given, everything else as the card starts.
    void powerOn(const CardSettings& with);
};

static_assert(std::is_trivially_copyable<CardState>::value,
              "a card's state is copied between processes as bytes");

} // namespace sim
