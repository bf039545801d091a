// The registry file: any text parses, and what is written once reads back
// to the same store.
#include <string>

#include "platform/posix/registry_store.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    standin::RegistryStore store = standin::RegistryStore::parse(text);
    std::string once = store.serialize();
    std::string twice = standin::RegistryStore::parse(once).serialize();
    if (once != twice)
        __builtin_trap();
    return 0;
}
