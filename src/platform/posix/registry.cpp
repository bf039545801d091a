// The registry, kept in one text file (see registry_store.h) that every
// change rewrites whole and renames into place.
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>
#include <string>

#include "platform/posix/control.h"
#include "platform/posix/file_store.h"
#include "platform/posix/registry_store.h"
#include "platform/posix/winapi.h"

namespace {

struct OpenKey {
    std::string path;
};

struct Registry {
    std::mutex mutex; // held for every operation, loading and saving included
    std::set<OpenKey*> open;
    std::mutex fileMutex;
    std::string file;
    // The file as last read, parsed once for the reads that follow.
    std::string readFile;
    standin::FileVersion readVersion;
    standin::RegistryStore read;
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

// The full path of subkey below root; false for a root that is no key.
bool resolve(Registry& state, HKEY root, LPCSTR subkey, std::string& path)
{
    if (const char* name = rootName(root)) {
        path = name;
    } else {
        auto* key = reinterpret_cast<OpenKey*>(root);
        if (!state.open.count(key))
            return false;
        path = key->path;
    }
    std::string part;
    for (const char* c = subkey ? subkey : "";; ++c) {
        if (*c == '\\' || *c == '\0') {
            if (!part.empty())
                path += "\\" + part;
            part.clear();
            if (!*c)
                break;
        } else {
            part.push_back(*c);
        }
    }
    return true;
}

// The registry as its file holds it now; the caller holds the registry's
// mutex.
const standin::RegistryStore& current()
{
    Registry& state = registry();
    std::string file = standin::registryFile();
    if (file != state.readFile) {
        state.readFile = file;
        state.readVersion = standin::FileVersion();
    }
    std::string text;
    if (standin::readWholeFileIfChanged(file, state.readVersion, text))
        state.read = standin::RegistryStore::parse(text);
    return state.read;
}

standin::RegistryStore load()
{
    return current();
}

bool save(const standin::RegistryStore& store)
{
    return standin::replaceFile(standin::registryFile(), store.serialize());
}

HKEY openHandle(Registry& state, const std::string& path)
{
    auto* key = new OpenKey{path};
    state.open.insert(key);
    return reinterpret_cast<HKEY>(key);
}

} // namespace

namespace standin {

void setRegistryFile(const std::string& path)
{
    std::lock_guard<std::mutex> hold(registry().fileMutex);
    registry().file = path;
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
    standin::RegistryStore store = load();
    bool existed = store.find(path) != nullptr;
    if (!existed) {
        store.create(path);
        if (!save(store))
            return ERROR_ACCESS_DENIED;
    }
    if (disposition)
        *disposition = existed ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY;
    *result = openHandle(registry(), path);
    return ERROR_SUCCESS;
}

LONG WINAPI RegOpenKeyExA(HKEY root, LPCSTR subkey, DWORD, REGSAM, PHKEY result)
{
    if (!result)
        return ERROR_INVALID_PARAMETER;
    std::lock_guard<std::mutex> hold(registry().mutex);
    std::string path;
    if (!resolve(registry(), root, subkey, path))
        return ERROR_INVALID_HANDLE;
    if (!current().find(path))
        return ERROR_FILE_NOT_FOUND;
    *result = openHandle(registry(), path);
    return ERROR_SUCCESS;
}

LONG WINAPI RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD, LPDWORD type, LPBYTE data,
                             LPDWORD size)
{
    std::lock_guard<std::mutex> hold(registry().mutex);
    std::string path;
    if (!resolve(registry(), key, nullptr, path))
        return ERROR_INVALID_HANDLE;
    if (data && !size)
        return ERROR_INVALID_PARAMETER;
    const standin::RegistryKey* found = current().find(path);
    if (!found)
        return ERROR_FILE_NOT_FOUND;
    auto value = found->values.find(standin::foldName(name ? name : ""));
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
    std::lock_guard<std::mutex> hold(registry().mutex);
    std::string path;
    if (!resolve(registry(), key, nullptr, path))
        return ERROR_INVALID_HANDLE;
    standin::RegistryStore store = load();
    standin::RegistryValue value;
    value.name = name ? name : "";
    value.type = type;
    if (size)
        value.data.assign(data, data + size);
    store.create(path).values[standin::foldName(value.name)] = value;
    return save(store) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

LONG WINAPI RegDeleteValueA(HKEY key, LPCSTR name)
{
    std::lock_guard<std::mutex> hold(registry().mutex);
    std::string path;
    if (!resolve(registry(), key, nullptr, path))
        return ERROR_INVALID_HANDLE;
    standin::RegistryStore store = load();
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
    standin::RegistryStore store = load();
    if (!store.remove(path))
        return ERROR_FILE_NOT_FOUND;
    return save(store) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

LONG WINAPI RegCloseKey(HKEY key)
{
    if (rootName(key))
        return ERROR_SUCCESS;
    std::lock_guard<std::mutex> hold(registry().mutex);
    auto* open = reinterpret_cast<OpenKey*>(key);
    if (!registry().open.erase(open))
        return ERROR_INVALID_HANDLE;
    delete open;
    return ERROR_SUCCESS;
}

} // extern "C"
