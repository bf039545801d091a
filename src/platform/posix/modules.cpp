// Modules loaded at run time: the two DLLs the library loads resolve to
// stand-ins in this process; every other name is not found.
#include <cstring>
#include <functional>
#include <strings.h>
#include <string>

#include "platform/posix/display.h"

namespace {

struct Module {
    const char* name;
    FARPROC (*lookup)(const char*);
    bool available;
    int references;
    standin::ModuleCounts counts;
    std::vector<std::string> missing;
};

Module modules[] = {
    {"ddraw.dll", standin::directDrawExport, true, 0, {}, {}},
    {"TavHelpr.dll", standin::tavHelperExport, false, 0, {}, {}},
};

constexpr uintptr_t kFirstHandle = 0x6F000000;

std::function<void(const std::string&)>& moduleHook()
{
    static auto& hook = *new std::function<void(const std::string&)>;
    return hook;
}

// Whether a primary surface is locked now; the caller holds displayLock().
bool surfaceLocked()
{
    const standin::DirectDrawCounts& counts = standin::displayState().counts;
    return counts.locks > counts.unlocks;
}

void runHook(const std::string& name)
{
    std::function<void(const std::string&)> hook;
    {
        std::lock_guard<std::mutex> hold(standin::displayLock());
        hook = moduleHook();
    }
    if (hook)
        hook(name);
}

// "C:\Windows\System32\DDRAW" names ddraw.dll: the directory and the
// extension do not take part.
Module* findByName(const char* name)
{
    if (!name)
        return nullptr;
    const char* base = name;
    for (const char* at = name; *at; ++at)
        if (*at == '\\' || *at == '/' || *at == ':')
            base = at + 1;
    size_t length = strlen(base);
    if (length > 4 && strcasecmp(base + length - 4, ".dll") == 0)
        length -= 4;
    for (Module& module : modules) {
        size_t own = strlen(module.name) - 4;
        if (length == own && strncasecmp(base, module.name, own) == 0)
            return &module;
    }
    return nullptr;
}

Module* findByHandle(HMODULE handle)
{
    uintptr_t value = reinterpret_cast<uintptr_t>(handle);
    for (size_t i = 0; i < sizeof(modules) / sizeof(modules[0]); ++i)
        if (value == kFirstHandle + i * 0x10000 && modules[i].references > 0)
            return &modules[i];
    return nullptr;
}

HMODULE handleOf(const Module& module)
{
    return reinterpret_cast<HMODULE>(kFirstHandle + size_t(&module - modules) * 0x10000);
}

} // namespace

namespace standin {

void setModuleAvailableLocked(const char* name, bool available)
{
    if (Module* module = findByName(name))
        module->available = available;
}

void setModuleAvailable(const std::string& name, bool available)
{
    std::lock_guard<std::mutex> hold(displayLock());
    setModuleAvailableLocked(name.c_str(), available);
}

void setModuleExportMissing(const std::string& name, const std::string& function, bool missing)
{
    std::lock_guard<std::mutex> hold(displayLock());
    Module* module = findByName(name.c_str());
    if (!module)
        return;
    auto& list = module->missing;
    for (auto at = list.begin(); at != list.end();)
        at = *at == function ? list.erase(at) : at + 1;
    if (missing)
        list.push_back(function);
}

ModuleCounts moduleCounts(const std::string& name)
{
    std::lock_guard<std::mutex> hold(displayLock());
    Module* module = findByName(name.c_str());
    return module ? module->counts : ModuleCounts{};
}

void setModuleHook(std::function<void(const std::string& name)> hook)
{
    std::lock_guard<std::mutex> hold(displayLock());
    moduleHook() = std::move(hook);
}

void noteCallInto(const char* name)
{
    Module* module = findByName(name);
    if (module && module->references <= 0)
        ++module->counts.callsWhileUnloaded;
}

void resetModules()
{
    for (Module& module : modules) {
        module.available = module.lookup == directDrawExport;
        module.references = 0;
        module.counts = {};
        module.missing.clear();
    }
    moduleHook() = nullptr;
}

} // namespace standin

extern "C" {

HMODULE WINAPI LoadLibraryA(LPCSTR name)
{
    if (findByName(name))
        runHook(name);
    std::lock_guard<std::mutex> hold(standin::displayLock());
    standin::displayState(); // made with the environment's settings on first use
    Module* module = findByName(name);
    if (!module || !module->available) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    ++module->references;
    ++module->counts.loads;
    module->counts.lastPath = name;
    if (surfaceLocked())
        ++module->counts.loadsWhileSurfaceLocked;
    return handleOf(*module);
}

FARPROC WINAPI GetProcAddress(HMODULE handle, LPCSTR name)
{
    std::lock_guard<std::mutex> hold(standin::displayLock());
    Module* module = findByHandle(handle);
    if (!module) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    FARPROC function = nullptr;
    // Names only: an ordinal (a "name" below 0x10000) is not exported here.
    if (reinterpret_cast<uintptr_t>(name) >= 0x10000) {
        function = module->lookup(name);
        for (const std::string& missing : module->missing)
            if (missing == name)
                function = nullptr;
    }
    if (!function)
        SetLastError(ERROR_PROC_NOT_FOUND);
    return function;
}

BOOL WINAPI FreeLibrary(HMODULE handle)
{
    std::string name;
    {
        std::lock_guard<std::mutex> hold(standin::displayLock());
        if (Module* module = findByHandle(handle))
            name = module->name;
    }
    if (!name.empty())
        runHook(name);
    std::lock_guard<std::mutex> hold(standin::displayLock());
    Module* module = findByHandle(handle);
    if (!module) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return FALSE;
    }
    --module->references;
    ++module->counts.releases;
    if (surfaceLocked())
        ++module->counts.loadsWhileSurfaceLocked;
    return TRUE;
}

} // extern "C"
