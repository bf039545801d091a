// The C runtime's low-level file functions, over POSIX files.
#include <fcntl.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdarg>
#include <string>

#include "platform/posix/winapi.h"

namespace {

std::string posixPath(const char* path)
{
    std::string name = path;
    if (name.size() >= 2 && isalpha(static_cast<unsigned char>(name[0])) && name[1] == ':')
        name.erase(0, 2);
    for (char& c : name)
        if (c == '\\')
            c = '/';
    return name;
}

} // namespace

extern "C" {

int _open(const char* path, int flags, ...)
{
    if (!path) {
        errno = EINVAL;
        return -1;
    }
    int mode = 0;
    if (flags & _O_CREAT) {
        va_list args;
        va_start(args, flags);
        mode = va_arg(args, int);
        va_end(args);
    }
    int posixFlags = O_CLOEXEC;
    switch (flags & 3) {
    case _O_WRONLY:
        posixFlags |= O_WRONLY;
        break;
    case _O_RDWR:
        posixFlags |= O_RDWR;
        break;
    default:
        posixFlags |= O_RDONLY;
        break;
    }
    if (flags & _O_APPEND)
        posixFlags |= O_APPEND;
    if (flags & _O_CREAT)
        posixFlags |= O_CREAT;
    if (flags & _O_TRUNC)
        posixFlags |= O_TRUNC;
    if (flags & _O_EXCL)
        posixFlags |= O_EXCL;
    mode_t permissions = (mode & _S_IWRITE) ? 0644 : 0444;
    return open(posixPath(path).c_str(), posixFlags, permissions);
}

int _read(int file, void* buffer, unsigned int count)
{
    ssize_t n;
    do {
        n = read(file, buffer, count);
    } while (n < 0 && errno == EINTR);
    return static_cast<int>(n);
}

int _write(int file, const void* buffer, unsigned int count)
{
    ssize_t n;
    do {
        n = write(file, buffer, count);
    } while (n < 0 && errno == EINTR);
    return static_cast<int>(n);
}

int _close(int file)
{
    return close(file);
}

} // extern "C"
