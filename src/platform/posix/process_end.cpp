// A process that ends as Windows ends one. ExitProcess stops every thread
// but the one that exits, wherever they are, then tells each library that
// the process ends (DLL_PROCESS_DETACH with lpReserved set): a lock that a
// stopped thread held stays held, and a library that waits for one hangs
// the process. fork() leaves a child exactly so: only the calling thread,
// and every lock the others held still held. The child runs the modules'
// ends and exits, which runs the static destructors, as the libraries' own
// do after their detach.
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <mutex>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "platform/posix/control.h"

namespace {

struct Ends {
    std::mutex lock;
    std::vector<void (*)()> handlers;
};

Ends& ends()
{
    static Ends& all = *new Ends;
    return all;
}

std::atomic<bool> ending{false};

} // namespace

// Memory that the stopped threads held is not a leak of this process's:
// the leak checker (when the program has one) is off in an ending child.
extern "C" __attribute__((visibility("default"))) int __lsan_is_turned_off()
{
    return ending ? 1 : 0;
}

namespace standin {

void registerProcessEnd(void (*handler)())
{
    std::lock_guard<std::mutex> hold(ends().lock);
    ends().handlers.push_back(handler);
}

int exitProcessAsWindowsDoes(int code, int timeoutMilliseconds)
{
    std::vector<void (*)()> handlers;
    {
        std::lock_guard<std::mutex> hold(ends().lock);
        handlers = ends().handlers;
    }
    fflush(nullptr);
    pid_t child = fork();
    if (child < 0)
        return -1;
    if (child == 0) {
        ending = true;
        for (auto it = handlers.rbegin(); it != handlers.rend(); ++it)
            (*it)();
        exit(code);
    }
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMilliseconds);
    int status = 0;
    while (waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > until) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace standin
