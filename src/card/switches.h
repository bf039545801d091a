// Module-wide switches, shared by every card.
#pragma once

#include <atomic>

// Test mode: no driver; every request succeeds, frames come from raw files.
extern std::atomic<bool> testMode;
// Every register read and write writes a log line.
extern std::atomic<bool> logEnabled;
// The older driver family: one card, another device name and control code,
// and the driver works on the caller's memory rather than the frame memory.
extern std::atomic<bool> legacyDriver;
