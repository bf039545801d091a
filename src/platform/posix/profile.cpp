// INI files through the Windows profile functions.
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

#include "platform/posix/control.h"
#include "platform/posix/file_store.h"
#include "platform/posix/profile_text.h"
#include "platform/posix/winapi.h"

namespace {

std::mutex& profileMutex()
{
    static std::mutex& mutex = *new std::mutex;
    return mutex;
}

std::mutex& directoryMutex()
{
    static std::mutex& mutex = *new std::mutex;
    return mutex;
}

std::string& chosenDirectory()
{
    static std::string& directory = *new std::string;
    return directory;
}

std::string homeDirectory()
{
    const char* home = getenv("HOME");
    return home && *home ? home : "/tmp";
}

// A bare name lives in the Windows directory; a path is taken as it is, with
// Windows separators turned round.
std::string profilePath(const char* file)
{
    std::string name = file;
    if (name.find_first_of("/\\") == std::string::npos)
        return standin::fileInDirectory(standin::windowsDirectory(), name);
    for (char& c : name)
        if (c == '\\')
            c = '/';
    return name;
}

// Copies text into buffer as the profile functions do: cut to size - 1
// characters and terminated; the result is the number of characters copied.
DWORD copyOut(const std::string& text, LPSTR buffer, DWORD size)
{
    if (!buffer || size == 0)
        return 0;
    size_t length = text.size() < size - 1 ? text.size() : size - 1;
    memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
    return static_cast<DWORD>(length);
}

// A list of names, each terminated, ending with an empty name; when it does
// not fit it is cut and still ends with two terminators, and size - 2 is returned.
DWORD copyList(const std::vector<std::string>& names, LPSTR buffer, DWORD size)
{
    if (!buffer || size == 0)
        return 0;
    std::string list;
    for (const std::string& name : names)
        list.append(name).push_back('\0');
    if (list.size() + 1 <= size) {
        memcpy(buffer, list.data(), list.size());
        buffer[list.size()] = '\0';
        if (list.empty() && size > 1)
            buffer[1] = '\0';
        return static_cast<DWORD>(list.size());
    }
    if (size < 2) {
        buffer[0] = '\0';
        return 0;
    }
    memcpy(buffer, list.data(), size - 2);
    buffer[size - 2] = '\0';
    buffer[size - 1] = '\0';
    return size - 2;
}

} // namespace

namespace standin {

void setWindowsDirectory(const std::string& path)
{
    std::lock_guard<std::mutex> hold(directoryMutex());
    chosenDirectory() = path;
}

std::string windowsDirectory()
{
    {
        std::lock_guard<std::mutex> hold(directoryMutex());
        if (!chosenDirectory().empty())
            return chosenDirectory();
    }
    const char* fromEnvironment = getenv("SAA7146_WINDIR");
    if (fromEnvironment && *fromEnvironment)
        return fromEnvironment;
    return homeDirectory() + "/.saa7146/windows";
}

} // namespace standin

extern "C" {

UINT WINAPI GetWindowsDirectoryA(LPSTR buffer, UINT size)
{
    std::string directory = standin::windowsDirectory();
    if (!buffer || size <= directory.size())
        return static_cast<UINT>(directory.size() + 1);
    memcpy(buffer, directory.c_str(), directory.size() + 1);
    return static_cast<UINT>(directory.size());
}

UINT WINAPI GetSystemDirectoryA(LPSTR buffer, UINT size)
{
    std::string directory = standin::windowsDirectory() + "\\System32";
    if (!buffer || size <= directory.size())
        return static_cast<UINT>(directory.size() + 1);
    memcpy(buffer, directory.c_str(), directory.size() + 1);
    return static_cast<UINT>(directory.size());
}

DWORD WINAPI GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue,
                                      LPSTR buffer, DWORD size, LPCSTR file)
{
    if (!buffer || size == 0)
        return 0;
    std::string text;
    if (file) {
        std::lock_guard<std::mutex> hold(profileMutex());
        text = standin::readWholeFile(profilePath(file)).value_or(std::string());
    }
    if (!section)
        return copyList(standin::profileSections(text), buffer, size);
    if (!key)
        return copyList(standin::profileKeys(text, section), buffer, size);
    if (auto value = standin::profileValue(text, section, key))
        return copyOut(*value, buffer, size);
    std::string fallback = defaultValue ? defaultValue : "";
    while (!fallback.empty() && fallback.back() == ' ')
        fallback.pop_back();
    return copyOut(fallback, buffer, size);
}

UINT WINAPI GetPrivateProfileIntA(LPCSTR section, LPCSTR key, INT defaultValue, LPCSTR file)
{
    char value[64];
    if (!section || !key ||
        GetPrivateProfileStringA(section, key, "", value, sizeof(value), file) == 0)
        return static_cast<UINT>(defaultValue);
    return standin::profileInteger(value);
}

BOOL WINAPI WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR file)
{
    if (!section || !file) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::lock_guard<std::mutex> hold(profileMutex());
    std::string path = profilePath(file);
    std::string text = standin::readWholeFile(path).value_or(std::string());
    if (!standin::replaceFile(path, standin::withProfileValue(text, section, key, value))) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return TRUE;
}

} // extern "C"
