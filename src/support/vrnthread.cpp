#include "support/vrnthread.h"

#include <chrono>

VRNTHREAD::VRNTHREAD(const char*) {}

VRNTHREAD::~VRNTHREAD()
{
    if (!abandoned_)
        StopAndJoin();
}

void VRNTHREAD::StopAndJoin()
{
    Stop();
}

int VRNTHREAD::Start()
{
    std::lock_guard<std::mutex> hold(mutex_);
    if (running_)
        return 0;
    if (thread_.joinable())
        thread_.join();
    StopRequest = 0;
    running_ = true;
    try {
        thread_ = std::thread(&VRNTHREAD::run, this);
    } catch (...) {
        running_ = false;
        return 0;
    }
    return 1;
}

void VRNTHREAD::run()
{
    {
        std::lock_guard<std::mutex> hold(mutex_);
        bodyThread_ = std::this_thread::get_id();
    }
    if (OnStart())
        Body();
    OnStop();
    std::lock_guard<std::mutex> hold(mutex_);
    running_ = false;
    bodyThread_ = std::thread::id();
}

int VRNTHREAD::Stop()
{
    std::thread finished;
    {
        std::lock_guard<std::mutex> hold(mutex_);
        if (!thread_.joinable())
            return 1;
        StopRequest = 1;
        wake_.notify_all();
        if (thread_.get_id() == std::this_thread::get_id())
            return 1;
        finished = std::move(thread_);
    }
    finished.join();
    return 1;
}

void VRNTHREAD::Abandon()
{
    // No lock: its holder may be the thread the system stopped.
    StopRequest = 1;
    abandoned_ = true;
    if (thread_.joinable())
        thread_.detach();
}

int VRNTHREAD::Sleep(uint32_t milliseconds)
{
    std::unique_lock<std::mutex> hold(mutex_);
    if (std::this_thread::get_id() == bodyThread_) {
        wake_.wait_for(hold, std::chrono::milliseconds(milliseconds),
                       [this] { return StopRequest.load() != 0; });
    } else {
        hold.unlock();
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
    return 1;
}

bool VRNTHREAD::Running() const
{
    std::lock_guard<std::mutex> hold(mutex_);
    return running_;
}
