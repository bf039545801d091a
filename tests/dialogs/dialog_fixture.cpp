#include "dialog_fixture.h"

#include "image/dib.h"

void DialogTest::SetUp()
{
    CardTest::SetUp();
    harness::clearRegistry();
    harness::setDialogDriver(nullptr);
    harness::clearShownDialogs();
    harness::setLanguage(nullptr);
    DigDialogState& state = dialogState();
    state.Stop();
    state.cancelFlag = 0;
    state.pictureWindow = nullptr;
    state.loadSettings(nullptr);
    deletePreviewBitmap();
    freeCurrentDibBlock();
}

void DialogTest::TearDown()
{
    harness::setDialogDriver(nullptr);
    dialogState().Stop();
    harness::setLanguage(nullptr);
    CardTest::TearDown();
}

void DialogTest::store(const char* name, int32_t value, const char* subkey, const char* key,
                       DWORD type)
{
    std::string path = subkey ? std::string(key) + "\\" + subkey : key;
    HKEY handle;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                              nullptr, &handle, nullptr),
              ERROR_SUCCESS);
    DWORD data = static_cast<DWORD>(value);
    RegSetValueExA(handle, name, 0, type, reinterpret_cast<const BYTE*>(&data), 4);
    RegCloseKey(handle);
}

bool DialogTest::stored(const char* name, int32_t& value, const char* subkey, const char* key)
{
    std::string path = subkey ? std::string(key) + "\\" + subkey : key;
    HKEY handle;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS)
        return false;
    DWORD data = 0, type = 0, size = 4;
    LONG status = RegQueryValueExA(handle, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size);
    RegCloseKey(handle);
    value = static_cast<int32_t>(data);
    return status == ERROR_SUCCESS && type == REG_DWORD;
}

void DialogTest::drive(std::function<bool(HWND, int)> step)
{
    harness::setDialogDriver(std::move(step));
}

std::string DialogTest::text(HWND dialog, int id)
{
    char buffer[128];
    GetDlgItemTextA(dialog, id, buffer, sizeof(buffer));
    return buffer;
}
