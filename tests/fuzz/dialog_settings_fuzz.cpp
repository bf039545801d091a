// The capture dialogs' settings as the registry may hold them: any value
// type, size and number under the settings key and the register sets. A
// settings load, the capture format and the dialogs opened over them never
// fail unsafely; a value is taken only when it is a 32-bit number, and the
// preview kind is always one the dialogs know.
#include <cstring>
#include <string>

#include <saa7146/tavdig.h>

#include "dialogs/dialog_state.h"
#include "fuzz/fuzz_setup.h"
#include "support/guarded.h"

namespace {

const char* const kNames[] = {"Camera", "SignalType", "CX", "CY", "BitsPerPixel", "YUV",
                              "SquarePixel", "Picmode", "Brightness", "Contrast", "Hue", "x"};
const DWORD kTypes[] = {REG_DWORD, REG_SZ, REG_BINARY, REG_NONE};

// The settings key (0) and the register sets' keys (1..10), each created
// once for all the values an input stores under it.
struct Keys {
    HKEY open[11] = {};
    HKEY get(int set)
    {
        if (!open[set]) {
            std::string path = kDefaultSettingsKey;
            if (set)
                path += "\\RegSet" + std::to_string(set - 1);
            if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                nullptr, &open[set], nullptr) != ERROR_SUCCESS)
                open[set] = nullptr;
        }
        return open[set];
    }
    ~Keys()
    {
        for (HKEY key : open)
            if (key)
                RegCloseKey(key);
    }
};

// Empties what an input fills: the registry, the record of dialogs shown
// and the window table (every dialog is closed by now). Done at the end as
// well as at the start, so that an input frees what it allocated: one that
// leaves more allocated than it found costs the fuzzer a second run and a
// leak check of the whole heap.
void startAfresh()
{
    standin::useEmptyMemoryRegistry();
    standin::clearShownDialogs();
    standin::restartWindowHandles();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool ready = [] {
        fuzz::setUpOnce(false);
        return DCardInit(0) == 1; // the register page's card
    }();
    (void)ready;
    // The registry is kept in memory: a file's writes and syncs cost many
    // times what the input does.
    startAfresh();

    // Entries: name, type, subkey (none or RegSet0..9), size (0..8), bytes;
    // at most as many as there are places for a value: more only write
    // again what an input of fewer entries can write.
    constexpr size_t kNameCount = sizeof(kNames) / sizeof(kNames[0]);
    bool cxIsNumber = false;
    int32_t cx = 768;
    size_t at = 0;
    Keys keys;
    for (size_t entry = 0; entry < kNameCount * 11 && size - at >= 4; ++entry) {
        const char* name = kNames[data[at] % kNameCount];
        DWORD type = kTypes[data[at + 1] % 4];
        int set = data[at + 2] % 11;
        DWORD bytes = data[at + 3] % 9;
        at += 4;
        if (bytes > size - at)
            bytes = DWORD(size - at);
        if (HKEY key = keys.get(set))
            RegSetValueExA(key, name, 0, type, data + at, bytes);
        if (!set && !strcmp(name, "CX")) {
            cxIsNumber = type == REG_DWORD && bytes == 4;
            if (cxIsNumber)
                memcpy(&cx, data + at, 4);
        }
        at += bytes;
    }

    int dialog = size ? data[0] % 4 : 0;
    if (TavDigDialog(nullptr, TAVDIG_NONE, nullptr) != 0)
        __builtin_trap(); // loads the settings, but no dialog exists to say yes
    const DigDialogState& state = dialogState();
    if (state.width != (cxIsNumber ? cx : 768) || state.picMode < 0 || state.picMode > 2)
        __builtin_trap();
    harness::GuardedBuffer record(sizeof(TavDigVFWMode));
    uint32_t offered = size > 1 ? data[1] % 33 : 28;
    memcpy(record.data(), &offered, 4);
    if (TavDigGetVFWMode(record.as<TavDigVFWMode>()) != 1 || !record.intact())
        __builtin_trap();
    // The dialogs over these settings, closed at once as nobody answers them.
    static const int kTypesShown[] = {0, TAVDIG_FORMAT, TAVDIG_SOURCE, TAVDIG_FULL};
    if (kTypesShown[dialog] && TavDigDialog(nullptr, kTypesShown[dialog], nullptr) != 0)
        __builtin_trap();
    // Leave the cancel flag as a load found it for the next input.
    dialogState().cancelFlag = 0;
    startAfresh();
    return 0;
}
