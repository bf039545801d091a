#include "virtual_card.h"

#include <chrono>
#include <cstring>
#include <thread>

#include "card_status.h"

namespace sim {

namespace {

constexpr size_t kLogLimit = 4096;
constexpr uint32_t kErrorInvalidFunction = 1;
constexpr uint32_t kErrorGenFailure = 31;
constexpr uint32_t kErrorInvalidParameter = 87;

} // namespace

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
    overlay_ = {};
    overlayEx_ = {};
    translations_.clear();
    mask_ = {};
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

driver::OverlayRequest VirtualCard::overlay() const
{
    std::lock_guard<std::mutex> hold(mutex_);
    return overlay_;
}

driver::OverlayExRequest VirtualCard::overlayEx() const
{
    std::lock_guard<std::mutex> hold(mutex_);
    return overlayEx_;
}

std::vector<uint32_t> VirtualCard::translations() const
{
    std::lock_guard<std::mutex> hold(mutex_);
    return translations_;
}

VirtualCard::MaskSeen VirtualCard::mask() const
{
    std::lock_guard<std::mutex> hold(mutex_);
    return mask_;
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
        if (controlCode == driver::kTranslateCode && !legacyFamily)
            return translate(in, inSize, out, outSize, bytesReturned, error);
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
        Fault garbage;
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
            if (hit.kind == Fault::Garbage)
                garbage = std::move(hit);
            else
                shortBy = hit.shortBy < inSize ? hit.shortBy : inSize;
            break;
        }
        request.status = entry.status = handle(request, legacyFamily);
        *bytesReturned = inSize - shortBy;
        if (request.code == driver::Digit)
            delayMs = settings_.digitDelayMs;
        if (request.code == settings_.slowCode)
            delayMs += settings_.slowMs;
        if (garbage.kind == Fault::Garbage && garbage.byteOffset < inSize) {
            size_t room = inSize - garbage.byteOffset;
            size_t count = garbage.bytes.size() < room ? garbage.bytes.size() : room;
            if (count)
                memcpy(static_cast<uint8_t*>(out) + garbage.byteOffset, garbage.bytes.data(), count);
        }
    }
    if (delayMs)
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
    return result;
}

// The newer family's address translation: the caller's own memory is both
// buffers, and the physical address goes to driver parameter 4 of camera 0.
bool VirtualCard::translate(void* in, uint32_t inSize, void* out, uint32_t outSize,
                            uint32_t* bytesReturned, uint32_t* error)
{
    if (!in || !out || inSize != 4 || outSize != 4) {
        *error = kErrorInvalidParameter;
        return false;
    }
    for (auto fault = faults_.begin(); fault != faults_.end(); ++fault) {
        if (fault->code != kTranslationFaultCode)
            continue;
        Fault hit = *fault;
        if (--fault->remaining <= 0)
            faults_.erase(fault);
        if (hit.kind == Fault::CallFails) {
            *error = kErrorGenFailure;
            return false;
        }
        *bytesReturned = hit.kind == Fault::ShortCount && hit.shortBy < 4 ? 4 - hit.shortBy : 4;
        return true;
    }
    auto address = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(out));
    translations_.push_back(address);
    if (translations_.size() > 64)
        translations_.erase(translations_.begin());
    if (settings_.translateAddresses)
        params_[{1, 4}] = static_cast<int32_t>(address + settings_.physicalOffset);
    *bytesReturned = 4;
    return true;
}

} // namespace sim
