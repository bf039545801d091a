// Windows: no shared virtual cards; every test program keeps its own.
#include "shared_cards.h"

namespace sim {

struct SharedSet {};

std::unique_ptr<SharedCards> SharedCards::open(const std::string&, const CardSettings&, int,
                                               std::string& reason)
{
    reason = "virtual cards are not shared on this system";
    return nullptr;
}

SharedCards::~SharedCards() = default;

std::string SharedCards::defaultDirectory()
{
    return std::string();
}

// No instance is ever made; these only complete the class.
void SharedCards::powerOn(const CardSettings&, int) {}
int SharedCards::count() { return 1; }
void SharedCards::setCount(int) {}
void SharedCards::lock(int) {}
void SharedCards::unlock(int) {}
CardState& SharedCards::state(int) { static CardState none; return none; }
uint8_t* SharedCards::frameMemory(int, uint32_t) { return nullptr; }
void SharedCards::lockSet() {}
void SharedCards::unlockSet() {}
void SharedCards::powerOnLocked(const CardSettings&, int) {}

} // namespace sim
