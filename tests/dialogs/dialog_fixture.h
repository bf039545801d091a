// What every test of the capture dialogs starts from: the card test's fresh
// start, an empty registry, the dialog state as the library leaves it after
// loading, and no dialog driver.
#pragma once

#include <functional>
#include <string>

#include "dialogs/dialog_globals.h"
#include "dialogs/dialog_state.h"
#include "support/dialog_driver.h"
#include "support/harness.h"

class DialogTest : public CardTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // The settings key a host gets when it names none, written out as
    // hosts and stored registries know it.
    static constexpr const char* kSettingsKey = "Software\\Zemtra\\Orvik";
    // Four bytes under the settings key (or its subkey), a 32-bit number
    // unless another type is given.
    static void store(const char* name, int32_t value, const char* subkey = nullptr,
                      const char* key = kSettingsKey, DWORD type = REG_DWORD);
    static bool stored(const char* name, int32_t& value, const char* subkey = nullptr,
                       const char* key = kSettingsKey);
    // Drives the next dialogs: step runs on every pass of the modal loop
    // until it returns false (which closes the dialog) or the dialog ends.
    static void drive(std::function<bool(HWND dialog, int pass)> step);
    static bool isChecked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
    static bool isEnabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != 0; }
    static std::string text(HWND dialog, int id);
};
