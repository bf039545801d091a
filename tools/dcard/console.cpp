// What goes to the terminal: progress lines, and text in its character set.
#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

#include "card.h"
#include "platform/platform.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

bool progressShown()
{
#ifdef _WIN32
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(STDERR_FILENO) != 0;
#endif
}

namespace {

#ifdef _WIN32
// A console is given the text as UTF-16, so that it shows right whatever
// code page the console has (bytes written to it are read in that code page
// and not in the ANSI one); a file or pipe is given the bytes as they are.
void write(FILE* stream, const std::string& text, UINT codePage)
{
    HANDLE handle = GetStdHandle(stream == stderr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    int size = static_cast<int>(text.size());
    int length = size ? MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0) : 0;
    if (length > 0 && GetConsoleMode(handle, &mode)) {
        std::wstring wide(static_cast<size_t>(length), L'\0');
        MultiByteToWideChar(codePage, 0, text.data(), size, &wide[0], length);
        fflush(stream);
        DWORD written = 0;
        if (WriteConsoleW(handle, wide.data(), static_cast<DWORD>(length), &written, nullptr))
            return;
    }
    fputs(text.c_str(), stream);
}
#else
void write(FILE* stream, const std::string& text, unsigned codePage)
{
    if (codePage != 1252) {
        fputs(text.c_str(), stream);
        return;
    }
    // As UTF-8, Windows-1252 read as Latin-1: the same from 0xA0 on, where
    // the degree sign lies.
    std::string out;
    for (char c : text) {
        unsigned char byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            out.push_back(c);
        } else {
            out.push_back(static_cast<char>(0xC0 | byte >> 6));
            out.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
        }
    }
    fputs(out.c_str(), stream);
}
#endif

} // namespace

void printCardText(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    va_list again;
    va_copy(again, arguments);
    int length = vsnprintf(nullptr, 0, format, arguments);
    va_end(arguments);
    std::vector<char> text(length > 0 ? static_cast<size_t>(length) + 1 : 1, '\0');
    if (length > 0)
        vsnprintf(text.data(), text.size(), format, again);
    va_end(again);
    write(stdout, text.data(), 1252);
}

void printError(const std::string& line)
{
#ifdef _WIN32
    write(stderr, line, CP_ACP);
#else
    write(stderr, line, 0);
#endif
}
