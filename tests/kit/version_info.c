/* version_info FILE...: what Windows reads from each module's version
 * resource (the file properties a user sees): the fixed version numbers,
 * then for each translation the version texts and the file's original name.
 * Exit status 1 when a file has no version resource. */
#include <stdio.h>
#include <string.h>
#include <windows.h>

/* One text of a translation; a description only as being there. */
static void text(const char* file, const void* data, unsigned language, unsigned codepage,
                 const char* name)
{
    wchar_t query[80];
    wchar_t* value = NULL;
    UINT length = 0;
    char utf8[256];
    swprintf(query, 80, L"\\StringFileInfo\\%04x%04x\\%hs", language, codepage, name);
    if (!VerQueryValueW(data, query, (void**)&value, &length) || !length) {
        printf("%s: %04x %u: no %s\n", file, language, codepage, name);
        return;
    }
    if (!strcmp(name, "FileDescription")) {
        printf("%s: %04x %u: has a %s\n", file, language, codepage, name);
        return;
    }
    WideCharToMultiByte(CP_UTF8, 0, value, -1, utf8, sizeof utf8, NULL, NULL);
    printf("%s: %04x %u: %s %s\n", file, language, codepage, name, utf8);
}

int main(int argc, char** argv)
{
    static char data[65536];
    int i, status = 0;
    for (i = 1; i < argc; ++i) {
        const char* file = strrchr(argv[i], '\\') ? strrchr(argv[i], '\\') + 1 : argv[i];
        VS_FIXEDFILEINFO* fixed = NULL;
        WORD* translations = NULL;
        UINT length = 0, n;
        DWORD size = GetFileVersionInfoSizeA(argv[i], NULL);
        if (!size || size > sizeof data || !GetFileVersionInfoA(argv[i], 0, size, data) ||
            !VerQueryValueA(data, "\\", (void**)&fixed, &length)) {
            printf("%s: no version resource\n", file);
            status = 1;
            continue;
        }
        printf("%s: file %lu.%lu.%lu.%lu product %lu.%lu.%lu.%lu\n", file,
               fixed->dwFileVersionMS >> 16, fixed->dwFileVersionMS & 0xffff,
               fixed->dwFileVersionLS >> 16, fixed->dwFileVersionLS & 0xffff,
               fixed->dwProductVersionMS >> 16, fixed->dwProductVersionMS & 0xffff,
               fixed->dwProductVersionLS >> 16, fixed->dwProductVersionLS & 0xffff);
        if (!VerQueryValueA(data, "\\VarFileInfo\\Translation", (void**)&translations, &length))
            length = 0;
        for (n = 0; n < length / 4; ++n) {
            unsigned language = translations[2 * n], codepage = translations[2 * n + 1];
            text(file, data, language, codepage, "FileVersion");
            text(file, data, language, codepage, "ProductVersion");
            text(file, data, language, codepage, "OriginalFilename");
            text(file, data, language, codepage, "FileDescription");
        }
    }
    return status;
}
