// Every test of a test program has a deadline (SAA7146_TEST_DEADLINE
// seconds, 120 unless set): one that overruns it ends the process with its
// name, instead of hanging on a thread that waits for another. The system's
// part, ending the process, is the harness's of each platform.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

#include "support/harness.h"

namespace harness {

namespace {

class Deadline : public ::testing::EmptyTestEventListener {
public:
    void OnTestProgramStart(const ::testing::UnitTest&) override
    {
        prepareProcess();
        const char* text = getenv("SAA7146_TEST_DEADLINE");
        int seconds = text ? atoi(text) : 0;
        limit_ = std::chrono::seconds(seconds > 0 ? seconds : 120);
        std::thread([this] { watch(); }).detach();
    }
    void OnTestStart(const ::testing::TestInfo& test) override
    {
        std::lock_guard<std::mutex> hold(lock_);
        name_ = std::string(test.test_suite_name()) + "." + test.name();
        started_ = std::chrono::steady_clock::now();
        running_ = true;
    }
    void OnTestEnd(const ::testing::TestInfo&) override
    {
        std::lock_guard<std::mutex> hold(lock_);
        running_ = false;
    }

private:
    void watch()
    {
        for (;;) {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            std::string overrun;
            {
                std::lock_guard<std::mutex> hold(lock_);
                if (running_ && std::chrono::steady_clock::now() - started_ > limit_)
                    overrun = name_;
            }
            if (overrun.empty())
                continue;
            fflush(stdout);
            fprintf(stderr, "\n%s did not end within its deadline of %d s: the process ends\n",
                    overrun.c_str(), int(limit_.count()));
            fflush(stderr);
            endProcessAfterOverrun();
        }
    }

    std::mutex lock_;
    std::string name_;
    std::chrono::steady_clock::time_point started_;
    std::chrono::seconds limit_{120};
    bool running_ = false;
};

const bool installed = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new Deadline);
    return true;
}();

} // namespace

} // namespace harness
