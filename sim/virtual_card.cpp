#include "virtual_card.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <thread>

#include "device_files.h"
#include "frames.h"

namespace sim {

namespace {

constexpr size_t kLogLimit = 4096;
constexpr uint32_t kErrorInvalidFunction = 1;
constexpr uint32_t kErrorGenFailure = 31;
constexpr uint32_t kErrorInvalidParameter = 87;
constexpr uint32_t kStatusBadRequest = 3;
constexpr uint32_t kStatusNack = 1;

bool readNumber(const char* name, uint32_t& value)
{
    const char* text = getenv(name);
    if (!text || !*text)
        return false;
    char* end = nullptr;
    unsigned long parsed = strtoul(text, &end, 0);
    if (*end != '\0')
        return false;
    value = static_cast<uint32_t>(parsed);
    return true;
}

} // namespace

CardSettings environmentSettings()
{
    CardSettings settings;
    uint32_t value;
    if (readNumber("SAA7146_SIM_DECODER", value))
        settings.decoderType = static_cast<int32_t>(value);
    if (readNumber("SAA7146_SIM_BOARD_ID", value))
        settings.boardId = value;
    if (readNumber("SAA7146_SIM_BOARD_TYPE", value))
        settings.boardType = value;
    if (readNumber("SAA7146_SIM_MEMORY", value))
        settings.frameMemorySize = value;
    if (readNumber("SAA7146_SIM_CAPTURE_OFFSET", value))
        settings.captureOffset = value;
    if (readNumber("SAA7146_SIM_EXPANDER", value))
        settings.expanderAddress = static_cast<int32_t>(value);
    if (readNumber("SAA7146_SIM_INPUTS", value))
        settings.expanderInputs = static_cast<uint8_t>(value & 0x0F);
    if (readNumber("SAA7146_SIM_RENDER", value))
        settings.renderFrames = value != 0;
    if (readNumber("SAA7146_SIM_DIGIT_MS", value))
        settings.digitDelayMs = value;
    return settings;
}

CardSettings VirtualCard::settings() const
{
    std::lock_guard<std::mutex> hold(mutex_);
    return settings_;
}

void VirtualCard::configure(const CardSettings& settings)
{
    std::lock_guard<std::mutex> hold(mutex_);
    settings_ = settings;
    faults_.clear();
    log_.clear();
    mapped_ = false;
    memset(frameCounters_, 0, sizeof(frameCounters_));
    registers_.reset(settings.decoderType);
    bus_.reset(settings.decoderType, settings.expanderAddress);
    bus_.setInputs(settings.expanderInputs);
    memset(signals_, 0, sizeof(signals_));
    params_.clear();
    outputs_.clear();
    for (int camera = 0; camera < kMaxCards; ++camera)
        cameraNames_[camera] = "Camera " + std::to_string(camera + 1);
    if (allocatedSize_ != settings.frameMemorySize) {
        frameMemory_.reset();
        allocatedSize_ = 0;
    } else if (frameMemory_) {
        memset(frameMemory_.get(), 0, allocatedSize_);
    }
}

void VirtualCard::injectFault(const Fault& fault)
{
    std::lock_guard<std::mutex> hold(mutex_);
    faults_.push_back(fault);
}

void VirtualCard::clearFaults()
{
    std::lock_guard<std::mutex> hold(mutex_);
    faults_.clear();
}

std::vector<LoggedRequest> VirtualCard::requests() const
{
    std::lock_guard<std::mutex> hold(mutex_);
    return log_;
}

size_t VirtualCard::countRequests(int32_t code) const
{
    std::lock_guard<std::mutex> hold(mutex_);
    size_t count = 0;
    for (const LoggedRequest& request : log_)
        count += request.code == code;
    return count;
}

void VirtualCard::clearRequests()
{
    std::lock_guard<std::mutex> hold(mutex_);
    log_.clear();
}

uint8_t* VirtualCard::frameMemory()
{
    std::lock_guard<std::mutex> hold(mutex_);
    return frameMemoryLocked();
}

uint8_t* VirtualCard::frameMemoryLocked()
{
    if (!frameMemory_ && settings_.frameMemorySize > 0) {
        frameMemory_.reset(new uint8_t[settings_.frameMemorySize]());
        allocatedSize_ = settings_.frameMemorySize;
    }
    return frameMemory_.get();
}

uint32_t VirtualCard::frameMemorySize() const
{
    std::lock_guard<std::mutex> hold(mutex_);
    return settings_.frameMemorySize;
}

uint32_t VirtualCard::framesDigitized(int camera) const
{
    std::lock_guard<std::mutex> hold(mutex_);
    if (camera < 0 || camera >= kMaxCards)
        return 0;
    return frameCounters_[camera + 1];
}

bool VirtualCard::readRegister(int camera, uint32_t reg, uint32_t& value) const
{
    std::lock_guard<std::mutex> hold(mutex_);
    return registers_.read(camera + 1, reg, value);
}

bool VirtualCard::writeRegister(int camera, uint32_t reg, uint32_t value)
{
    std::lock_guard<std::mutex> hold(mutex_);
    return registers_.write(camera + 1, reg, value);
}

void VirtualCard::setExpanderInputs(uint8_t levels)
{
    std::lock_guard<std::mutex> hold(mutex_);
    bus_.setInputs(levels);
}

uint8_t VirtualCard::expanderLatch() const
{
    std::lock_guard<std::mutex> hold(mutex_);
    return bus_.expanderLatch();
}

void VirtualCard::nackAddress(uint8_t address)
{
    std::lock_guard<std::mutex> hold(mutex_);
    bus_.nack(address);
}

int32_t VirtualCard::signalType(int camera) const
{
    std::lock_guard<std::mutex> hold(mutex_);
    return camera >= 0 && camera < kMaxCards ? signals_[camera + 1] : -1;
}

int32_t VirtualCard::driverParam(int camera, int32_t param) const
{
    std::lock_guard<std::mutex> hold(mutex_);
    auto found = params_.find({camera + 1, param});
    return found == params_.end() ? 0 : found->second;
}

void VirtualCard::setCameraName(int camera, const std::string& name)
{
    std::lock_guard<std::mutex> hold(mutex_);
    if (camera >= 0 && camera < kMaxCards)
        cameraNames_[camera] = name;
}

DCardMemoryConfigWords VirtualCard::memoryConfig() const
{
    std::lock_guard<std::mutex> hold(mutex_);
    return {settings_.captureOffset, settings_.maskOffset, settings_.outputOffset,
            settings_.boardType, settings_.extraInfo};
}

std::vector<VirtualCard::OutputSeen> VirtualCard::outputs() const
{
    std::lock_guard<std::mutex> hold(mutex_);
    return outputs_;
}

bool VirtualCard::faultMatches(const Fault& fault, const driver::Header& request) const
{
    if (fault.code != -1 && fault.code != request.code)
        return false;
    if (fault.reg == -1)
        return true;
    if (request.code != driver::SetReg && request.code != driver::GetReg)
        return false;
    uint32_t regNum;
    memcpy(&regNum, reinterpret_cast<const uint8_t*>(&request) + 40, sizeof(regNum));
    return regNum == static_cast<uint32_t>(fault.reg);
}

bool VirtualCard::mapped() const
{
    std::lock_guard<std::mutex> hold(mutex_);
    return mapped_;
}

bool VirtualCard::control(uint32_t controlCode, bool legacyFamily, void* in, uint32_t inSize,
                          void* out, uint32_t outSize, uint32_t* bytesReturned, uint32_t* error)
{
    uint32_t delayMs = 0;
    bool result = true;
    {
        std::lock_guard<std::mutex> hold(mutex_);
        *bytesReturned = 0;
        uint32_t expected = legacyFamily ? driver::kLegacyRequestCode : driver::kRequestCode;
        if (controlCode != expected) {
            *error = kErrorInvalidFunction;
            return false;
        }
        if (!in || !out || inSize < sizeof(driver::Header) || outSize != inSize) {
            *error = kErrorInvalidParameter;
            return false;
        }
        if (in != out)
            memmove(out, in, inSize);
        auto& request = *static_cast<driver::Header*>(out);
        if (request.size != inSize) {
            *error = kErrorInvalidParameter;
            return false;
        }
        LoggedRequest unlogged;
        LoggedRequest* logged = &unlogged;
        if (settings_.logRequests) {
            const auto* bytes = static_cast<const uint8_t*>(out);
            if (log_.size() >= kLogLimit)
                log_.erase(log_.begin(), log_.begin() + kLogLimit / 2);
            log_.push_back({controlCode, request.code, std::vector<uint8_t>(bytes, bytes + inSize), 0});
            logged = &log_.back();
        }
        LoggedRequest& entry = *logged;

        uint32_t shortBy = 0;
        for (auto fault = faults_.begin(); fault != faults_.end(); ++fault) {
            if (!faultMatches(*fault, request))
                continue;
            Fault hit = *fault;
            if (--fault->remaining <= 0)
                faults_.erase(fault);
            if (hit.kind == Fault::CallFails) {
                *error = kErrorGenFailure;
                return false;
            }
            if (hit.kind == Fault::Status) {
                request.status = entry.status = hit.status;
                *bytesReturned = inSize;
                return true;
            }
            shortBy = hit.shortBy < inSize ? hit.shortBy : inSize;
            break;
        }
        request.status = entry.status = handle(request, legacyFamily);
        *bytesReturned = inSize - shortBy;
        if (request.code == driver::Digit)
            delayMs = settings_.digitDelayMs;
    }
    if (delayMs)
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
    return result;
}

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
        map.mapInfo0 = settings_.mapInfo0;
        map.frameMemory = settings_.mapFrameMemory
                              ? static_cast<uint32_t>(reinterpret_cast<uintptr_t>(memory))
                              : 0;
        map.frameMemorySize = settings_.frameMemorySize;
        map.mapInfo3 = settings_.mapInfo3;
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
        return registers_.write(set.camera, set.regNum, set.value) ? driver::kStatusOk
                                                                   : kStatusBadRequest;
    }
    case driver::GetReg: {
        auto& get = reinterpret_cast<driver::GetRegRequest&>(request);
        // Mode 1 asks for the power-on value, as camera 0 does.
        int camera = get.mode == 1 ? 0 : get.camera;
        return registers_.read(camera, get.regNum, get.value) ? driver::kStatusOk
                                                              : kStatusBadRequest;
    }
    case driver::SetCameraSignal: {
        auto& signal = reinterpret_cast<driver::SetCameraSignalRequest&>(request);
        if (signal.camera < 1 || signal.camera > kMaxCards)
            return kStatusBadRequest;
        signals_[signal.camera] = signal.signalType;
        return driver::kStatusOk;
    }
    case driver::SetDriverParam: {
        auto& set = reinterpret_cast<driver::SetDriverParamRequest&>(request);
        if (set.camera < 0 || set.camera > kMaxCards)
            return kStatusBadRequest;
        params_[{set.camera, set.param}] = set.value;
        return driver::kStatusOk;
    }
    case driver::GetDriverParam: {
        auto& get = reinterpret_cast<driver::GetDriverParamRequest&>(request);
        if (get.camera < 0 || get.camera > kMaxCards)
            return kStatusBadRequest;
        auto found = params_.find({get.camera, get.param});
        if (found != params_.end())
            get.value = found->second;
        else
            get.value = get.param == 20 ? static_cast<int32_t>(settings_.boardId) : 0;
        return driver::kStatusOk;
    }
    case driver::I2CTransfer:
        return i2cTransfer(reinterpret_cast<driver::I2CTransferRequest&>(request));
    case driver::I2CCommand: {
        auto& sequence = reinterpret_cast<driver::I2CCommandRequest&>(request);
        if (sequence.count > 256)
            return kStatusBadRequest;
        return bus_.command(registers_, sequence.words, sequence.count) ? driver::kStatusOk
                                                                        : kStatusNack;
    }
    case driver::MemoryConfig:
        return memoryConfiguration(reinterpret_cast<driver::MemoryConfigRequest&>(request));
    case driver::Output:
        return output(reinterpret_cast<driver::OutputRequest&>(request));
    case driver::CameraRecord:
        return cameraRecord(reinterpret_cast<driver::CameraRecordRequest&>(request));
    case driver::CardInfo: {
        auto& info = reinterpret_cast<driver::CardInfoRequest&>(request);
        info.cardInfo0 = settings_.cardInfo0;
        info.cardInfo1 = settings_.cardInfo1;
        info.decoderType = settings_.decoderType;
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
                        ? bus_.transmit(registers_, address, subAddress, request.data, request.count)
                        : bus_.receive(registers_, address, subAddress, request.data, request.count);
    return answered ? driver::kStatusOk : kStatusNack;
}

// Get reports the configuration; set takes the three offsets, refusing any
// that lies past the frame memory.
uint32_t VirtualCard::memoryConfiguration(driver::MemoryConfigRequest& request)
{
    if (request.operation == 0) {
        request.captureOffset = settings_.captureOffset;
        request.maskOffset = settings_.maskOffset;
        request.outputOffset = settings_.outputOffset;
        request.boardType = settings_.boardType;
        request.extraInfo = settings_.extraInfo;
        return driver::kStatusOk;
    }
    if (request.operation != 1)
        return kStatusBadRequest;
    uint32_t size = settings_.frameMemorySize;
    if (request.captureOffset > size || request.maskOffset > size || request.outputOffset > size)
        return kStatusBadRequest;
    settings_.captureOffset = request.captureOffset;
    settings_.maskOffset = request.maskOffset;
    settings_.outputOffset = request.outputOffset;
    return driver::kStatusOk;
}

// Output data is staged in the frame memory at the output offset (the newer
// family) before the request names it; the card keeps what it was given.
uint32_t VirtualCard::output(const driver::OutputRequest& request)
{
    OutputSeen seen{request.mode, {request.param1, request.param2, request.param3}, request.data,
                    request.length, {}};
    uint8_t* memory = frameMemoryLocked();
    if (request.mode != 0 && memory && request.length &&
        uint64_t(settings_.outputOffset) + request.length <= settings_.frameMemorySize)
        seen.staged.assign(memory + settings_.outputOffset,
                           memory + settings_.outputOffset + request.length);
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
    const std::string& source = cameraNames_[request.camera - 1];
    memcpy(name, source.data(), source.size() < 31 ? source.size() : 31);
    memcpy(request.record + 8, name, sizeof(name));
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
        frame = frameCounters_[camera]++;
    if (!settings_.renderFrames)
        return driver::kStatusOk;
    FrameFormat format{request.width, request.height, request.bitsPerPixel, request.rgb != 0};
    uint32_t shownCamera = camera > 0 ? uint32_t(camera - 1) : 0;
    if (legacyFamily) {
        auto* buffer = reinterpret_cast<uint8_t*>(static_cast<uintptr_t>(request.buffer));
        if (buffer && frameSize(format) == request.frameBytes)
            renderPattern(format, shownCamera, frame, buffer);
        return driver::kStatusOk;
    }
    uint8_t* memory = frameMemoryLocked();
    uint64_t room = memory && settings_.captureOffset <= settings_.frameMemorySize
                        ? settings_.frameMemorySize - settings_.captureOffset
                        : 0;
    uint32_t lines = lineCount(request.height);
    if (settings_.boardType == 0x200 && camera >= 2) {
        uint64_t planes = 3ull * uint64_t(request.width > 0 ? request.width : 0) * lines;
        if (planes && planes <= room)
            renderSecondCameraPlanes(request.width, static_cast<int32_t>(lines), shownCamera,
                                     frame, memory + settings_.captureOffset);
        return driver::kStatusOk;
    }
    uint64_t size = frameSize(format);
    if (size && size <= room)
        renderPattern(format, shownCamera, frame, memory + settings_.captureOffset);
    return driver::kStatusOk;
}

namespace {

struct Cards {
    std::mutex mutex;
    std::unique_ptr<VirtualCard> cards[kMaxCards];
    int count = 1;
    bool initialised = false;
};

Cards& cards()
{
    static Cards& all = *new Cards;
    return all;
}

void resetLocked(Cards& all)
{
    CardSettings settings = environmentSettings();
    uint32_t count = 1;
    if (readNumber("SAA7146_SIM_CARDS", count) && count >= 1 && count <= kMaxCards)
        all.count = static_cast<int>(count);
    else
        all.count = 1;
    for (int n = 0; n < kMaxCards; ++n) {
        if (!all.cards[n])
            all.cards[n].reset(new VirtualCard());
        all.cards[n]->configure(settings);
    }
    all.initialised = true;
}

Cards& readyCards()
{
    Cards& all = cards();
    std::lock_guard<std::mutex> hold(all.mutex);
    if (!all.initialised)
        resetLocked(all);
    return all;
}

} // namespace

void reset()
{
    closeAllDevices();
    Cards& all = cards();
    std::lock_guard<std::mutex> hold(all.mutex);
    resetLocked(all);
}

void setCardCount(int count)
{
    Cards& all = readyCards();
    std::lock_guard<std::mutex> hold(all.mutex);
    if (count >= 1 && count <= kMaxCards)
        all.count = count;
}

int cardCount()
{
    Cards& all = readyCards();
    std::lock_guard<std::mutex> hold(all.mutex);
    return all.count;
}

VirtualCard& card(int number)
{
    Cards& all = readyCards();
    if (number < 0 || number >= kMaxCards)
        number = 0;
    return *all.cards[number];
}

} // namespace sim
