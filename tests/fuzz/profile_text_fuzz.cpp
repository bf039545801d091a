// INI text as the profile functions read and write it: any text parses, and
// a value written is the value read back.
#include <string>

#include "platform/posix/profile_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    standin::profileValue(text, "Settings", "Debug");
    standin::profileSections(text);
    standin::profileKeys(text, "Settings");
    standin::profileInteger(text);

    std::string written = standin::withProfileValue(text, "Settings", "CamPath3", "C:\\frames");
    auto value = standin::profileValue(written, "Settings", "CamPath3");
    if (!value || *value != "C:\\frames")
        __builtin_trap();
    standin::withProfileValue(written, "Settings", "CamPath3", nullptr);
    standin::withProfileValue(written, "Settings", nullptr, nullptr);
    return 0;
}
