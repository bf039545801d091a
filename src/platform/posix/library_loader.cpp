// The loader's part for the library on Linux, linked into the library: what
// Windows does when it maps SAA7146.dll. It makes the library's compiled
// resources known under the module's instance handle and calls the entry
// point once the static objects are built, and again before they go.
#include "platform/posix/resources.h"

extern const uint8_t kModuleResources[];
extern const size_t kModuleResourcesSize;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);

namespace {

struct LoadedModule {
    HINSTANCE instance;
    bool attached;

    LoadedModule()
        : instance(standin::registerModule("SAA7146.dll", kModuleResources, kModuleResourcesSize)),
          attached(DllMain(instance, DLL_PROCESS_ATTACH, nullptr) != FALSE)
    {
    }
    ~LoadedModule()
    {
        if (attached)
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
