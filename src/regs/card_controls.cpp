// Controls that take one driver request or one short I2C sequence: camera
// signal, driver parameters, memory configuration, output data, and the port
// expander's outputs and inputs.
#include <cstring>

#include "card/digit_card.h"
#include "card/send_request.h"
#include "card/switches.h"

namespace {

constexpr int kExpanderSpeed = 100;
constexpr uint32_t kStart = 0x30000;
constexpr uint32_t kStop = 0x10000;
constexpr int32_t kFallbackExpander = 0x40;
constexpr int kInputAttempts = 3;

uint32_t sizeWord(const void* record)
{
    uint32_t size;
    memcpy(&size, record, sizeof(size));
    return size;
}

} // namespace

int DigitCard::setCameraSignal(int camera, int signalType)
{
    SemaphoreScope hold(cardLock);
    auto request = driver::makeRequest<driver::SetCameraSignalRequest>();
    request.camera = camera + 1;
    request.signalType = signalType;
    return sendRequest(request, device);
}

int DigitCard::setDriverParam(int camera, int param, int value)
{
    if (testMode)
        return 1;
    SemaphoreScope hold(cardLock);
    auto request = driver::makeRequest<driver::SetDriverParamRequest>();
    request.camera = camera + 1;
    request.param = param;
    request.value = value;
    return sendRequest(request, device);
}

int DigitCard::getDriverParam(int camera, int param, int* value)
{
    if (testMode) {
        if (value)
            *value = 0;
        return 1;
    }
    if (!value)
        return 0;
    SemaphoreScope hold(cardLock);
    auto request = driver::makeRequest<driver::GetDriverParamRequest>();
    request.camera = camera + 1;
    request.param = param;
    if (!sendRequest(request, device))
        return 0;
    *value = request.value;
    return 1;
}

int DigitCard::getMemoryConfig(DCardMemoryConfig* config)
{
    SemaphoreScope hold(cardLock);
    if (!config)
        return 0;
    DCardMemoryConfig record = {sizeof(DCardMemoryConfig), 0, 0, 0, 0x101, 2};
    if (!testMode) {
        auto request = driver::makeRequest<driver::MemoryConfigRequest>();
        request.operation = 0;
        if (!sendRequest(request, device))
            return 0;
        record = {sizeof(DCardMemoryConfig), request.captureOffset, request.maskOffset,
                  request.outputOffset,      request.boardType,     request.extraInfo};
    }
    memoryConfig = record;
    uint32_t n = sizeWord(config);
    memcpy(config, &record, n < sizeof(record) ? n : sizeof(record));
    return 1;
}

int DigitCard::setMemoryConfig(const DCardMemoryConfig* config)
{
    SemaphoreScope hold(cardLock);
    if (!config)
        return 0;
    DCardMemoryConfig record = {};
    uint32_t n = sizeWord(config);
    memcpy(&record, config, n < sizeof(record) ? n : sizeof(record));
    auto request = driver::makeRequest<driver::MemoryConfigRequest>();
    request.operation = 1;
    request.captureOffset = record.captureOffset;
    request.maskOffset = record.maskOffset;
    request.outputOffset = record.outputOffset;
    int result = sendRequest(request, device);
    // The card keeps the caller's configuration even when the driver refused it.
    memoryConfig = record;
    return result;
}

int DigitCard::output(int mode, int param1, int param2, int param3, const void* data,
                      uint32_t length)
{
    SemaphoreScope hold(cardLock);
    if (testMode)
        return 1;
    auto request = driver::makeRequest<driver::OutputRequest>();
    request.mode = mode;
    if (mode != 0) {
        request.param1 = param1;
        request.param2 = param2;
        request.param3 = param3;
        request.data = driver::addressWord(data);
        request.length = length;
        if (data && !legacyDriver) {
            // The driver takes the data from the frame memory: it has to be
            // mapped, and the data has to fit behind the output offset.
            FrameMapping memory = mapping();
            uint64_t end = uint64_t(memoryConfig.outputOffset) + length;
            if (!memory.frameMemory || end > memory.frameMemorySize)
                return 0;
            if (length)
                memcpy(memory.frameMemory + memoryConfig.outputOffset, data, length);
        }
    }
    return sendRequest(request, device);
}

int DigitCard::setOutputs(int outputs)
{
    SemaphoreScope hold(cardLock);
    uint32_t words[2] = {kStart + static_cast<uint32_t>(ioExpanderAddress),
                         kStop + (0xF0u | (static_cast<uint32_t>(outputs) & 0x0F))};
    return i2cCommand(kExpanderSpeed, words, 2);
}

int DigitCard::getInputs(int* inputs)
{
    SemaphoreScope hold(cardLock);
    if (!inputs)
        return 0;
    *inputs = 0;
    uint32_t words[2] = {kStart + 1 + static_cast<uint32_t>(ioExpanderAddress), kStop};
    if (!i2cCommand(kExpanderSpeed, words, 2))
        return 0;
    *inputs = static_cast<int>((words[1] & 0xF0) >> 4);
    return 1;
}

// Boards whose parameter 20 reads 0x300..0x304 in its low half carry the
// port expander; when it does not answer at 0x70 it is taken to be at 0x40.
void DigitCard::probeExpander(uint32_t boardId)
{
    uint32_t board = boardId & 0xFFFF;
    if (board < 0x300 || board > 0x304)
        return;
    setOutputs(0);
    int inputs = 0;
    for (int attempt = 0; attempt < kInputAttempts; ++attempt)
        if (getInputs(&inputs))
            return;
    ioExpanderAddress = kFallbackExpander;
}

int DigitCard::getCameraRecord(int camera, DCardCameraRecord* record)
{
    SemaphoreScope hold(cardLock);
    if (!record)
        return 0;
    auto request = driver::makeRequest<driver::CameraRecordRequest>();
    uint32_t n = sizeWord(record);
    if (n > sizeof(request.record))
        n = sizeof(request.record);
    request.camera = camera + 1;
    memcpy(request.record, record, n);
    if (!sendRequest(request, device))
        return 0;
    memcpy(record, request.record, n);
    return 1;
}
