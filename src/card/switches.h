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
// The process is ending: the system has stopped every other thread, maybe
// inside a lock of ours, and closes what the process held itself. From now
// on nothing waits for a lock or a thread, and nothing is closed.
extern std::atomic<bool> processEnding;
