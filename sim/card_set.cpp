// The set of virtual cards, and their settings from the environment.
#include <cstdlib>
#include <memory>
#include <mutex>

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
