#include "virtual_card.h"

#include <chrono>
#include <cstdio>
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
    Hold hold(*this);
    return state_->settings;
}

VirtualCard::Hold::Hold(const VirtualCard& card) : card_(card), local_(card.mutex_)
{
    if (card.shared_)
        card.shared_->lock(card.index_);
}

VirtualCard::Hold::~Hold()
{
    if (card_.shared_)
        card_.shared_->unlock(card_.index_);
}

void VirtualCard::attach(SharedCards* shared, int index)
{
    std::lock_guard<std::mutex> local(mutex_);
    shared_ = shared;
    index_ = index;
    state_ = shared ? &shared->state(index) : own_.get();
    forgetLocal();
}

void VirtualCard::forgetLocal()
{
    faults_.clear();
    log_.clear();
    mapped_ = false;
    outputs_.clear();
    overlay_ = {};
    overlayEx_ = {};
    translations_.clear();
    mask_ = {};
}

void VirtualCard::configure(const CardSettings& settings)
{
    Hold hold(*this);
    state_->powerOn(settings);
    forgetLocal();
    if (shared_) {
        if (uint8_t* memory = frameMemoryLocked())
            memset(memory, 0, settings.frameMemorySize);
    } else if (allocatedSize_ != settings.frameMemorySize) {
        frameMemory_ = LowMemory();
        allocatedSize_ = 0;
    } else {
        frameMemory_.clear();
    }
}

void VirtualCard::changeState(const std::function<void(CardState&)>& change)
{
    Hold hold(*this);
    change(*state_);
}

void VirtualCard::injectFault(const Fault& fault)
{
    Hold hold(*this);
    faults_.push_back(fault);
}

void VirtualCard::clearFaults()
{
    Hold hold(*this);
    faults_.clear();
}

std::vector<LoggedRequest> VirtualCard::requests() const
{
    Hold hold(*this);
    return log_;
}

size_t VirtualCard::countRequests(int32_t code) const
{
    Hold hold(*this);
    size_t count = 0;
    for (const LoggedRequest& request : log_)
        count += request.code == code;
    return count;
}

void VirtualCard::clearRequests()
{
    Hold hold(*this);
    log_.clear();
}

uint8_t* VirtualCard::frameMemory()
{
    Hold hold(*this);
    return frameMemoryLocked();
}

uint8_t* VirtualCard::frameMemoryLocked()
{
    if (shared_)
        return shared_->frameMemory(index_, state_->settings.frameMemorySize);
    if (!frameMemory_.get() && state_->settings.frameMemorySize > 0) {
        frameMemory_ = LowMemory(state_->settings.frameMemorySize);
        allocatedSize_ = frameMemory_.get() ? state_->settings.frameMemorySize : 0;
    }
    return frameMemory_.get();
}

uint32_t VirtualCard::frameMemorySize() const
{
    Hold hold(*this);
    return state_->settings.frameMemorySize;
}

uint32_t VirtualCard::framesDigitized(int camera) const
{
    Hold hold(*this);
    if (camera < 0 || camera >= kMaxCards)
        return 0;
    return state_->frameCounters[camera + 1];
}

bool VirtualCard::readRegister(int camera, uint32_t reg, uint32_t& value) const
{
    Hold hold(*this);
    return state_->registers.read(camera + 1, reg, value);
}

bool VirtualCard::writeRegister(int camera, uint32_t reg, uint32_t value)
{
    Hold hold(*this);
    return state_->registers.write(camera + 1, reg, value);
}

void VirtualCard::setExpanderInputs(uint8_t levels)
{
    Hold hold(*this);
    state_->bus.setInputs(levels);
}

uint8_t VirtualCard::expanderLatch() const
{
    Hold hold(*this);
    return state_->bus.expanderLatch();
}

void VirtualCard::nackAddress(uint8_t address)
{
    Hold hold(*this);
    state_->bus.nack(address);
}

int32_t VirtualCard::signalType(int camera) const
{
    Hold hold(*this);
    return camera >= 0 && camera < kMaxCards ? state_->signals[camera + 1] : -1;
}

int32_t VirtualCard::driverParam(int camera, int32_t param) const
{
    Hold hold(*this);
    const int32_t* found = state_->params.find(camera + 1, param);
    return found ? *found : 0;
}

void VirtualCard::setCameraName(int camera, const std::string& name)
{
    Hold hold(*this);
    if (camera >= 0 && camera < kMaxCards)
        snprintf(state_->cameraNames[camera], sizeof(state_->cameraNames[camera]), "%s",
                 name.c_str());
}

DCardMemoryConfigWords VirtualCard::memoryConfig() const
{
    Hold hold(*this);
    return {state_->settings.captureOffset, state_->settings.maskOffset, state_->settings.outputOffset,
            state_->settings.boardType, state_->settings.extraInfo};
}

std::vector<VirtualCard::OutputSeen> VirtualCard::outputs() const
{
    Hold hold(*this);
    return outputs_;
}

driver::OverlayRequest VirtualCard::overlay() const
{
    Hold hold(*this);
    return overlay_;
}

driver::OverlayExRequest VirtualCard::overlayEx() const
{
    Hold hold(*this);
    return overlayEx_;
}

std::vector<uint32_t> VirtualCard::translations() const
{
    Hold hold(*this);
    return translations_;
}

VirtualCard::MaskSeen VirtualCard::mask() const
{
    Hold hold(*this);
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
    Hold hold(*this);
    return mapped_;
}

bool VirtualCard::control(uint32_t controlCode, bool legacyFamily, void* in, uint32_t inSize,
                          void* out, uint32_t outSize, uint32_t* bytesReturned, uint32_t* error)
{
    uint32_t delayMs = 0;
    bool result = true;
    {
        Hold hold(*this);
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
        if (state_->settings.logRequests) {
            const auto* bytes = static_cast<const uint8_t*>(out);
            if (log_.size() >= kLogLimit)
                log_.erase(log_.begin(), log_.begin() + kLogLimit / 2);
            log_.push_back({controlCode, request.code, std::vector<uint8_t>(bytes, bytes + inSize), 0});
            logged = &log_.back();
        }
        LoggedRequest& entry = *logged;

        uint32_t shortBy = 0;
        Fault garbage;
        if (Fault hit; takeFault(&request, hit)) {
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
        }
        request.status = entry.status = handle(request, legacyFamily);
        *bytesReturned = inSize - shortBy;
        if (request.code == driver::Digit)
            delayMs = state_->settings.digitDelayMs;
        if (request.code == state_->settings.slowCode)
            delayMs += state_->settings.slowMs;
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

bool VirtualCard::takeFault(const driver::Header* request, Fault& hit)
{
    for (auto fault = faults_.begin(); fault != faults_.end(); ++fault) {
        bool matches = request ? faultMatches(*fault, *request) : fault->code == kTranslationFaultCode;
        if (!matches)
            continue;
        hit = *fault;
        if (--fault->remaining <= 0)
            faults_.erase(fault);
        return true;
    }
    return false;
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
    if (Fault hit; takeFault(nullptr, hit)) {
        if (hit.kind == Fault::CallFails) {
            *error = kErrorGenFailure;
            return false;
        }
        *bytesReturned = hit.kind == Fault::ShortCount && hit.shortBy < 4 ? 4 - hit.shortBy : 4;
        return true;
    }
    // The physical page of a user address: the card's memory map is flat,
    // by the user address's low 32 bits.
    auto address = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(out) & UINT32_MAX);
    translations_.push_back(address);
    if (translations_.size() > 64)
        translations_.erase(translations_.begin());
    if (state_->settings.translateAddresses)
        state_->params.set(1, 4, static_cast<int32_t>(address + state_->settings.physicalOffset));
    *bytesReturned = 4;
    return true;
}

} // namespace sim
