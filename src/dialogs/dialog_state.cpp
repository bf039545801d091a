// The dialog state's life and its settings in the registry.
#include "dialogs/dialog_state.h"

#include <cstdio>
#include <cstring>

#include <saa7146/dcard.h>

#include "card/switches.h"
#include "dialogs/preview.h"
#include "resources/resource_ids.h"

namespace {

// The settings as they are read and written, in this order.
struct Setting {
    const char* name;
    std::atomic<int32_t> DigDialogState::*field;
    int32_t defaultValue;
};

const Setting kSettings[] = {
    {"Camera", &DigDialogState::camera, 0},
    {"SignalType", &DigDialogState::signalType, 3},
    {"CX", &DigDialogState::width, 768},
    {"CY", &DigDialogState::height, 576},
    {"BitsPerPixel", &DigDialogState::bitsPerPixel, 15},
    {"YUV", &DigDialogState::yuv, 0},
    {"SquarePixel", &DigDialogState::squarePixel, 1},
    {"Picmode", &DigDialogState::picMode, 0},
};

void registerSetName(int camera, char (&name)[16])
{
    snprintf(name, sizeof(name), "RegSet%d", camera);
}

} // namespace

bool registerInfo(int index, DCardRegInfo& info)
{
    info = DCardRegInfo{};
    info.size = sizeof(info);
    return index >= 0 && DCardGetRegInfoEx(1, index, &info) != 0;
}

DigDialogState::DigDialogState() : VRNTHREAD(nullptr)
{
    pictureWindow = nullptr;
    loadSettings(nullptr);
}

DigDialogState::~DigDialogState()
{
    // At the process's end the preview thread is stopped by the system,
    // maybe holding a lock: it is let go, never waited for.
    if (processEnding)
        Abandon();
    else
        StopAndJoin();
}

int DigDialogState::Body()
{
    return runPreview(*this);
}

DigDialogState& dialogState()
{
    static DigDialogState state;
    return state;
}

int DigDialogState::loadSettings(const char* keyPath)
{
    bool ownKey = keyPath && *keyPath;
    // A path that does not fit is refused whole: cutting it would read and
    // write a key the host never named.
    if (ownKey && strnlen(keyPath, sizeof(KeyPath)) == sizeof(KeyPath))
        return 0;
    RootKey = HKEY_CURRENT_USER;
    snprintf(KeyPath, sizeof(KeyPath), "%s", ownKey ? keyPath : kDefaultSettingsKey);

    for (const Setting& setting : kSettings) {
        int32_t value = setting.defaultValue;
        get(setting.name, setting.defaultValue, &value, nullptr);
        this->*setting.field = value;
    }
    if (picMode < 0 || picMode > 2)
        picMode = 0;
    applyRegisterSets();
    return 1;
}

int DigDialogState::saveSettings()
{
    for (const Setting& setting : kSettings)
        put(setting.name, this->*setting.field, nullptr);
    return 1;
}

void DigDialogState::applyRegisterSets()
{
    // The stored sets' keys, each opened once for all its values; a camera
    // whose set was never stored has nothing to apply.
    HKEY keys[kCameraCount] = {};
    bool any = false;
    for (int n = 0; n < kCameraCount; ++n) {
        char subkey[16];
        registerSetName(n, subkey);
        keys[n] = open(subkey);
        any = any || keys[n];
    }
    // The card's descriptors, walked once for every set.
    DCardRegInfo info;
    for (int index = 0; any && index < kRegisterIndexLimit && registerInfo(index, info); ++index) {
        if (!info.name)
            continue;
        for (int n = 0; n < kCameraCount; ++n) {
            int32_t value = info.defValue;
            if (keys[n] && read(keys[n], info.name, info.defValue, &value))
                DCardSetReg(1, n, static_cast<int>(info.regNum), value);
        }
    }
    for (HKEY key : keys)
        if (key)
            RegCloseKey(key);
}

int DigDialogState::selectCamera(HWND dialog)
{
    for (int n = 0; n < kCameraCount; ++n) {
        if (IsDlgButtonChecked(dialog, IDC_CAMERA_FIRST + n) == BST_CHECKED) {
            camera = n;
            refreshFlag = 1;
            return n;
        }
    }
    return -1;
}

int DigDialogState::storeRegisterValue(HWND dialog, int32_t value)
{
    int n = selectCamera(dialog);
    if (n < 0)
        return 0;
    LRESULT selection = SendDlgItemMessageA(dialog, IDC_REGISTER_LIST, CB_GETCURSEL, 0, 0);
    DCardRegInfo info;
    if (selection < 0 || !registerInfo(static_cast<int>(selection), info) || !info.name)
        return 0;
    if (!DCardSetReg(1, n, static_cast<int>(info.regNum), value))
        return 0;
    char subkey[16];
    registerSetName(n, subkey);
    put(info.name, value, subkey);
    return 1;
}

int DigDialogState::registerDefaults(HWND dialog)
{
    int n = selectCamera(dialog);
    if (n < 0)
        return 0;
    char subkey[16];
    registerSetName(n, subkey);
    DCardRegInfo info;
    for (int index = 0; index < kRegisterIndexLimit && registerInfo(index, info); ++index) {
        int32_t stored = info.defValue;
        if (!info.name || !get(info.name, info.defValue, &stored, subkey) || stored == info.defValue)
            continue;
        DCardSetReg(1, n, static_cast<int>(info.regNum), info.defValue);
        put(info.name, info.defValue, subkey);
    }
    return 1;
}
