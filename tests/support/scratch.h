// A directory of the process's own under /tmp for what a test program
// writes, removed with everything in it when the process that made it exits
// (a child it forked and that exits leaves it alone).
#pragma once

#include <cstdio>
#include <cstdlib>
#include <ftw.h>
#include <string>
#include <unistd.h>

namespace scratch {

inline int removeEntry(const char* path, const struct stat*, int, struct FTW*)
{
    return remove(path);
}

struct Made {
    char path[64] = {};
    pid_t owner = 0;
};

inline Made& made()
{
    // Plain data: it must outlive the exit handler that reads it.
    static Made directory;
    return directory;
}

inline void removeAtExit()
{
    const Made& directory = made();
    if (directory.owner == getpid())
        nftw(directory.path, removeEntry, 16, FTW_DEPTH | FTW_PHYS);
}

// "<base>/<prefix>XXXXXX", made once; base when it cannot be made.
inline std::string directory(const char* prefix, const char* base = "/tmp")
{
    static bool ready = [prefix, base] {
        Made& directory = made();
        snprintf(directory.path, sizeof(directory.path), "%s/%sXXXXXX", base, prefix);
        if (!mkdtemp(directory.path))
            return false;
        directory.owner = getpid();
        atexit(removeAtExit);
        return true;
    }();
    return ready ? made().path : base;
}

} // namespace scratch
