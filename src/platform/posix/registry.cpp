// The registry, kept in one text file (see registry_store.h) that every
// change rewrites whole and renames into place, or in memory only.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

#include "platform/posix/control.h"
#include "platform/posix/file_store.h"
#include "platform/posix/registry_keys.h"
#include "platform/posix/registry_store.h"
#include "platform/posix/winapi.h"

namespace {

struct Registry {
    std::mutex mutex; // held for every operation, loading and saving included
    standin::KeyHandles keys;
    std::mutex fileMutex;
    std::string file;
    // The file as last read, parsed once for the reads that follow.
    std::string readFile;
    standin::FileVersion readVersion;
    standin::RegistryStore read;
    bool inMemory = false; // read is the registry itself, and no file is used
    uint64_t replaced = 1; // how often read was replaced, from 1
    // Room for the paths of a call, used again by the next: a lookup of a
    // key costs no allocation.
    std::string path, folded, name;
    // The last subkey of a predefined root that RegOpenKeyExA looked up, and
    // what it found, while read stays the same: the dialogs open one key
    // once for every register of a camera.
    struct Lookup {
        HKEY root = nullptr;
        std::string subkey;
        uint64_t replaced = 0;
        std::string path, folded;
        bool found = false;
    } lastOpen;
};

Registry& registry()
{
    static Registry& state = *new Registry;
    return state;
}

const char* rootName(HKEY key)
{
    if (key == HKEY_CURRENT_USER)
        return "HKEY_CURRENT_USER";
    if (key == HKEY_LOCAL_MACHINE)
        return "HKEY_LOCAL_MACHINE";
    if (key == HKEY_CLASSES_ROOT)
        return "HKEY_CLASSES_ROOT";
    return nullptr;
}

// The full path of subkey below root: its parts between backslashes, the
// empty ones left out. False for a root that is no key.
bool resolve(Registry& state, HKEY root, LPCSTR subkey, std::string& path)
{
    if (const char* name = rootName(root)) {
        path.assign(name);
    } else {
        const standin::OpenKey* key = state.keys.find(root);
        if (!key)
            return false;
        path.assign(key->path);
    }
    for (const char* part = subkey ? subkey : ""; *part;) {
        const char* end = part;
        while (*end && *end != '\\')
            ++end;
        if (end != part)
            path.append(1, '\\').append(part, size_t(end - part));
        part = *end ? end + 1 : end;
    }
    return true;
}

// The registry as its file holds it now; the caller holds the registry's
// mutex.
const standin::RegistryStore& current()
{
    Registry& state = registry();
    if (state.inMemory)
        return state.read;
    std::string file = standin::registryFile();
    if (file != state.readFile) {
        state.readFile = file;
        state.readVersion = standin::FileVersion();
    }
    std::string text;
    if (standin::readWholeFileIfChanged(file, state.readVersion, text)) {
        state.read = standin::RegistryStore::parse(text);
        ++state.replaced;
    }
    return state.read;
}

// The registry to change and then save: in memory the registry itself,
// else copy, filled with what the file holds. The caller holds the
// registry's mutex.
standin::RegistryStore& editable(standin::RegistryStore& copy)
{
    Registry& state = registry();
    if (state.inMemory)
        return state.read;
    copy = current();
    return copy;
}

// The key at the path in the registry as it is now; the caller holds the
// registry's mutex.
const standin::RegistryKey* currentKey(Registry& state, const std::string& path)
{
    standin::foldName(path, state.folded);
    return current().findFolded(state.folded);
}

// Saves what editable gave; the caller holds the registry's mutex.
bool save(const standin::RegistryStore& store)
{
    Registry& state = registry();
    if (state.inMemory) {
        ++state.replaced; // changed in place
        return true;
    }
    return standin::replaceFile(standin::registryFile(), store.serialize());
}

HKEY openHandle(Registry& state, const std::string& path, const std::string& folded)
{
    return reinterpret_cast<HKEY>(state.keys.open(path, folded));
}

} // namespace

namespace standin {

void setRegistryFile(const std::string& path)
{
    Registry& state = registry();
    std::lock_guard<std::mutex> hold(state.mutex);
    if (state.inMemory) {
        state.inMemory = false;
        state.readVersion = FileVersion(); // what is read next comes from the file
    }
    std::lock_guard<std::mutex> holdFile(state.fileMutex);
    state.file = path;
}

void useEmptyMemoryRegistry()
{
    Registry& state = registry();
    std::lock_guard<std::mutex> hold(state.mutex);
    state.inMemory = true;
    state.read = RegistryStore();
    ++state.replaced;
}

std::string registryFile()
{
    {
        std::lock_guard<std::mutex> hold(registry().fileMutex);
        if (!registry().file.empty())
            return registry().file;
    }
    const char* fromEnvironment = getenv("SAA7146_REGISTRY");
    if (fromEnvironment && *fromEnvironment)
        return fromEnvironment;
    const char* home = getenv("HOME");
    return std::string(home && *home ? home : "/tmp") + "/.saa7146/registry";
}

} // namespace standin

extern "C" {

LONG WINAPI RegCreateKeyExA(HKEY root, LPCSTR subkey, DWORD, LPSTR, DWORD, REGSAM,
                            LPSECURITY_ATTRIBUTES, PHKEY result, LPDWORD disposition)
{
    if (!result)
        return ERROR_INVALID_PARAMETER;
    std::lock_guard<std::mutex> hold(registry().mutex);
    std::string path;
    if (!resolve(registry(), root, subkey, path))
        return ERROR_INVALID_HANDLE;
    standin::RegistryStore copy;
    standin::RegistryStore& store = editable(copy);
    std::string& folded = registry().folded;
    standin::foldName(path, folded);
    bool existed = store.findFolded(folded) != nullptr;
    if (!existed) {
        store.createFolded(path, folded);
        if (!save(store))
            return ERROR_ACCESS_DENIED;
    }
    if (disposition)
        *disposition = existed ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY;
    *result = openHandle(registry(), path, folded);
    return ERROR_SUCCESS;
}

LONG WINAPI RegOpenKeyExA(HKEY root, LPCSTR subkey, DWORD, REGSAM, PHKEY result)
{
    if (!result)
        return ERROR_INVALID_PARAMETER;
    Registry& state = registry();
    std::lock_guard<std::mutex> hold(state.mutex);
    current(); // the file read again if it changed
    Registry::Lookup& last = state.lastOpen;
    if (!last.root || root != last.root || last.replaced != state.replaced || !subkey ||
        last.subkey != subkey) {
        last.root = nullptr;
        if (!resolve(state, root, subkey, last.path))
            return ERROR_INVALID_HANDLE;
        last.found = currentKey(state, last.path) != nullptr;
        last.folded.assign(state.folded);
        if (rootName(root) && subkey) {
            last.root = root;
            last.subkey.assign(subkey);
            last.replaced = state.replaced;
        }
    }
    if (!last.found)
        return ERROR_FILE_NOT_FOUND;
    *result = openHandle(state, last.path, last.folded);
    return ERROR_SUCCESS;
}

LONG WINAPI RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD, LPDWORD type, LPBYTE data,
                             LPDWORD size)
{
    Registry& state = registry();
    std::lock_guard<std::mutex> hold(state.mutex);
    standin::OpenKey* open = state.keys.find(key);
    if (!open && !resolve(state, key, nullptr, state.path))
        return ERROR_INVALID_HANDLE;
    if (data && !size)
        return ERROR_INVALID_PARAMETER;
    const standin::RegistryKey* found;
    if (open) {
        // Looked up again only once the registry read has changed.
        const standin::RegistryStore& store = current();
        if (open->foundIn != state.replaced) {
            open->found = store.findFolded(open->folded);
            open->foundIn = state.replaced;
        }
        found = open->found;
    } else {
        found = currentKey(state, state.path);
    }
    if (!found)
        return ERROR_FILE_NOT_FOUND;
    standin::foldName(name ? name : "", state.name);
    auto value = found->values.find(state.name);
    if (value == found->values.end())
        return ERROR_FILE_NOT_FOUND;
    const std::vector<uint8_t>& bytes = value->second.data;
    if (type)
        *type = value->second.type;
    DWORD available = size ? *size : 0;
    if (size)
        *size = static_cast<DWORD>(bytes.size());
    if (!data)
        return ERROR_SUCCESS;
    if (available < bytes.size())
        return ERROR_MORE_DATA;
    if (!bytes.empty())
        memcpy(data, bytes.data(), bytes.size());
    return ERROR_SUCCESS;
}

LONG WINAPI RegSetValueExA(HKEY key, LPCSTR name, DWORD, DWORD type, const BYTE* data, DWORD size)
{
    if (!data && size)
        return ERROR_INVALID_PARAMETER;
    Registry& state = registry();
    std::lock_guard<std::mutex> hold(state.mutex);
    if (!resolve(state, key, nullptr, state.path))
        return ERROR_INVALID_HANDLE;
    standin::RegistryStore copy;
    standin::RegistryStore& store = editable(copy);
    standin::foldName(state.path, state.folded);
    standin::foldName(name ? name : "", state.name);
    standin::RegistryValue& value = store.createFolded(state.path, state.folded).values[state.name];
    value.name.assign(name ? name : "");
    value.type = type;
    value.data.assign(data, data + size);
    return save(store) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

LONG WINAPI RegDeleteValueA(HKEY key, LPCSTR name)
{
    std::lock_guard<std::mutex> hold(registry().mutex);
    std::string path;
    if (!resolve(registry(), key, nullptr, path))
        return ERROR_INVALID_HANDLE;
    standin::RegistryStore copy;
    standin::RegistryStore& store = editable(copy);
    standin::RegistryKey* found = store.find(path);
    if (!found || found->values.erase(standin::foldName(name ? name : "")) == 0)
        return ERROR_FILE_NOT_FOUND;
    return save(store) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

LONG WINAPI RegDeleteKeyA(HKEY root, LPCSTR subkey)
{
    std::lock_guard<std::mutex> hold(registry().mutex);
    std::string path;
    if (!subkey || !*subkey || !resolve(registry(), root, subkey, path))
        return ERROR_INVALID_PARAMETER;
    standin::RegistryStore copy;
    standin::RegistryStore& store = editable(copy);
    if (!store.remove(path))
        return ERROR_FILE_NOT_FOUND;
    return save(store) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

LONG WINAPI RegCloseKey(HKEY key)
{
    if (rootName(key))
        return ERROR_SUCCESS;
    std::lock_guard<std::mutex> hold(registry().mutex);
    if (!registry().keys.close(key))
        return ERROR_INVALID_HANDLE;
    return ERROR_SUCCESS;
}

} // extern "C"
