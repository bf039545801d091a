#include "card/switches.h"

std::atomic<bool> testMode{false};
std::atomic<bool> logEnabled{false};
std::atomic<bool> legacyDriver{false};
std::atomic<bool> processEnding{false};
