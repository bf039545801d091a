// The virtual card: a software card that answers the driver's request
// protocol, so that every driver path of the library runs without hardware.
//
// Up to ten cards. Tests configure them through this interface; the tool and
// the demo through the environment variables read by reset() (see README).
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "card/driver_request.h"
#include "i2c_bus.h"
#include "registers.h"

namespace sim {

constexpr int kMaxCards = 10;

// The five words of a memory configuration after its size word.
struct DCardMemoryConfigWords {
    uint32_t captureOffset, maskOffset, outputOffset, boardType, extraInfo;
};

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

// One request as the library sent it, and how the card answered.
struct LoggedRequest {
    uint32_t controlCode;
    int32_t code;
    std::vector<uint8_t> sent;
    uint32_t status;
};

// The code a fault gives to match the address translation call instead of a
// request.
constexpr int32_t kTranslationFaultCode = 100;

// A fault for the next matching requests.
struct Fault {
    // Garbage: the request is carried out, then bytes overwrite its reply
    // from byteOffset on, as far as the record reaches.
    enum Kind { Status, ShortCount, CallFails, Garbage };
    Kind kind = Status;
    int32_t code = -1;       // request code to match, -1 any
    int64_t reg = -1;        // register number of a SetReg or GetReg to match, -1 any
    uint32_t status = 1;     // Status: the status word answered
    uint32_t shortBy = 4;    // ShortCount: bytes missing from the count returned
    int remaining = 1;       // how many matching requests it hits
    uint32_t byteOffset = sizeof(driver::Header); // Garbage: where the bytes go
    std::vector<uint8_t> bytes;                   // Garbage: what overwrites the reply
};

class VirtualCard {
public:
    VirtualCard() = default;
    VirtualCard(const VirtualCard&) = delete;
    VirtualCard& operator=(const VirtualCard&) = delete;

    CardSettings settings() const;
    // Applies new settings and returns the card to its power-on state.
    void configure(const CardSettings& settings);

    void injectFault(const Fault& fault);
    void clearFaults();

    std::vector<LoggedRequest> requests() const;
    size_t countRequests(int32_t code) const;
    void clearRequests();

    // The frame memory as MapMemory hands it out (allocated on first use).
    uint8_t* frameMemory();
    // How many frames a camera (0-based) has digitized; the next frame's number.
    uint32_t framesDigitized(int camera) const;

    // A register of a camera (0-based; -1 for the power-on value), as the
    // driver holds it; false for no such register.
    bool readRegister(int camera, uint32_t reg, uint32_t& value) const;
    bool writeRegister(int camera, uint32_t reg, uint32_t value);

    // The I2C bus: the levels of the expander's inputs (0..15), what was last
    // written to it, and addresses that do not answer.
    void setExpanderInputs(uint8_t levels);
    uint8_t expanderLatch() const;
    void nackAddress(uint8_t address);

    // What the driver keeps per camera (0-based).
    int32_t signalType(int camera) const;
    int32_t driverParam(int camera, int32_t param) const;
    void setCameraName(int camera, const std::string& name);

    // The memory configuration as the driver holds it.
    DCardMemoryConfigWords memoryConfig() const;

    // The last Output requests with data, and (while requests are logged)
    // the bytes staged for them.
    struct OutputSeen {
        int32_t mode;
        int32_t params[3];
        uint32_t data;
        uint32_t length;
        std::vector<uint8_t> staged;
    };
    std::vector<OutputSeen> outputs() const;
    uint32_t frameMemorySize() const;
    bool mapped() const;

    // The overlay as the driver holds it: the last Overlay and OverlayEx
    // requests (code 0 until one came).
    driver::OverlayRequest overlay() const;
    driver::OverlayExRequest overlayEx() const;
    // The user addresses the translation code was given, oldest first.
    std::vector<uint32_t> translations() const;
    // The last Mask request, and (while requests are logged) the mask bytes
    // the driver read for it: from
    // the frame memory at the mask offset, or (older family) at the address
    // in the request.
    struct MaskSeen {
        driver::MaskRequest request;
        std::vector<uint8_t> bits;
    };
    MaskSeen mask() const;

    // One device-control call on this card. False when the call itself fails
    // (error receives the reason); the request's own outcome is in its status.
    bool control(uint32_t controlCode, bool legacyFamily, void* in, uint32_t inSize, void* out,
                 uint32_t outSize, uint32_t* bytesReturned, uint32_t* error);

private:
    uint32_t handle(driver::Header& request, bool legacyFamily);
    uint32_t digit(driver::DigitRequest& request, bool legacyFamily);
    bool faultMatches(const Fault& fault, const driver::Header& request) const;
    uint32_t i2cTransfer(driver::I2CTransferRequest& request);
    uint32_t memoryConfiguration(driver::MemoryConfigRequest& request);
    uint32_t output(const driver::OutputRequest& request);
    uint32_t cameraRecord(driver::CameraRecordRequest& request);
    uint32_t maskRequest(const driver::MaskRequest& request, bool legacyFamily);
    bool translate(void* in, uint32_t inSize, void* out, uint32_t outSize,
                   uint32_t* bytesReturned, uint32_t* error);
    uint8_t* frameMemoryLocked();

    mutable std::mutex mutex_;
    CardSettings settings_;
    std::vector<Fault> faults_;
    std::vector<LoggedRequest> log_;
    std::unique_ptr<uint8_t[]> frameMemory_;
    uint32_t allocatedSize_ = 0;
    bool mapped_ = false;
    uint32_t frameCounters_[kMaxCards + 1] = {};
    Registers registers_;
    I2CBus bus_;
    int32_t signals_[kMaxCards + 1] = {};
    std::map<std::pair<int32_t, int32_t>, int32_t> params_; // by (camera word, parameter)
    std::string cameraNames_[kMaxCards];
    std::vector<OutputSeen> outputs_;
    driver::OverlayRequest overlay_{};
    driver::OverlayExRequest overlayEx_{};
    std::vector<uint32_t> translations_;
    MaskSeen mask_{};
};

// Every card to the settings of the environment, all cards unmapped, no
// device open, request logs and counters cleared. Call only while the library
// has no card open.
void reset();
// How many cards answer (1..10).
void setCardCount(int count);
int cardCount();
VirtualCard& card(int number);
// The settings that reset() gives every card: the defaults above, changed by
// the SAA7146_SIM_* environment variables.
CardSettings environmentSettings();

} // namespace sim
