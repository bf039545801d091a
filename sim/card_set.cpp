// The set of virtual cards, and their settings from the environment.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

#include "device_files.h"
#include "virtual_card.h"

namespace sim {

namespace {

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

namespace {

struct Cards {
    std::mutex mutex;
    std::unique_ptr<VirtualCard> cards[kMaxCards];
    int count = 1;                  // private cards only
    SharedCards* shared = nullptr;  // the set in use, one of opened
    // Every set this process opened: a set no longer in use stays mapped
    // for the life of the process, as the library may still hold an
    // address in it.
    std::vector<std::unique_ptr<SharedCards>> opened;
    bool initialised = false;
};

Cards& cards()
{
    static Cards& all = *new Cards;
    return all;
}

int environmentCount()
{
    uint32_t count = 1;
    if (readNumber("SAA7146_SIM_CARDS", count) && count >= 1 && count <= kMaxCards)
        return static_cast<int>(count);
    return 1;
}

void makeCards(Cards& all)
{
    for (int n = 0; n < kMaxCards; ++n)
        if (!all.cards[n])
            all.cards[n].reset(new VirtualCard());
}

// Attaches every card to the shared set, or to its own state (powered on
// from the environment) when there is none.
void attachLocked(Cards& all)
{
    makeCards(all);
    CardSettings settings = environmentSettings();
    for (int n = 0; n < kMaxCards; ++n) {
        all.cards[n]->attach(all.shared, n);
        if (!all.shared)
            all.cards[n]->configure(settings);
    }
    all.count = environmentCount();
    all.initialised = true;
}

bool sharingWanted()
{
    const char* text = getenv("SAA7146_SIM_SHARED");
    if (text && *text)
        return strcmp(text, "0") != 0;
    return sharedByDefault();
}

Cards& readyCards()
{
    Cards& all = cards();
    std::lock_guard<std::mutex> hold(all.mutex);
    if (!all.initialised) {
        if (sharingWanted()) {
            std::string reason;
            std::unique_ptr<SharedCards> opened = SharedCards::open(
                SharedCards::defaultDirectory(), environmentSettings(), environmentCount(), reason);
            all.shared = opened.get();
            if (opened)
                all.opened.push_back(std::move(opened));
            else
                fprintf(stderr, "saa7146: virtual card not shared (%s); this process has its own\n",
                        reason.c_str());
        }
        attachLocked(all);
    }
    return all;
}

} // namespace

void reset()
{
    closeAllDevices();
    Cards& all = readyCards();
    std::lock_guard<std::mutex> hold(all.mutex);
    if (all.shared)
        all.shared->powerOn(environmentSettings(), environmentCount());
    attachLocked(all);
}

bool useSharedCards(const std::string& directory, std::string& reason)
{
    closeAllDevices();
    Cards& all = readyCards();
    std::unique_ptr<SharedCards> shared =
        SharedCards::open(directory.empty() ? SharedCards::defaultDirectory() : directory,
                          environmentSettings(), environmentCount(), reason);
    if (!shared)
        return false;
    std::lock_guard<std::mutex> hold(all.mutex);
    all.shared = shared.get(); // an earlier set stays mapped: nothing is unmapped while in use
    all.opened.push_back(std::move(shared));
    attachLocked(all);
    return true;
}

void usePrivateCards()
{
    closeAllDevices();
    Cards& all = readyCards();
    std::lock_guard<std::mutex> hold(all.mutex);
    all.shared = nullptr;
    attachLocked(all);
}

SharedCards* sharedCards()
{
    Cards& all = readyCards();
    std::lock_guard<std::mutex> hold(all.mutex);
    return all.shared;
}

void setCardCount(int count)
{
    Cards& all = readyCards();
    std::lock_guard<std::mutex> hold(all.mutex);
    if (count < 1 || count > kMaxCards)
        return;
    if (all.shared)
        all.shared->setCount(count);
    else
        all.count = count;
}

int cardCount()
{
    Cards& all = readyCards();
    std::lock_guard<std::mutex> hold(all.mutex);
    return all.shared ? all.shared->count() : all.count;
}

VirtualCard& card(int number)
{
    Cards& all = readyCards();
    if (number < 0 || number >= kMaxCards)
        number = 0;
    return *all.cards[number];
}

} // namespace sim
