// Worker thread of the support library: a body run on a thread of its own,
// with a stop request that the body polls and an interruptible sleep.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

class VRNTHREAD {
public:
    explicit VRNTHREAD(const char* name);
    virtual ~VRNTHREAD();
    VRNTHREAD(const VRNTHREAD&) = delete;
    VRNTHREAD& operator=(const VRNTHREAD&) = delete;

    // The thread body; it should return soon after StopRequest becomes non-zero.
    virtual int Body() = 0;
    // Run on the new thread before the body; the body runs only when it returns non-zero.
    virtual int OnStart() { return 1; }
    // Run on the thread after the body has returned.
    virtual int OnStop() { return 1; }

    // Runs the body on a new thread; does nothing while a body is still running.
    int Start();
    // Raises StopRequest and returns once the body has returned. Does nothing
    // when no thread runs; from the body's own thread it only raises the request.
    int Stop();
    // Pauses the calling thread; a Stop wakes a sleeping body at once.
    int Sleep(uint32_t milliseconds);
    // Lets go of the thread without waiting for it: the process is ending
    // and the system has stopped it already.
    void Abandon();

    bool Running() const;

    std::atomic<int32_t> StopRequest{0};

protected:
    // A derived destructor must call this before its members go away, so that
    // the body never runs on a half-destroyed object.
    void StopAndJoin();

private:
    void run();

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::thread thread_;
    std::thread::id bodyThread_;
    bool running_ = false;
    bool abandoned_ = false;
};
