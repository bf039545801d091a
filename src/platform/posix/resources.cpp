// Resources of the modules loaded in the process, and string loading.
#include "platform/posix/resources.h"

#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <unistd.h>
#include <mutex>
#include <strings.h>
#include <vector>

namespace {

struct Module {
    std::string fileName;
    const uint8_t* resources;
    size_t size;
    const void* objectBase; // of the program or shared object that registered it
    std::string objectFile;
};

struct Modules {
    std::mutex mutex;
    std::vector<Module> loaded; // slot i is instance kFirstInstance + i x 0x10000
};

// Where the program or shared object that holds an address begins; null
// when none does. dladdr answers it too, but looks up the nearest symbol
// besides, through the whole symbol table: a library opened for every fuzz
// input spent a sixteenth of its time there.
const void* objectBaseOf(const void* address)
{
#if defined(__GLIBC__) && __GLIBC_PREREQ(2, 35)
    dl_find_object found{};
    return _dl_find_object(const_cast<void*>(address), &found) == 0 ? found.dlfo_map_start : nullptr;
#else
    Dl_info where{};
    return dladdr(address, &where) ? where.dli_fbase : nullptr;
#endif
}

Modules& modules()
{
    static Modules& all = *new Modules;
    return all;
}

constexpr uintptr_t kFirstInstance = 0x10000000;

const Module* moduleOf(HINSTANCE instance)
{
    uintptr_t value = reinterpret_cast<uintptr_t>(instance);
    if (value < kFirstInstance || (value - kFirstInstance) % 0x10000)
        return nullptr;
    size_t slot = (value - kFirstInstance) / 0x10000;
    const Modules& all = modules();
    if (slot >= all.loaded.size() || !all.loaded[slot].resources)
        return nullptr;
    return &all.loaded[slot];
}

uint32_t dword(const uint8_t* at)
{
    uint32_t value;
    memcpy(&value, at, 4);
    return value;
}

uint16_t word(const uint8_t* at)
{
    return static_cast<uint16_t>(at[0] | (at[1] << 8));
}

// One name field of a resource header (a number after 0xFFFF, or a
// zero-terminated UTF-16 string) compared with a name as the API takes it.
// Moves at past the field; false when the field runs past end.
bool nameField(const uint8_t*& at, const uint8_t* end, LPCSTR wanted, bool& matches)
{
    if (end - at < 2)
        return false;
    if (word(at) == 0xFFFF) {
        if (end - at < 4)
            return false;
        matches = IS_INTRESOURCE(wanted) && word(at + 2) == reinterpret_cast<uintptr_t>(wanted);
        at += 4;
        return true;
    }
    matches = !IS_INTRESOURCE(wanted);
    const char* letter = matches ? wanted : nullptr;
    for (;;) {
        if (end - at < 2)
            return false;
        uint16_t c = word(at);
        at += 2;
        if (matches) {
            if (toupper(static_cast<unsigned char>(*letter)) != (c < 128 ? toupper(c) : c))
                matches = false;
            else if (c)
                ++letter;
        }
        if (!c)
            return true;
    }
}

const uint16_t kCodePage1250[128] = {
    0x20AC, 0x0000, 0x201A, 0x0000, 0x201E, 0x2026, 0x2020, 0x2021, 0x0000, 0x2030, 0x0160, 0x2039,
    0x015A, 0x0164, 0x017D, 0x0179, 0x0000, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0000, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A, 0x00A0, 0x02C7, 0x02D8, 0x0141,
    0x00A4, 0x0104, 0x00A6, 0x00A7, 0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7, 0x00B8, 0x0105, 0x015F, 0x00BB,
    0x013D, 0x02DD, 0x013E, 0x017C, 0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E, 0x0110, 0x0143, 0x0147, 0x00D3,
    0x00D4, 0x0150, 0x00D6, 0x00D7, 0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7, 0x010D, 0x00E9, 0x0119, 0x00EB,
    0x011B, 0x00ED, 0x00EE, 0x010F, 0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9};

// Code page 1252 differs from Latin-1 only in 0x80..0x9F.
const uint16_t kCodePage1252High[32] = {
    0x20AC, 0x0000, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x0000, 0x017D, 0x0000, 0x0000, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x0000, 0x017E, 0x0178};

char ansiChar(uint16_t c, bool centralEuropean)
{
    if (c < 0x80)
        return static_cast<char>(c);
    for (int i = 0; i < 128; ++i) {
        uint16_t mapped = centralEuropean ? kCodePage1250[i]
                          : i < 32        ? kCodePage1252High[i]
                                          : static_cast<uint16_t>(0x80 + i);
        if (mapped == c)
            return static_cast<char>(0x80 + i);
    }
    return '?';
}

} // namespace

namespace standin {

HINSTANCE registerModule(const char* fileName, const uint8_t* resources, size_t size)
{
    // The module is the object its loader is linked into: the library, or a
    // program that links the library's objects.
    Dl_info where{};
    dladdr(__builtin_return_address(0), &where);
    Modules& all = modules();
    std::lock_guard<std::mutex> hold(all.mutex);
    all.loaded.push_back({fileName ? fileName : "", resources, size, where.dli_fbase,
                          where.dli_fname ? where.dli_fname : ""});
    return reinterpret_cast<HINSTANCE>(kFirstInstance + (all.loaded.size() - 1) * 0x10000);
}

void unregisterModule(HINSTANCE instance)
{
    std::lock_guard<std::mutex> hold(modules().mutex);
    if (const Module* module = moduleOf(instance))
        const_cast<Module*>(module)->resources = nullptr;
}

WORD userLanguage()
{
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = getenv(name);
        if (value && *value)
            return strncasecmp(value, "hu", 2) == 0 ? 1038 : 1033;
    }
    return 1033;
}

std::string ansiFromWide(const uint16_t* text, size_t length)
{
    bool centralEuropean = userLanguage() == 1038;
    std::string out;
    out.reserve(length);
    for (size_t i = 0; i < length; ++i)
        out.push_back(ansiChar(text[i], centralEuropean));
    return out;
}

bool findResource(HINSTANCE instance, LPCSTR type, LPCSTR name, Resource& found)
{
    std::lock_guard<std::mutex> hold(modules().mutex);
    const Module* module = moduleOf(instance);
    if (!module)
        return false;
    WORD wanted = userLanguage();
    int bestRank = 0;
    const uint8_t* at = module->resources;
    const uint8_t* end = at + module->size;
    while (end - at >= 8) {
        uint32_t dataSize = dword(at);
        uint32_t headerSize = dword(at + 4);
        if (headerSize < 8 || headerSize > size_t(end - at) || dataSize > size_t(end - at) - headerSize)
            break;
        const uint8_t* field = at + 8;
        const uint8_t* headerEnd = at + headerSize;
        bool typeMatches = false, nameMatches = false;
        if (nameField(field, headerEnd, type, typeMatches) &&
            nameField(field, headerEnd, name, nameMatches) && typeMatches && nameMatches) {
            field += (4 - (field - at) % 4) % 4; // DWORD alignment
            if (headerEnd - field >= 8) {
                WORD language = word(field + 6);
                int rank = language == wanted ? 3 : language == 1033 ? 2 : 1;
                if (rank > bestRank) {
                    bestRank = rank;
                    found = {at + headerSize, dataSize, language};
                }
            }
        }
        size_t step = headerSize + dataSize;
        step += (4 - step % 4) % 4;
        if (step >= size_t(end - at))
            break;
        at += step;
    }
    return bestRank > 0;
}

} // namespace standin

extern "C" HMODULE WINAPI GetModuleHandleA(LPCSTR name)
{
    Modules& all = modules();
    std::lock_guard<std::mutex> hold(all.mutex);
    for (size_t i = 0; name && i < all.loaded.size(); ++i) {
        const std::string& file = all.loaded[i].fileName;
        size_t length = strlen(name);
        bool sameBase = strncasecmp(file.c_str(), name, length) == 0 &&
                        (file.size() == length || strcasecmp(file.c_str() + length, ".dll") == 0);
        if (all.loaded[i].resources && sameBase)
            return reinterpret_cast<HMODULE>(kFirstInstance + i * 0x10000);
    }
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

extern "C" BOOL WINAPI GetModuleHandleExA(DWORD flags, LPCSTR name, HMODULE* module)
{
    if (!module)
        return FALSE;
    *module = nullptr;
    if (!(flags & GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS)) {
        *module = GetModuleHandleA(name);
        return *module ? TRUE : FALSE;
    }
    const void* base = objectBaseOf(name);
    if (!base)
        return FALSE;
    Modules& all = modules();
    std::lock_guard<std::mutex> hold(all.mutex);
    for (size_t i = 0; i < all.loaded.size(); ++i) {
        if (all.loaded[i].resources && all.loaded[i].objectBase == base) {
            *module = reinterpret_cast<HMODULE>(kFirstInstance + i * 0x10000);
            return TRUE;
        }
    }
    SetLastError(ERROR_MOD_NOT_FOUND);
    return FALSE;
}

extern "C" DWORD WINAPI GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size)
{
    std::string file;
    if (!module) {
        char self[4096];
        ssize_t length = readlink("/proc/self/exe", self, sizeof(self) - 1);
        file.assign(self, length > 0 ? size_t(length) : 0);
    } else {
        std::lock_guard<std::mutex> hold(modules().mutex);
        const Module* known = moduleOf(module);
        if (!known) {
            SetLastError(ERROR_MOD_NOT_FOUND);
            return 0;
        }
        file = known->objectFile;
    }
    if (!buffer || size == 0)
        return 0;
    // Cut to the buffer and terminated, as Windows does; the length written.
    DWORD length = DWORD(file.size() < size ? file.size() : size - 1);
    memcpy(buffer, file.data(), length);
    buffer[length] = '\0';
    return length;
}

// A string table block holds strings id & ~15 .. id | 15, each a length word
// and that many UTF-16 characters; block number id / 16 + 1.
extern "C" int WINAPI LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int size)
{
    if (!buffer || size <= 0)
        return 0;
    buffer[0] = '\0';
    standin::Resource block;
    if (!standin::findResource(instance, RT_STRING, MAKEINTRESOURCEA(id / 16 + 1), block)) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return 0;
    }
    const uint8_t* at = block.data;
    const uint8_t* end = block.data + block.size;
    for (UINT index = 0; end - at >= 2; ++index) {
        size_t length = word(at);
        at += 2;
        if (length > size_t(end - at) / 2)
            return 0;
        if (index == id % 16) {
            std::vector<uint16_t> text(length);
            for (size_t i = 0; i < length; ++i)
                text[i] = word(at + 2 * i);
            std::string ansi = standin::ansiFromWide(text.data(), length);
            size_t copied = std::min(ansi.size(), size_t(size) - 1);
            memcpy(buffer, ansi.data(), copied);
            buffer[copied] = '\0';
            return static_cast<int>(copied);
        }
        at += 2 * length;
    }
    return 0;
}
