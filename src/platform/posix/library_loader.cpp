// The loader's part for the library on Linux, linked into the library: what
// Windows does when it maps SAA7146.dll. It makes the library's compiled
// resources known under the module's instance handle and calls the entry
// point once the static objects are built, and again before they go: as
// FreeLibrary does, or, when the process ends as Windows ends one, with the
// reason that the process ends.
#include <atomic>

#include "platform/posix/resources.h"

extern const uint8_t kModuleResources[];
extern const size_t kModuleResourcesSize;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);

namespace {

void processEnds();

struct LoadedModule {
    HINSTANCE instance;
    std::atomic<bool> attached;

    LoadedModule()
        : instance(standin::registerModule("SAA7146.dll", kModuleResources, kModuleResourcesSize)),
          attached(DllMain(instance, DLL_PROCESS_ATTACH, nullptr) != FALSE)
    {
        standin::registerProcessEnd(processEnds);
    }
    ~LoadedModule()
    {
        if (attached.exchange(false))
            DllMain(instance, DLL_PROCESS_DETACH, nullptr);
        standin::unregisterModule(instance);
    }
};

} // namespace

// Named so that a program linking the library's archive can ask for it, and
// so for the module's loading, as the library proper always has it.
extern "C" {
LoadedModule saa7146ModuleLoader;
}

namespace {

void processEnds()
{
    static int processEnding = 1; // any non-null lpReserved
    if (saa7146ModuleLoader.attached.exchange(false))
        DllMain(saa7146ModuleLoader.instance, DLL_PROCESS_DETACH, &processEnding);
}

} // namespace
