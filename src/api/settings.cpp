#include "api/settings.h"

#include <cstdio>
#include <cstring>

#include "card/test_sources.h"
#include "platform/platform.h"

namespace {

constexpr char kIniFile[] = "SAA7146.INI";
constexpr char kSection[] = "Settings";
constexpr char kDefaultFormat[] = "%08d";

int readInt(const char* key, int defaultValue)
{
    return static_cast<int>(GetPrivateProfileIntA(kSection, key, defaultValue, kIniFile));
}

void readString(const char* key, const char* defaultValue, char* buffer, DWORD length)
{
    GetPrivateProfileStringA(kSection, key, defaultValue, buffer, length, kIniFile);
}

} // namespace

bool readDisplayDialog()
{
    return readInt("DisplayDialog", 1) == 1;
}

bool readTestModeSettings()
{
    TestSources& sources = testSources();
    std::lock_guard<std::mutex> hold(sources.lock);
    for (CameraSource& camera : sources.cameras) {
        camera.camPath[0] = '\0';
        strcpy(camera.camFormat, kDefaultFormat);
        camera.camCounterStart = 0;
    }
    if (readInt("Debug", 0) == 0)
        return false;
    for (int n = 0; n < 10; ++n) {
        CameraSource& camera = sources.cameras[n];
        char key[32];
        snprintf(key, sizeof(key), "CamPath%d", n);
        // One less than the buffers, so the separator appended below always fits.
        readString(key, "", camera.camPath, sizeof(camera.camPath) - 1);
        snprintf(key, sizeof(key), "CamFormat%d", n);
        readString(key, kDefaultFormat, camera.camFormat, sizeof(camera.camFormat) - 1);
        snprintf(key, sizeof(key), "CamCounterStart%d", n);
        camera.camCounterStart = readInt(key, 0);
        camera.camCounter = camera.camCounterStart;
        size_t length = strlen(camera.camPath);
        if (length > 0 && camera.camPath[length - 1] != '\\')
            strcpy(camera.camPath + length, "\\");
    }
    return true;
}

bool readLogSetting()
{
    return readInt("Log", 0) != 0;
}
