// The virtual card: a software card that answers the driver's request
// protocol, so that every driver path of the library runs without hardware.
//
// Up to ten cards. Tests configure them through this interface; the tool and
// the demo through the environment variables read by reset() (see README).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "card/driver_request.h"
#include "card_state.h"
#include "low_memory.h"
#include "shared_cards.h"

namespace sim {

// The five words of a memory configuration after its size word.
struct DCardMemoryConfigWords {
    uint32_t captureOffset, maskOffset, outputOffset, boardType, extraInfo;
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
    // Keeps the card's state in the shared set as card index (null: in this
    // process, as power-on leaves it). Request logs and faults stay with the
    // process.
    void attach(SharedCards* shared, int index);

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

    // Runs change on the card's state under the card's lock, as a request
    // does (for tests: a change that a process dies in the middle of).
    void changeState(const std::function<void(CardState&)>& change);

    // One device-control call on this card. False when the call itself fails
    // (error receives the reason); the request's own outcome is in its status.
    bool control(uint32_t controlCode, bool legacyFamily, void* in, uint32_t inSize, void* out,
                 uint32_t outSize, uint32_t* bytesReturned, uint32_t* error);

private:
    uint32_t handle(driver::Header& request, bool legacyFamily);
    uint32_t digit(driver::DigitRequest& request, bool legacyFamily);
    bool faultMatches(const Fault& fault, const driver::Header& request) const;
    // The first fault for this request (null: the address translation),
    // used once; false when none is waiting.
    bool takeFault(const driver::Header* request, Fault& hit);
    uint32_t i2cTransfer(driver::I2CTransferRequest& request);
    uint32_t memoryConfiguration(driver::MemoryConfigRequest& request);
    uint32_t output(const driver::OutputRequest& request);
    uint32_t cameraRecord(driver::CameraRecordRequest& request);
    uint32_t maskRequest(const driver::MaskRequest& request, bool legacyFamily);
    bool translate(void* in, uint32_t inSize, void* out, uint32_t outSize,
                   uint32_t* bytesReturned, uint32_t* error);
    uint8_t* frameMemoryLocked();
    // What this process alone keeps: faults, logs, what the card was sent.
    void forgetLocal();

    // The card's lock: this process's, and the shared card's when shared.
    class Hold {
    public:
        explicit Hold(const VirtualCard& card);
        ~Hold();
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        const VirtualCard& card_;
        std::lock_guard<std::mutex> local_;
    };

    mutable std::mutex mutex_;
    std::unique_ptr<CardState> own_{new CardState()};
    CardState* state_ = own_.get(); // own_, or the shared card's
    SharedCards* shared_ = nullptr;
    int index_ = 0;
    std::vector<Fault> faults_;
    std::vector<LoggedRequest> log_;
    LowMemory frameMemory_;
    uint32_t allocatedSize_ = 0;
    bool mapped_ = false;
    std::vector<OutputSeen> outputs_;
    driver::OverlayRequest overlay_{};
    driver::OverlayExRequest overlayEx_{};
    std::vector<uint32_t> translations_;
    MaskSeen mask_{};
};

// Every card to the settings of the environment, all cards unmapped, no
// device open, request logs and counters cleared: the shared cards too, when
// this process uses them. Call only while the library has no card open.
void reset();

// Whether a process uses the shared cards (shared_cards.h) unless
// SAA7146_SIM_SHARED says otherwise ("0": its own cards): yes for programs
// linked with the system library, no for the tests, each of which keeps its
// own cards unless it asks for the shared ones. Defined by how the program
// is linked.
bool sharedByDefault();
// This process's cards become the shared set in directory (empty: the
// default directory); false, with the reason, when that cannot be opened.
// Call only while the library has no card open.
bool useSharedCards(const std::string& directory, std::string& reason);
// This process's own cards again, powered on from the environment.
void usePrivateCards();
// The shared set this process uses, or null.
SharedCards* sharedCards();
// How many cards answer (1..10).
void setCardCount(int count);
int cardCount();
VirtualCard& card(int number);
// The settings that reset() gives every card: the defaults above, changed by
// the SAA7146_SIM_* environment variables.
CardSettings environmentSettings();

} // namespace sim
