// The one state that every capture dialog shares: the settings the dialogs
// show and the registry keeps, the preview thread, and how the last dialog
// ended.
#pragma once

#include <atomic>
#include <cstdint>

#include <saa7146/dcard.h>

#include "platform/platform.h"
#include "support/semaphore.h"
#include "support/vrnreg.h"
#include "support/vrnthread.h"

// The default key of the settings below HKEY_CURRENT_USER.
constexpr const char* kDefaultSettingsKey = "Software\\Zemtra\\Orvik";
// The highest descriptor index a register set enumerates.
constexpr int kRegisterIndexLimit = 1000;
constexpr int kCameraCount = 10;

class DigDialogState : public VRNREG, public VRNTHREAD {
public:
    DigDialogState();
    ~DigDialogState() override;

    // The preview loop (preview.h).
    int Body() override;
    int OnStart() override { return 1; }
    int OnStop() override { return 1; }

    // Settings in the registry. load: 1, or 0 (nothing read) for a key path
    // that does not fit the key path member.
    int loadSettings(const char* keyPath);
    int saveSettings();
    // The stored register sets written to card 0's cameras.
    void applyRegisterSets();
    // The register page: set one register of the selected camera (checked
    // among the camera buttons of dialog) and store it; put every stored
    // register back to its default.
    int storeRegisterValue(HWND dialog, int32_t value);
    int registerDefaults(HWND dialog);

    // The settings. The preview thread reads them while the dialog's
    // controls change them: each is one 32-bit value, taken whole.
    std::atomic<int32_t> camera{0};
    std::atomic<int32_t> signalType{3};
    std::atomic<int32_t> width{768};
    std::atomic<int32_t> height{576};
    std::atomic<int32_t> bitsPerPixel{15};
    std::atomic<int32_t> yuv{0};
    std::atomic<int32_t> squarePixel{1};
    std::atomic<int32_t> picMode{0};
    HWND pictureWindow = nullptr;
    int32_t cancelFlag = 0;
    int32_t dialogType = 0;
    // The dialog now up was ended with OK (and the final picture taken),
    // and whether it is ending at all (ended, or its window destroyed): a
    // preview is never started again then.
    bool confirmed = false;
    bool ending = false;
    std::atomic<int32_t> refreshFlag{0};
    SEMAPHORE previewLock{0};

    // The first camera whose button is checked in the dialog, made the
    // selected one (the preview follows at once); -1 when none is.
    int selectCamera(HWND dialog);
};

DigDialogState& dialogState();

// Register descriptor index of card handle 1 (card 0, the dialogs' card);
// false past the last one.
bool registerInfo(int index, DCardRegInfo& info);
