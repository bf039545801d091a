// What every fuzz target that opens cards starts from: a Windows directory
// and registry of its own (no INI file: a real card, no test mode), the
// newer driver family, and virtual cards fresh from power-on that keep no
// request log.
#pragma once

#include <cstdlib>
#include <string>
#include <unistd.h>

#include "platform/posix/control.h"
#include "support/scratch.h"
#include "virtual_card.h"

namespace fuzz {

// In memory where the system keeps a file system there: a target writes
// files for its inputs (a BMP file), and on a disk each costs more than
// the rest of the input.
inline std::string scratchDirectory()
{
    static const char* const base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return scratch::directory("saa7146-fuzz-", base);
}

// Card settings for fuzzing: a small frame memory that still holds the
// largest mode's frame, and no log unless asked for.
inline sim::CardSettings fuzzSettings(bool logRequests)
{
    sim::CardSettings settings = sim::environmentSettings();
    settings.frameMemorySize = 0x180000;
    settings.logRequests = logRequests;
    return settings;
}

inline void setUpOnce(bool logRequests)
{
    standin::setWindowsDirectory(scratchDirectory() + "/windows");
    standin::setRegistryFile(scratchDirectory() + "/registry");
    SetEnvironmentVariableA("OS", "Windows_NT");
    sim::reset();
    for (int card = 0; card < sim::kMaxCards; ++card)
        sim::card(card).configure(fuzzSettings(logRequests));
}

} // namespace fuzz
