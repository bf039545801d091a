// How the virtual card carries out each request.
#include <cstring>

#include "card_status.h"
#include "frames.h"
#include "virtual_card.h"

namespace sim {

namespace {

constexpr uint32_t kLargestMaskBytes = 100 * 576;

} // namespace

uint32_t VirtualCard::handle(driver::Header& request, bool legacyFamily)
{
    if (request.code < 0 || request.code >= driver::kCodeCount)
        return driver::kStatusNotSupported;
    if (request.size != driver::kCodes[request.code].size)
        return kStatusBadRequest;
    switch (request.code) {
    case driver::MapMemory: {
        auto& map = reinterpret_cast<driver::MapMemoryRequest&>(request);
        uint8_t* memory = frameMemoryLocked();
        if (!memory)
            return kStatusBadRequest;
        map.mapInfo0 = state_->settings.mapInfo0;
        // The reply names the mapping in 32 bits, so it lies below 4 GB.
        if (!driver::addressFits(memory))
            return kStatusBadRequest;
        map.frameMemory = state_->settings.mapFrameMemory ? driver::addressWord(memory) : 0;
        map.frameMemorySize = state_->settings.frameMemorySize;
        map.mapInfo3 = state_->settings.mapInfo3;
        mapped_ = true;
        return driver::kStatusOk;
    }
    case driver::UnmapMemory:
        mapped_ = false;
        return driver::kStatusOk;
    case driver::Digit:
        return digit(reinterpret_cast<driver::DigitRequest&>(request), legacyFamily);
    case driver::SetReg: {
        auto& set = reinterpret_cast<driver::SetRegRequest&>(request);
        return state_->registers.write(set.camera, set.regNum, set.value) ? driver::kStatusOk
                                                                   : kStatusBadRequest;
    }
    case driver::GetReg: {
        auto& get = reinterpret_cast<driver::GetRegRequest&>(request);
        // Mode 1 asks for the power-on value, as camera 0 does.
        int camera = get.mode == 1 ? 0 : get.camera;
        return state_->registers.read(camera, get.regNum, get.value) ? driver::kStatusOk
                                                              : kStatusBadRequest;
    }
    case driver::SetCameraSignal: {
        auto& signal = reinterpret_cast<driver::SetCameraSignalRequest&>(request);
        if (signal.camera < 1 || signal.camera > kMaxCards)
            return kStatusBadRequest;
        state_->signals[signal.camera] = signal.signalType;
        return driver::kStatusOk;
    }
    case driver::SetDriverParam: {
        auto& set = reinterpret_cast<driver::SetDriverParamRequest&>(request);
        if (set.camera < 0 || set.camera > kMaxCards)
            return kStatusBadRequest;
        // The driver's table of parameters is of fixed size.
        return state_->params.set(set.camera, set.param, set.value) ? driver::kStatusOk
                                                                     : kStatusBadRequest;
    }
    case driver::GetDriverParam: {
        auto& get = reinterpret_cast<driver::GetDriverParamRequest&>(request);
        if (get.camera < 0 || get.camera > kMaxCards)
            return kStatusBadRequest;
        if (const int32_t* found = state_->params.find(get.camera, get.param))
            get.value = *found;
        else
            get.value = get.param == 20 ? static_cast<int32_t>(state_->settings.boardId) : 0;
        return driver::kStatusOk;
    }
    case driver::I2CTransfer:
        return i2cTransfer(reinterpret_cast<driver::I2CTransferRequest&>(request));
    case driver::I2CCommand: {
        auto& sequence = reinterpret_cast<driver::I2CCommandRequest&>(request);
        if (sequence.count < 0 || sequence.count > 256)
            return kStatusBadRequest;
        return state_->bus.command(state_->registers, sequence.words, sequence.count) ? driver::kStatusOk
                                                                        : kStatusNack;
    }
    case driver::MemoryConfig:
        return memoryConfiguration(reinterpret_cast<driver::MemoryConfigRequest&>(request));
    case driver::Output:
        return output(reinterpret_cast<driver::OutputRequest&>(request));
    case driver::CameraRecord:
        return cameraRecord(reinterpret_cast<driver::CameraRecordRequest&>(request));
    case driver::Overlay:
        overlay_ = reinterpret_cast<const driver::OverlayRequest&>(request);
        return driver::kStatusOk;
    case driver::OverlayEx:
        overlayEx_ = reinterpret_cast<const driver::OverlayExRequest&>(request);
        return driver::kStatusOk;
    case driver::Mask:
        return maskRequest(reinterpret_cast<const driver::MaskRequest&>(request), legacyFamily);
    case driver::CardInfo: {
        auto& info = reinterpret_cast<driver::CardInfoRequest&>(request);
        info.cardInfo0 = state_->settings.cardInfo0;
        info.cardInfo1 = state_->settings.cardInfo1;
        info.decoderType = state_->settings.decoderType;
        return driver::kStatusOk;
    }
    default:
        return driver::kStatusNotSupported;
    }
}

uint32_t VirtualCard::i2cTransfer(driver::I2CTransferRequest& request)
{
    if (request.count < 0 || request.count > 256 || request.address > 0xFF ||
        request.subAddress > 0xFF)
        return kStatusBadRequest;
    uint8_t address = static_cast<uint8_t>(request.address);
    uint8_t subAddress = static_cast<uint8_t>(request.subAddress);
    bool answered = request.direction == 1
                        ? state_->bus.transmit(state_->registers, address, subAddress, request.data, request.count)
                        : state_->bus.receive(state_->registers, address, subAddress, request.data, request.count);
    return answered ? driver::kStatusOk : kStatusNack;
}

// Get reports the configuration; set takes the three offsets, refusing any
// that lies past the frame memory.
uint32_t VirtualCard::memoryConfiguration(driver::MemoryConfigRequest& request)
{
    if (request.operation == 0) {
        request.captureOffset = state_->settings.captureOffset;
        request.maskOffset = state_->settings.maskOffset;
        request.outputOffset = state_->settings.outputOffset;
        request.boardType = state_->settings.boardType;
        request.extraInfo = state_->settings.extraInfo;
        return driver::kStatusOk;
    }
    if (request.operation != 1)
        return kStatusBadRequest;
    uint32_t size = state_->settings.frameMemorySize;
    if (request.captureOffset > size || request.maskOffset > size || request.outputOffset > size)
        return kStatusBadRequest;
    state_->settings.captureOffset = request.captureOffset;
    state_->settings.maskOffset = request.maskOffset;
    state_->settings.outputOffset = request.outputOffset;
    return driver::kStatusOk;
}

// Output data is staged in the frame memory at the output offset (the newer
// family) before the request names it; the card keeps what it was given, and
// (while requests are logged) the staged bytes.
uint32_t VirtualCard::output(const driver::OutputRequest& request)
{
    OutputSeen seen{request.mode, {request.param1, request.param2, request.param3}, request.data,
                    request.length, {}};
    uint8_t* memory = frameMemoryLocked();
    if (state_->settings.logRequests && request.mode != 0 && memory && request.length &&
        uint64_t(state_->settings.outputOffset) + request.length <= state_->settings.frameMemorySize)
        seen.staged.assign(memory + state_->settings.outputOffset,
                           memory + state_->settings.outputOffset + request.length);
    outputs_.push_back(std::move(seen));
    if (outputs_.size() > 64)
        outputs_.erase(outputs_.begin());
    return driver::kStatusOk;
}

// The record of a camera input: its size (40), the camera number and its name.
uint32_t VirtualCard::cameraRecord(driver::CameraRecordRequest& request)
{
    if (request.camera < 1 || request.camera > kMaxCards)
        return kStatusBadRequest;
    uint32_t words[2] = {sizeof(request.record), static_cast<uint32_t>(request.camera - 1)};
    memcpy(request.record, words, sizeof(words));
    char name[32] = {};
    const char* source = state_->cameraNames[request.camera - 1];
    memcpy(name, source, strnlen(source, 31));
    memcpy(request.record + 8, name, sizeof(name));
    return driver::kStatusOk;
}

// The newer family reads the mask from the frame memory at the mask offset,
// where the library copied it; the older one from the caller's address.
uint32_t VirtualCard::maskRequest(const driver::MaskRequest& request, bool legacyFamily)
{
    mask_.request = request;
    mask_.bits.clear();
    if (request.maskSwitch == 0)
        return driver::kStatusOk;
    const uint8_t* source = nullptr;
    if (legacyFamily) {
        // The driver reads no more than the largest mask (769 x 576 pixels).
        if (request.size <= kLargestMaskBytes)
            source = driver::wordAddress<const uint8_t>(request.bits);
    } else {
        uint8_t* memory = frameMemoryLocked();
        if (memory && uint64_t(state_->settings.maskOffset) + request.size <= state_->settings.frameMemorySize)
            source = memory + state_->settings.maskOffset;
    }
    if (!source)
        return kStatusBadRequest;
    // Kept for inspection only while requests are logged.
    if (state_->settings.logRequests)
        mask_.bits.assign(source, source + request.size);
    return driver::kStatusOk;
}

// The older family writes the frame into the caller's buffer; the newer one
// into the frame memory at the capture offset, where a second camera of a
// board of type 0x200 leaves its two planes instead.
uint32_t VirtualCard::digit(driver::DigitRequest& request, bool legacyFamily)
{
    int camera = request.camera;
    uint32_t frame = 0;
    if (camera >= 0 && camera <= kMaxCards)
        frame = state_->frameCounters[camera]++;
    if (!state_->settings.renderFrames)
        return driver::kStatusOk;
    FrameFormat format{request.width, request.height, request.bitsPerPixel, request.rgb != 0};
    uint32_t shownCamera = camera > 0 ? uint32_t(camera - 1) : 0;
    if (legacyFamily) {
        auto* buffer = driver::wordAddress<uint8_t>(request.buffer);
        if (buffer && frameSize(format) == request.frameBytes)
            renderPattern(format, shownCamera, frame, buffer);
        return driver::kStatusOk;
    }
    uint8_t* memory = frameMemoryLocked();
    uint64_t room = memory && state_->settings.captureOffset <= state_->settings.frameMemorySize
                        ? state_->settings.frameMemorySize - state_->settings.captureOffset
                        : 0;
    uint32_t lines = lineCount(request.height);
    if (state_->settings.boardType == 0x200 && camera >= 2) {
        uint64_t planes = 3ull * uint64_t(request.width > 0 ? request.width : 0) * lines;
        if (planes && planes <= room)
            renderSecondCameraPlanes(request.width, static_cast<int32_t>(lines), shownCamera,
                                     frame, memory + state_->settings.captureOffset);
        return driver::kStatusOk;
    }
    uint64_t size = frameSize(format);
    if (size && size <= room)
        renderPattern(format, shownCamera, frame, memory + state_->settings.captureOffset);
    return driver::kStatusOk;
}

} // namespace sim
