// One card slot: the connection to the card's driver, the open sequence that
// identifies the card and brings it to a known state, the mapping of its frame
// memory, and the card's own lock, which every card operation holds.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include <saa7146/dcard.h>

#include "card/driver_request.h"
#include "platform/platform.h"
#include "support/semaphore.h"

// The device value of a card open in test mode: there is no driver behind it.
#define TEST_MODE_DEVICE (reinterpret_cast<HANDLE>(static_cast<intptr_t>(1)))

// Cards are numbered 0..9: ten slots.
constexpr int kCardSlots = 10;

// Where the card's frame memory is mapped into the process.
struct FrameMapping {
    uint32_t mapInfo0;
    uint8_t* frameMemory; // null while not mapped
    uint32_t frameMemorySize;
    uint32_t mapInfo3;
};

class DigitCard {
public:
    DigitCard();
    ~DigitCard();
    DigitCard(const DigitCard&) = delete;
    DigitCard& operator=(const DigitCard&) = delete;

    // The open sequence; 1 when the card is open and ready.
    int open();
    // Unmaps and closes the device; always 1.
    int close();
    bool isOpen() const { return device != INVALID_HANDLE_VALUE; }

    // The caller holds cardLock.
    int mapMemory();
    int unmapMemory();
    FrameMapping mapping() const;

    int getDecoderType(int* out) const;

    // One frame of a mode (0..27) into buffer; 1 with *bytesOut set.
    int digit(int camera, int mode, void* buffer, uint32_t bufferLength, uint32_t* bytesOut,
              int flip);
    // One frame of a free format into buffer; 1 with *bytesOut set.
    int digitEx(int camera, int width, int height, int bitsPerPixel, int colourType, void* buffer,
                uint32_t bufferLength, uint32_t* bytesOut, int flip);

    // One whole register value of a camera, to or from the driver.
    int privSetReg(int camera, uint32_t regNum, uint32_t value);
    int privGetReg(int camera, uint32_t regNum, uint32_t* value);
    // A raw register (below 0x10000) or the described field whose regNum it is.
    int setReg(int camera, int reg, int value);
    int getReg(int camera, int reg, int* value);
    // The described field of that name.
    int setStringReg(int camera, const char* name, int value);
    int getStringReg(int camera, const char* name, int* value);
    // Numbers the card's descriptors and reads their defaults; part of open.
    int refreshRegisters();

    // The I2C bus: block transfers of up to 256 bytes, and command sequences
    // of up to 256 words (byte in bits 0-7, attribute in bits 16-17).
    int i2cTransmit(int speed, int address, int subAddress, const void* data, int count);
    int i2cReceive(int speed, int address, int subAddress, void* buffer, int count);
    int i2cCommand(int speed, uint32_t* words, int count);

    int setCameraSignal(int camera, int signalType);
    int setDriverParam(int camera, int param, int value);
    int getDriverParam(int camera, int param, int* value);
    int getMemoryConfig(DCardMemoryConfig* config);
    int setMemoryConfig(const DCardMemoryConfig* config);
    int output(int mode, int param1, int param2, int param3, const void* data, uint32_t length);
    // The port expander's four outputs and four inputs.
    int setOutputs(int outputs);
    int getInputs(int* inputs);
    int getCameraRecord(int camera, DCardCameraRecord* record);

    // I2C address of the port expander; 0x40 when the probe at open failed.
    int32_t ioExpanderAddress = 0;
    int32_t cardInfo[2] = {0, 0};
    std::atomic<int32_t> decoderType{0};
    // The card's copy of the memory configuration.
    DCardMemoryConfig memoryConfig{};
    SEMAPHORE cardLock{0};
    HANDLE device = INVALID_HANDLE_VALUE;
    // The slot's number, set once when the table is made: read without a
    // lock (the display side finds the slot's state by it).
    int32_t cardNumber = 0;
    bool displayDialog = false;

private:
    struct DigitJob;
    HANDLE openDevice();
    int runDigit(const DigitJob& job, uint32_t* bytesOut);
    int writeField(int camera, const DCardRegInfo& field, int value);
    void probeExpander(uint32_t boardId);
    int readField(int camera, const DCardRegInfo& field, int* value);

    // The kept MapMemory request; its reply is the mapping. Written under
    // cardLock and mapLock_, so mapping() may read it under mapLock_ alone.
    driver::MapMemoryRequest memoryMapRequest;
    mutable std::mutex mapLock_;
    // Whether device is the test-mode pseudo handle, fixed at open so that a
    // later change of the test mode never closes a handle the card does not own.
    bool pseudoDevice_ = false;
};
